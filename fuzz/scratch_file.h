#pragma once
// The scratch file a fuzz target writes its input to and reads back through the real file
// readers. It lives in memory (/dev/shm) where there is one: a disk file truncated and written
// every run made the file targets wait on the file system more than they ran. Removed at exit.
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace ax7::fuzz {

class ScratchFile {
 public:
  explicit ScratchFile(const char* stem) {
    for (const char* folder : {"/dev/shm", "/tmp"}) {
      std::string name = std::string(folder) + "/" + stem + "-XXXXXX";
      const int fd = ::mkstemp(name.data());
      if (fd < 0) continue;
      ::close(fd);
      path_ = name;
      return;
    }
    std::abort();
  }
  ~ScratchFile() { ::unlink(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace ax7::fuzz
