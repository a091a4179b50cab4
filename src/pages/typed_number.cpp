#include "pages/typed_number.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace ax7::ui {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Sign, digits, at most one point, digits: what a person types. Anything after it is ignored.
std::string leadingPart(std::string_view s, bool allowPoint) {
  size_t i = 0;
  while (i < s.size() && isSpace(s[i])) ++i;
  std::string out;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
  bool point = false;
  bool digits = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (isDigit(c)) {
      out += c;
      digits = true;
    } else if (c == '.' && allowPoint && !point) {
      out += c;
      point = true;
    } else {
      break;
    }
  }
  return digits ? out : std::string();
}

}  // namespace

double LeadingNumber(std::string_view text) {
  const std::string part = leadingPart(text, true);
  if (part.empty()) return 0.0;
  const double v = std::strtod(part.c_str(), nullptr);
  // A run of digits too long for a double reads as infinity: taken as the largest number, as
  // LeadingInt saturates, so the page clamps it to its maximum rather than to nothing.
  return std::isfinite(v) ? v : std::copysign(std::numeric_limits<double>::max(), v);
}

int LeadingInt(std::string_view text) {
  const std::string part = leadingPart(text, false);
  if (part.empty()) return 0;
  const long long v = std::strtoll(part.c_str(), nullptr, 10);  // saturates when too long
  constexpr long long kMax = std::numeric_limits<int>::max();
  return int(v > kMax ? kMax : v < -kMax ? -kMax : v);
}

}  // namespace ax7::ui
