#include "eqx/text.h"

#include <cstdint>

namespace ax7::eqx {

namespace {

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

constexpr uint32_t kReplacement = 0xFFFD;

std::string fromUtf16(const std::string& bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t i) -> uint32_t {
    const uint32_t a = static_cast<unsigned char>(bytes[i]);
    const uint32_t b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  size_t i = 2;  // after the byte order mark
  for (; i + 1 < bytes.size(); i += 2) {
    const uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    appendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
  }
  if (i < bytes.size()) appendUtf8(out, kReplacement);  // an odd last byte
  return out;
}

// Windows-1252's 0x80..0x9F; 0 where the code page assigns nothing (kept as Latin-1).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::string fromWindows1252(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    const uint32_t c = static_cast<unsigned char>(ch);
    if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0)
      appendUtf8(out, kCp1252High[c - 0x80]);
    else
      appendUtf8(out, c);
  }
  return out;
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

}  // namespace ax7::eqx
