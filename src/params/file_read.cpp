#include "params/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace ax7 {

namespace {

const char* kindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "is a pipe (FIFO), not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  return "is not a regular file";
}

InputFile systemFailure(int err) {
  InputFile f;
  f.systemError = err;
  f.reason = std::generic_category().message(err);
  return f;
}

InputFile refusal(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return systemFailure(EISDIR);
  InputFile f;
  f.reason = kindOf(st.st_mode);
  return f;
}

}  // namespace

InputFile ReadInputFile(const std::string& path, size_t limit) {
  // Some devices act on being opened at all, so what is plainly no file is refused first;
  // the check after the open covers a file swapped in between.
  struct stat before {};
  if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) return refusal(before);
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return systemFailure(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return systemFailure(err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return refusal(st);
  }

  InputFile f;
  // One byte more than the limit tells a file of exactly `limit` bytes from a longer one.
  const size_t want = limit + 1;
  f.bytes.resize(size_t(st.st_size) < want ? size_t(st.st_size) + 1 : want);
  size_t got = 0;
  for (;;) {
    if (got == f.bytes.size()) {
      if (f.bytes.size() >= want) break;
      f.bytes.resize(std::min(want, f.bytes.size() * 2 + 4096));  // the file grew meanwhile
    }
    const ssize_t n = ::read(fd, f.bytes.data() + got, f.bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return systemFailure(err);
    }
    if (n == 0) break;
    got += size_t(n);
  }
  ::close(fd);
  f.truncated = got > limit;
  f.bytes.resize(std::min(got, limit));
  f.ok = true;
  return f;
}

}  // namespace ax7
