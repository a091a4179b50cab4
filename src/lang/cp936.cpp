#include "lang/cp936.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace ax7::lang {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

class Converter {
 public:
  Converter() {
    cd_ = iconv_open("UTF-8", "CP936");
    if (cd_ == kInvalid) cd_ = iconv_open("UTF-8", "GBK");
  }
  ~Converter() {
    if (cd_ != kInvalid) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != kInvalid; }
  iconv_t handle() const { return cd_; }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_;
};

// Without a converter the ASCII part still reads; everything else is marked as unreadable.
std::string AsciiOnly(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(c);
    } else {
      out.append(kReplacement);
    }
  }
  return out;
}

}  // namespace

std::string DecodeCp936(std::string_view bytes) {
  if (bytes.empty()) return {};
  Converter converter;
  if (!converter.ok()) return AsciiOnly(bytes);

  // No input byte grows to more than three output bytes (a double-byte character or U+FFFD).
  std::string out(bytes.size() * 3 + kReplacement.size(), '\0');
  size_t used = 0;
  char* in = const_cast<char*>(bytes.data());  // iconv's signature; the input is not written
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (out.size() - used < kReplacement.size()) out.resize(out.size() * 2);
    char* outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t result = iconv(converter.handle(), &in, &inLeft, &outPtr, &outLeft);
    used = out.size() - outLeft;
    if (result != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ, or EINVAL for a lead byte at the very end: replace one byte and go on.
    if (out.size() - used < kReplacement.size()) out.resize(out.size() * 2);
    std::memcpy(out.data() + used, kReplacement.data(), kReplacement.size());
    used += kReplacement.size();
    ++in;
    --inLeft;
    iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return out;
}

}  // namespace ax7::lang
