#include "eqx/text.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "params/memory.h"

namespace ax7::eqx {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The units as they stand; toUtf8 joins surrogate pairs and replaces lone halves.
std::string fromUtf16(const std::string& bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  size_t i = 2;  // after the byte order mark
  for (; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units += char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  if (i < bytes.size()) units += kReplacement;  // an odd last byte
  return toUtf8(units);
}

// Windows-1252's 0x80..0x9F; 0 where the code page assigns nothing (kept as Latin-1).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::string fromWindows1252(const std::string& bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    units +=
        char16_t(c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0 ? kCp1252High[c - 0x80] : c);
  }
  return toUtf8(units);
}

}  // namespace

bool isValidUtf8(const std::string& text) {
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int len = 0;
    uint32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + size_t(len) > n) return false;
    for (int k = 1; k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + size_t(k)]);
      if ((t & 0xC0) != 0x80) return false;
      cp = cp << 6 | (t & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(len);
  }
  return true;
}

std::string decodeText(const std::string& bytes) {
  auto starts = [&](const char* mark, size_t n) { return bytes.compare(0, n, mark, n) == 0; };
  if (starts("\xFF\xFE", 2)) return fromUtf16(bytes, false);
  if (starts("\xFE\xFF", 2)) return fromUtf16(bytes, true);
  const std::string body = starts("\xEF\xBB\xBF", 3) ? bytes.substr(3) : bytes;
  if (isValidUtf8(body)) return body;
  return fromWindows1252(body);
}

std::string normalizeLineEnds(const std::string& text) {
  if (text.find('\r') == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
      continue;
    }
    out += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

std::string clipUtf8(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = maxBytes;
  // Back over continuation bytes to the start of the character that would be cut.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace ax7::eqx
