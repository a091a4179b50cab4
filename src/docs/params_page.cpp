#include "docs/params_page.h"

#include <sstream>

#include "params/eq_sets.h"
#include "params/param_names.h"

namespace ax7::docs {

namespace {

std::string cell(const std::string& text) {
  return text.empty() ? "" : "`" + text + "`";
}

std::string rangeOf(const ParamName& n) {
  if (n.kind == ValueKind::Choice) {
    std::string list;
    for (size_t i = 0; i < n.choices.size(); ++i) {
      list += (list.empty() ? "" : ", ") + n.choices[i] + " (" +
              std::to_string(n.firstChoice + int(i)) + ")";
    }
    return list;
  }
  if (n.kind == ValueKind::Switch) return "0, 1 (off, on)";
  return FormatNamedValue(n, n.minimum) + " .. " + FormatNamedValue(n, n.maximum);
}

std::string stepOf(const ParamName& n) {
  if (n.kind == ValueKind::Switch || n.kind == ValueKind::Choice) return "";
  if (n.step <= 0) return "any";
  std::ostringstream s;
  s << n.step;
  return s.str();
}

}  // namespace

std::string paramsPage() {
  std::ostringstream s;
  s << "# Setting names\n"
       "\n"
       "<!-- Made from the names table (src/params/param_names.cpp); a test checks that this\n"
       "     file is current: build, then copy build/src/docs/params.md here. -->\n"
       "\n"
       "`ax7ctl params`, `get` and `set` name every setting the window edits. The names are an\n"
       "API: they do not change between versions.\n"
       "\n"
       "- Lower case words joined by dots; a word may hold `_`.\n"
       "- Instances are numbered from 1 in the first word: `mic1`..`mic4` are the microphone\n"
       "  inputs, `out1`..`out8` the output channels.\n"
       "- The two effect groups are `_a` and `_b` (`mic_a`, `echo_b`, `reverb_a`); the group\n"
       "  masters are `GROUP.volume` and `GROUP.mute`.\n"
       "- EQ bands are `SET.eq.BAND.FIELD` with BAND from 1 and FIELD `type`, `gain`, `freq`\n"
       "  or `q`; `SET.eq.bypass` bypasses the set. Band 10 of an output is its crossover band\n"
       "  and stands for the whole cascade behind it.\n"
       "- Values are in the units the window shows: `%` levels, `ms` times, `dB`, `Hz`,\n"
       "  `steps` for plain slider positions. A switch is 0 or 1 (`off`/`on` also work).\n"
       "  `out*.delay.on` and `out*.compressor.on` are the window's ticks (the box keeps them\n"
       "  inverted); `music.agc.level` is shown 12 dB above the target the box keeps;\n"
       "  `reverb_*.time` is the step the window shows as 40 + 49.6 ms per step.\n"
       "- `block` and `index` are the DSP address the value is sent to.\n"
       "\n"
       "| name | unit | range | step | block | index |\n"
       "|---|---|---|---|---|---|\n";
  for (const ParamName& n : ParamNames()) {
    if (n.isBandField()) continue;
    s << "| " << cell(n.name) << " | " << n.unit << " | " << rangeOf(n) << " | " << stepOf(n)
      << " | " << n.block << " | " << n.index << " |\n";
  }
  s << "\n## EQ bands\n"
       "\n"
       "Band N of a set goes to the set's first index + N - 1.\n"
       "\n"
       "| names | bands | block | first index |\n"
       "|---|---|---|---|\n";
  for (int set = 0; set < kEqSetCount; ++set) {
    const ParamName* first = NameOfBand(set, 0, "type");
    if (!first) continue;
    s << "| " << cell(EqSetPublicName(set) + ".eq.N.FIELD") << " | 1 .. "
      << first->instances << " | " << first->block << " | " << first->index << " |\n";
  }
  const ParamName& type = *FindParamName("mic_a.eq.1.type");
  const ParamName& outType = *FindParamName("out1.eq.1.type");
  const ParamName& gain = *FindParamName("mic_a.eq.1.gain");
  const ParamName& freq = *FindParamName("mic_a.eq.1.freq");
  const ParamName& q = *FindParamName("mic_a.eq.1.q");
  s << "\n| field | unit | range | step |\n"
       "|---|---|---|---|\n"
    << "| `type` (microphone, effect and music sets) | | " << rangeOf(type) << " | |\n"
    << "| `type` (outputs) | | " << rangeOf(outType) << " | |\n"
    << "| `gain` | dB | " << rangeOf(gain) << " | " << stepOf(gain) << " |\n"
    << "| `freq` | Hz | " << rangeOf(freq) << " | " << stepOf(freq) << " |\n"
    << "| `q` | | " << rangeOf(q) << " | " << stepOf(q) << " |\n"
    << "\nA gain on a low- or high-pass band can only be 0, and a Q above 2 only goes with PEQ;\n"
       "a type set together with a gain or Q is applied first, as the window applies it.\n";
  return s.str();
}

}  // namespace ax7::docs
