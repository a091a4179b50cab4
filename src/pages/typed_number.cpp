#include "pages/typed_number.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace ax7::ui {

namespace {

// Sign, digits, at most one point, digits: what a person types. Anything after it is ignored.
std::string leadingPart(const QString& text, bool allowPoint) {
  const std::string s = text.trimmed().toStdString();
  std::string out;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
  bool point = false;
  bool digits = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
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

double LeadingNumber(const QString& text) {
  const std::string part = leadingPart(text, true);
  if (part.empty()) return 0.0;
  const double v = std::strtod(part.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

int LeadingInt(const QString& text) {
  const std::string part = leadingPart(text, false);
  if (part.empty()) return 0;
  const long long v = std::strtoll(part.c_str(), nullptr, 10);
  constexpr long long kMax = std::numeric_limits<int>::max();
  return int(v > kMax ? kMax : v < -kMax ? -kMax : v);
}

}  // namespace ax7::ui
