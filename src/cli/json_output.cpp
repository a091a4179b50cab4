#include "cli/json_output.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ostream>

namespace ax7::cli {

Json jsonDocument() { return server::apiDocument(); }

void writeJson(std::ostream& out, const Json& doc) {
  out << doc.dump(2) << "\n";
}

Json jsonFloat(float v) {
  if (!std::isfinite(v)) return nullptr;
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf - 1, v);
  if (ec != std::errc()) return double(v);
  *end = 0;
  // The shortest text of the float, read as a double, prints as that text and reads back as the
  // same float: "0.1" rather than 0.10000000149011612.
  return std::strtod(buf, nullptr);
}

std::string toHex(const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  s.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    s += kDigits[data[i] >> 4];
    s += kDigits[data[i] & 15];
  }
  return s;
}

bool fromHex(const std::string& text, size_t size, std::vector<uint8_t>* out) {
  if (text.size() != size * 2) return false;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  out->assign(size, 0);
  for (size_t i = 0; i < size; ++i) {
    int hi = digit(text[2 * i]);
    int lo = digit(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    (*out)[i] = uint8_t(hi << 4 | lo);
  }
  return true;
}

}  // namespace ax7::cli
