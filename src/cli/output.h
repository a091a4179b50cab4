#pragma once
// ax7ctl's standard output: a buffer written straight to the descriptor that remembers the
// first failed write, so a run whose output was cut short (a full disk, /dev/full) ends with a
// failure that says why rather than with 0. As stdio does, a terminal gets every line at once.
#include <array>
#include <streambuf>

namespace ax7::cli {

class DescriptorOutput final : public std::streambuf {
 public:
  explicit DescriptorOutput(int fd);
  ~DescriptorOutput() override;
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

  // errno of the first write that failed; 0 while none did.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  std::streamsize xsputn(const char_type* s, std::streamsize n) override;

 private:
  bool drain();

  int fd_;
  bool lineBuffered_;
  int error_ = 0;
  std::array<char, 1 << 16> buffer_;
};

// Whether the messages are to be Chinese: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG
// that is set, in the order the C library reads them, starts with "zh".
bool ChineseFromEnvironment();

}  // namespace ax7::cli
