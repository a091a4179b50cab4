#include "cli/output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ax7::cli {

DescriptorOutput::DescriptorOutput(int fd) : fd_(fd), lineBuffered_(::isatty(fd) == 1) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() {
  drain();
}

bool DescriptorOutput::drain() {
  const char* p = pbase();
  while (p < pptr() && error_ == 0) {
    const ssize_t n = ::write(fd_, p, size_t(pptr() - p));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      break;
    }
    p += n;
  }
  // After a failure the rest is dropped: the output is incomplete either way, and the run
  // ends by saying so.
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return error_ == 0;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

std::streamsize DescriptorOutput::xsputn(const char_type* s, std::streamsize n) {
  const std::streamsize written = std::streambuf::xsputn(s, n);
  if (lineBuffered_ && std::memchr(s, '\n', size_t(written)) != nullptr) drain();
  return written;
}

int DescriptorOutput::sync() {
  return drain() ? 0 : -1;
}

bool ChineseFromEnvironment() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::strncmp(value, "zh", 2) == 0;
  }
  return false;
}

}  // namespace ax7::cli
