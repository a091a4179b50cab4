#include "device/trace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace ax7 {

namespace {

std::string hex(const Report& r) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(r.size() * 2);
  for (uint8_t b : r) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

}  // namespace

TraceFile::~TraceFile() {
  close();
}

bool TraceFile::open(const std::string& path, std::string* error) {
  std::lock_guard lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = nullptr;
  path_ = path;
  error_.clear();
  auto fail = [&](const std::string& why) {
    if (error) *error = "cannot write trace file '" + path + "': " + why;
    return false;
  };
  // O_NONBLOCK: opening a FIFO that nobody reads would otherwise wait forever; one with a
  // reader (a pipe to grep) is fine. Writes block as usual once it is open.
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    const int err = errno;
    return fail(err == ENXIO ? "it is a pipe (FIFO) that nobody reads"
                             : std::generic_category().message(err));
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  file_ = ::fdopen(fd, "w");
  if (!file_) {
    const int err = errno;
    ::close(fd);
    return fail(std::generic_category().message(err));
  }
  return true;
}

void TraceFile::close() {
  std::lock_guard lock(mutex_);
  if (file_ && std::fclose(file_) != 0) noteFailure(errno);
  file_ = nullptr;
}

std::string TraceFile::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void TraceFile::noteFailure(int err) {
  if (error_.empty()) {
    error_ = "cannot write trace file '" + path_ +
             "': " + std::generic_category().message(err ? err : EIO);
  }
}

void TraceFile::written(const Report& report) {
  writeLine("> " + hex(report));
}

void TraceFile::read(const Report& report) {
  writeLine("< " + hex(report));
}

void TraceFile::phase(std::string_view name) {
  writeLine("# " + std::string(name));
}

void TraceFile::writeLine(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (!file_) return;
  errno = 0;
  if (std::fputs(line.c_str(), file_) == EOF || std::fputc('\n', file_) == EOF ||
      std::fflush(file_) != 0) {
    noteFailure(errno);
  }
}

}  // namespace ax7
