// Saving a mode file without ever leaving a damaged one behind: the bytes go to a temporary
// file in the target's folder, which replaces the target only once it is completely on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "params/mode_file.h"

namespace ax7 {

namespace {

namespace fs = std::filesystem;

class TempFile {
 public:
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  // Creates a new file beside `target`; returns 0 or the errno.
  int create(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      fs::path candidate =
          target.parent_path() / ("." + target.filename().string() + ".tmp-" +
                                  std::to_string(::getpid()) + "-" + std::to_string(counter++));
      int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        fd_ = fd;
        path_ = candidate;
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int fd() const { return fd_; }

  // Closes the file (reporting what a delayed write error surfaces there) and renames it over
  // `target`. Returns 0 or the errno.
  int commit(const fs::path& target) {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return errno;
    if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
    path_.clear();
    return 0;
  }

 private:
  int fd_ = -1;
  fs::path path_;
};

int writeAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= size_t(n);
  }
  return 0;
}

// The file the save really replaces: the end of a symlink rather than the link itself.
fs::path resolveTarget(const std::string& path) {
  std::error_code ec;
  fs::path target(path);
  if (fs::is_symlink(target, ec)) {
    fs::path real = fs::canonical(target, ec);
    if (!ec) return real;
  }
  return target;
}

int saveBytes(const std::vector<uint8_t>& bytes, const fs::path& target) {
  if (target.filename().empty()) return EISDIR;
  struct stat old {};
  bool exists = ::stat(target.c_str(), &old) == 0;
  // A rename would replace a write-protected file as easily as any other; respect the
  // protection the way writing into the file itself would.
  if (exists && S_ISREG(old.st_mode) && ::access(target.c_str(), W_OK) != 0) return errno;

  TempFile temp;
  if (int err = temp.create(target)) return err;
  // Keep the old file's permissions; a new file gets the usual ones from the umask.
  if (exists && S_ISREG(old.st_mode)) ::fchmod(temp.fd(), old.st_mode & 07777);
  if (int err = writeAll(temp.fd(), bytes.data(), bytes.size())) return err;
  if (::fsync(temp.fd()) != 0) return errno;
  return temp.commit(target);
}

}  // namespace

ModeFileResult SaveModeFile(const ParameterMemory& mem, const std::string& path) {
  ModeFileResult r;
  r.version = kModeFileVersion;
  if (int err = saveBytes(ModeFileBytes(mem), resolveTarget(path))) {
    r.systemError = err;
    r.error = "Can't write mode file '" + path + "': " + std::generic_category().message(err);
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace ax7
