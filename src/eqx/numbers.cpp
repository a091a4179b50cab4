#include "eqx/numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace ax7::eqx {

std::optional<double> parseLocaleNumber(const std::string& token, bool frequency) {
  // Drop grouping marks first: the no-break space as 0xA0 (Latin-1) or C2 A0 (UTF-8), the narrow
  // no-break and thin spaces (U+202F, U+2009) and the apostrophe (also as U+2019).
  std::string s;
  for (size_t i = 0; i < token.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(token[i]);
    if (c == 0xC2 && i + 1 < token.size() && static_cast<unsigned char>(token[i + 1]) == 0xA0) {
      ++i;
      continue;
    }
    if (c == 0xE2 && token.compare(i, 2, "\xE2\x80") == 0 && i + 2 < token.size()) {
      const unsigned char last = static_cast<unsigned char>(token[i + 2]);
      if (last == 0xAF || last == 0x89 || last == 0x99) {
        i += 2;
        continue;
      }
    }
    if (c == 0xA0 || c == '\'') continue;
    s += char(c);
  }
  if (s.empty() || s.size() > 40) return std::nullopt;
  size_t start = 0;
  std::string sign;
  if (s[0] == '-' || s[0] == '+') {
    sign = s.substr(0, 1);
    start = 1;
  }
  const std::string body = s.substr(start);
  if (body.empty()) return std::nullopt;
  for (char c : body) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != ',') return std::nullopt;
  }
  const size_t lastPoint = body.rfind('.');
  const size_t lastComma = body.rfind(',');
  const int points = int(std::count(body.begin(), body.end(), '.'));
  const int commas = int(std::count(body.begin(), body.end(), ','));
  size_t decimal = std::string::npos;  // position of the decimal mark
  if (points && commas) {
    decimal = std::max(lastPoint, lastComma);
    // Only the other mark may group.
    const char grouping = body[decimal] == '.' ? ',' : '.';
    if (std::count(body.begin(), body.end(), body[decimal]) != 1) return std::nullopt;
    (void)grouping;
  } else if (commas == 1) {
    decimal = lastComma;
  } else if (points == 1) {
    decimal = lastPoint;
    if (frequency && body.size() - lastPoint - 1 == 3 && lastPoint > 0) decimal = std::string::npos;
  } else if (points > 1 || commas > 1) {
    decimal = std::string::npos;  // several of one mark: all group thousands
  }
  // Grouping marks must separate groups of exactly three digits.
  std::string digits;
  const size_t intEnd = decimal == std::string::npos ? body.size() : decimal;
  int sinceMark = -1;
  for (size_t i = 0; i < intEnd; ++i) {
    const char c = body[i];
    if (c == '.' || c == ',') {
      if (i == 0 || (sinceMark >= 0 && sinceMark != 3)) return std::nullopt;
      sinceMark = 0;
      continue;
    }
    digits += c;
    if (sinceMark >= 0) ++sinceMark;
  }
  if (sinceMark >= 0 && sinceMark != 3) return std::nullopt;
  if (decimal != std::string::npos) {
    const std::string frac = body.substr(decimal + 1);
    if (frac.find_first_of(".,") != std::string::npos) return std::nullopt;
    if (digits.empty() && frac.empty()) return std::nullopt;
    digits += "." + frac;
  }
  if (digits.empty()) return std::nullopt;
  // from_chars ignores the process locale (a desktop program may set a decimal comma).
  const std::string text = (sign == "-" ? "-" : "") + digits;
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

std::string formatNumber(double value, int decimals, bool frequency) {
  // Room for any finite double in fixed notation (309 digits before the point).
  char buf[400];
  decimals = std::clamp(decimals, 0, 17);
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  std::string s(buf, r.ptr);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  const size_t point = s.find('.');
  if (frequency && point != std::string::npos && s.size() - point - 1 == 3) s += '0';
  return s;
}

}  // namespace ax7::eqx
