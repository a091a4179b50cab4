// Biquad coefficient text as DSP consoles import it: "biquad1," then "b0=..., b1=..., b2=...,
// a1=..., a2=...,", a0 normalised to 1 and a1, a2 negated against H = b / (1 + a1/z + a2/z^2).
// Sections are at 48000 Hz.
#include <cctype>
#include <charconv>
#include <cmath>

#include "eqx/filters.h"
#include "eqx/text.h"

namespace ax7::eqx {

ReadResult readBiquadText(const std::string& input) {
  const std::string text = normalizeLineEnds(input);
  ReadResult result;
  result.eq.format = Format::Biquad;
  struct Pending {
    FileFilter filter;
    bool have[5] = {};
  };
  std::optional<Pending> cur;
  auto finish = [&]() -> bool {
    if (!cur) return true;
    for (bool h : cur->have) {
      if (!h) {
        result.error = "line " + std::to_string(cur->filter.line) + ": " + cur->filter.text +
                       " lacks one of b0, b1, b2, a1, a2";
        return false;
      }
    }
    result.eq.add(cur->filter, true);
    cur.reset();
    return true;
  };
  int line = 1;
  std::string item;
  int itemLine = 1;
  auto handle = [&](const std::string& raw) -> bool {
    const std::string t = trim(raw);
    if (t.empty()) return true;
    const std::string l = lower(t);
    if (l.rfind("biquad", 0) == 0) {
      if (!finish()) return false;
      cur.emplace();
      cur->filter.kind = FilterKind::Coefficients;
      cur->filter.line = itemLine;
      cur->filter.text = clipUtf8(t, 80);
      return true;
    }
    const size_t eq = l.find('=');
    if (eq == std::string::npos || !cur) {
      result.error = "line " + std::to_string(itemLine) + ": expected biquadN or a coefficient";
      return false;
    }
    const std::string key = trim(l.substr(0, eq));
    const std::string value = trim(t.substr(eq + 1));
    static const char* const kKeys[] = {"b0", "b1", "b2", "a1", "a2"};
    int k = -1;
    for (int i = 0; i < 5; ++i) {
      if (key == kKeys[i]) k = i;
    }
    double v = 0;
    const char* first = value.data();
    if (!value.empty() && value[0] == '+') ++first;
    const auto [end, ec] = std::from_chars(first, value.data() + value.size(), v);
    if (k < 0 || ec != std::errc() || end != value.data() + value.size() || !std::isfinite(v)) {
      result.error =
          "line " + std::to_string(itemLine) + ": bad coefficient '" + clipUtf8(t, 60) + "'";
      return false;
    }
    if (cur->have[k]) {
      result.error = "line " + std::to_string(itemLine) + ": " + key + " given twice";
      return false;
    }
    cur->have[k] = true;
    dsp::BiquadCoefficients& c = cur->filter.coefficients;
    switch (k) {
      case 0:
        c.b0 = v;
        break;
      case 1:
        c.b1 = v;
        break;
      case 2:
        c.b2 = v;
        break;
      case 3:
        c.a1 = -v;
        break;  // the text carries -a1 and -a2
      default:
        c.a2 = -v;
        break;
    }
    return true;
  };
  for (char ch : text) {
    if (ch == ',' || ch == '\n' || ch == ';') {
      if (!handle(item)) return result;
      item.clear();
      if (ch == '\n') ++line;
      itemLine = line;
      continue;
    }
    item += ch;
  }
  if (!handle(item) || !finish()) return result;
  if (result.eq.filters.empty()) {
    result.error = "no biquad section";
    return result;
  }
  result.eq.noteUnread();
  result.ok = true;
  return result;
}

}  // namespace ax7::eqx
