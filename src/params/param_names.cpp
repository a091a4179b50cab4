#include "params/param_names.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <limits>
#include <set>

#include "dsp/band_rules.h"
#include "dsp/crossover.h"
#include "dsp/section_type.h"
#include "params/band_record.h"
#include "params/compressor_values.h"
#include "params/eq_set_model.h"
#include "params/eq_sets.h"
#include "params/memory.h"
#include "params/room.h"
#include "params/saturate.h"

namespace ax7 {

namespace {

using P = Param;
using K = ValueKind;
using T = NameTarget;

// The music AGC slider runs in tenths of a dB over the target the word keeps; the window shows
// the target 12 dB up.
constexpr int kAgcMinPosition = -180;
constexpr int kAgcMaxPosition = -60;
constexpr int kAgcShownOffset = 120;  // tenths

// Band limits of the EQ editors.
constexpr double kBandGainStep = 0.1;  // the record keeps tenths of a dB
constexpr double kBandQStep = 0.001;   // and thousandths of Q
constexpr double kMaxPassQ = 2.0;

const char* const kSetNames[kEqSetCount] = {"mic_a",    "mic_b",  "reverb_a", "reverb_b", "echo_a",
                                            "echo_b",   "music",  "out1",     "out2",     "out3",
                                            "out4",     "out5",   "out6",     "out7",     "out8"};

class Builder {
 public:
  std::vector<ParamName> names;

  // A name of a parameter instance: unit, kind, range and step, address from the table.
  ParamName& add(std::string name, P p, int instance, const char* unit, K kind, double lo,
                 double hi, double step = 1, T target = T::Word) {
    const ParamDesc& d = Describe(p);
    ParamName n;
    n.name = std::move(name);
    n.kind = kind;
    n.target = target;
    n.unit = unit;
    n.minimum = lo;
    n.maximum = hi;
    n.step = step;
    n.param = p;
    n.instance = instance;
    n.instances = d.instances;
    n.block = d.blockOf(instance);
    n.index = d.indexOf(instance);
    names.push_back(std::move(n));
    return names.back();
  }
  // The table's range, whole numbers.
  void whole(std::string name, P p, int instance, const char* unit) {
    const ParamDesc& d = Describe(p);
    add(std::move(name), p, instance, unit, K::Whole, d.minimum, d.maximum);
  }
  void toggle(std::string name, P p, int instance = 0, T target = T::Word) {
    add(std::move(name), p, instance, "switch", K::Switch, 0, 1, 1, target);
  }
  void percent(std::string name, P p, int instance = 0) { whole(std::move(name), p, instance, "%"); }
  void steps(std::string name, P p, int instance = 0) {
    whole(std::move(name), p, instance, "steps");
  }
  void ms(std::string name, P p, int instance = 0) { whole(std::move(name), p, instance, "ms"); }
};

std::string numbered(const char* head, int instance, const char* tail) {
  return head + std::to_string(instance + 1) + tail;
}

void addBandNames(Builder& b) {
  for (int set = 0; set < kEqSetCount; ++set) {
    const EqSetDesc& d = DescribeEqSet(set);
    const bool output = IsOutputEqSet(set);
    // An output's crossover band stands for its whole cascade (records 9..12).
    const int bands = output ? dsp::kCrossoverBand + 1 : d.bands;
    const std::string head = std::string(kSetNames[set]) + ".eq.";
    for (int band = 0; band < bands; ++band) {
      const std::string prefix = head + std::to_string(band + 1) + ".";
      auto field = [&](const char* name, K kind, T target, const char* unit, double lo, double hi,
                       double step) -> ParamName& {
        ParamName n;
        n.name = prefix + name;
        n.kind = kind;
        n.target = target;
        n.unit = unit;
        n.minimum = lo;
        n.maximum = hi;
        n.step = step;
        n.instance = band;
        n.instances = bands;
        n.eqSet = set;
        n.block = d.block;
        n.index = d.firstIndex + band;
        b.names.push_back(std::move(n));
        return b.names.back();
      };
      // The output EQs take the five plain types from their menu; the others also "off".
      ParamName& type = field("type", K::Choice, T::BandType, "choice", output ? 1 : 0, 5, 1);
      type.firstChoice = output ? 1 : 0;
      for (int t = type.firstChoice; t <= 5; ++t)
        type.choices.emplace_back(dsp::sectionTypeName(t).english);
      field("gain", K::Decimal, T::BandGain, "dB", dsp::kMinGainDb, dsp::kMaxGainDb,
            kBandGainStep);
      field("freq", K::Whole, T::BandFrequency, "Hz", dsp::kMinFrequencyHz, dsp::kMaxFrequencyHz,
            1);
      field("q", K::Decimal, T::BandQ, "", dsp::kMinQ, dsp::kMaxQ, kBandQStep);
    }
  }
}

std::vector<ParamName> buildNames() {
  Builder b;
  // Microphones.
  for (int i = 0; i < 4; ++i) {
    b.percent(numbered("mic", i, ".volume"), P::MicVolume, i);
    b.steps(numbered("mic", i, ".gate"), P::MicGate, i);
    ParamName& route =
        b.add(numbered("mic", i, ".route"), P::MicToA, i, "choice", K::Choice, 0, 1, 1, T::Route);
    route.choices = {"A", "B"};
  }
  b.steps("mic.volume", P::MicMaster);
  b.toggle("mic.mute", P::MicMute);
  b.steps("effect.volume", P::EffectMaster);
  b.toggle("auto_sub.on", P::AutoSubSwitch);
  b.percent("auto_sub.amount", P::AutoSubAmount);
  b.toggle("mic_a.eq.bypass", P::MicAEqBypass);
  // The window's shift slider runs 1..5, 1 showing "off"; 0 is never sent.
  b.add("mic_a.shift", P::ShiftFreqA, 0, "Hz", K::Whole, 1, 5);
  b.toggle("mic_b.eq.bypass", P::MicBEqBypass);
  b.add("mic_b.shift", P::ShiftFreqB, 0, "Hz", K::Whole, 1, 5);
  // Echo and reverb.
  struct Group {
    const char* name;
    P bypass, level, predelay, time, start, decay;
  };
  const Group echoes[] = {
      {"echo_a", P::EchoAEqBypass, P::EchoLevelA, P::EchoPredelayA, P::EchoTimeA,
       P::EchoStartVolA, P::EchoDecayA},
      {"echo_b", P::EchoBEqBypass, P::EchoLevelB, P::EchoPredelayB, P::EchoTimeB,
       P::EchoStartVolB, P::EchoDecayB},
  };
  for (const Group& g : echoes) {
    const std::string n = g.name;
    b.toggle(n + ".eq.bypass", g.bypass);
    b.percent(n + ".level", g.level);
    b.ms(n + ".predelay", g.predelay);
    b.ms(n + ".time", g.time);
    b.percent(n + ".start", g.start);
    b.percent(n + ".decay", g.decay);
  }
  b.steps("echo.volume", P::EchoMaster);
  b.toggle("echo.mute", P::EchoMute);
  const Group reverbs[] = {
      {"reverb_a", P::ReverbAEqBypass, P::ReverbLevelA, P::ReverbPredelayA, P::ReverbTimeA,
       P::Count_, P::Count_},
      {"reverb_b", P::ReverbBEqBypass, P::ReverbLevelB, P::ReverbPredelayB, P::ReverbTimeB,
       P::Count_, P::Count_},
  };
  for (const Group& g : reverbs) {
    const std::string n = g.name;
    b.toggle(n + ".eq.bypass", g.bypass);
    b.percent(n + ".level", g.level);
    b.ms(n + ".predelay", g.predelay);
    // The window shows 40 + 49.6 ms per step; the box takes the step.
    b.steps(n + ".time", g.time);
  }
  b.steps("reverb.volume", P::ReverbMaster);
  b.toggle("reverb.mute", P::ReverbMute);
  // Music.
  b.toggle("music.eq.bypass", P::MusicEqBypass);
  b.steps("music.volume", P::MusicMaster);
  b.toggle("music.mute", P::MusicMute);
  b.toggle("music.agc", P::MusicAgcSwitch);
  b.add("music.agc.level", P::MusicAgcLevel, 0, "dB", K::Decimal,
        (kAgcMinPosition + kAgcShownOffset) / 10.0, (kAgcMaxPosition + kAgcShownOffset) / 10.0,
        0.1, T::AgcLevel);
  b.steps("music.pitch", P::MusicPitch);
  b.steps("music.noise_gate", P::MusicNoiseGate);
  b.steps("music.source", P::MusicSource);
  b.percent("music.optical.volume", P::OpticalVolume);
  b.percent("music.coaxial.volume", P::CoaxialVolume);
  b.percent("music.hdmi1.volume", P::Hdmi1Volume);
  b.percent("music.hdmi2.volume", P::Hdmi2Volume);
  b.percent("music.hdmi3.volume", P::Hdmi3Volume);
  b.percent("music.hdmi4.volume", P::Hdmi4Volume);
  b.percent("music.bt.volume", P::BtVolume);
  b.percent("music.aux.volume", P::AuxVolume);
  b.percent("music.aux2.volume", P::Aux2Volume);
  b.steps("music.hdmi.input", P::HdmiInput);
  // Output channels.
  for (int c = 0; c < 8; ++c) {
    const std::string n = numbered("out", c, "");
    b.toggle(n + ".eq.bypass", P::OutEqBypass, c);
    b.steps(n + ".speaker", P::SpeakerAssign, c);
    b.steps(n + ".delay.mode", P::DelayMode, c);
    const ParamDesc& delay = Describe(P::ChannelDelay);
    b.add(n + ".delay", P::ChannelDelay, c, "ms", K::Decimal, delay.minimum, delay.maximum, 0.1);
    b.toggle(n + ".delay.on", P::DelayOn, c, T::OnTick);
    b.percent(n + ".mix.direct", P::MixDirect, c);
    b.percent(n + ".mix.reverb", P::MixReverb, c);
    b.percent(n + ".mix.echo", P::MixEcho, c);
    b.percent(n + ".mix.music", P::MixMusic, c);
    b.percent(n + ".level", P::ChannelLevel, c);
    b.toggle(n + ".phase", P::ChannelPhase, c);
    b.toggle(n + ".mute", P::ChannelMute, c);
    using compressor::RangeOf;
    using F = compressor::Field;
    b.add(n + ".compressor.threshold", P::Compressor, c, "dB", K::Whole,
          RangeOf(F::Threshold).minimum, RangeOf(F::Threshold).maximum, 1, T::CompThreshold);
    b.add(n + ".compressor.ratio", P::Compressor, c, "ratio", K::Decimal,
          RangeOf(F::Ratio).minimum / 10.0, RangeOf(F::Ratio).maximum / 10.0, 0.1, T::CompRatio);
    b.add(n + ".compressor.attack", P::Compressor, c, "ms", K::Whole, RangeOf(F::Attack).minimum,
          RangeOf(F::Attack).maximum, 1, T::CompAttack);
    b.add(n + ".compressor.release", P::Compressor, c, "ms", K::Whole,
          RangeOf(F::Release).minimum, RangeOf(F::Release).maximum, 1, T::CompRelease);
    b.toggle(n + ".compressor.on", P::CompressorOn, c, T::OnTick);
    const ParamDesc& trim = Describe(P::RoomTrim);
    b.add(n + ".room_trim", P::RoomTrim, c, "dB", K::Number, trim.minimum, trim.maximum, 0);
  }
  addBandNames(b);
  return std::move(b.names);
}

const std::map<std::string, size_t, std::less<>>& nameIndex() {
  static const auto index = [] {
    std::map<std::string, size_t, std::less<>> m;
    const auto& names = ParamNames();
    for (size_t i = 0; i < names.size(); ++i) m.emplace(names[i].name, i);
    return m;
  }();
  return index;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A decimal number as text: an optional sign, digits, a point, an exponent; no spaces, no
// hexadecimal, no "inf" or "nan" (those are refused as not finite).
std::optional<double> parseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (end != text.data() + text.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
  if (ec != std::errc()) return std::nullopt;
  return v;
}

bool onStep(double v, double step) {
  if (step <= 0) return true;
  const double n = v / step;
  return std::fabs(n - std::nearbyint(n)) <= 1e-6 * std::max(1.0, std::fabs(n));
}

std::string formatPlain(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", digits, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

int stepDigits(double step) {
  int digits = 0;
  for (double scaled = step; digits < 6; scaled *= 10, ++digits) {
    if (step <= 0 || std::fabs(scaled - std::nearbyint(scaled)) <= 1e-9) break;
  }
  return digits;
}

int compressorPosition(const ParamName& n, double value) {
  const double scale = n.target == T::CompRatio ? 10.0 : 1.0;
  return int(std::lround(value * scale));
}

compressor::Field compressorField(T target) {
  switch (target) {
    case T::CompRatio:
      return compressor::Field::Ratio;
    case T::CompAttack:
      return compressor::Field::Attack;
    case T::CompRelease:
      return compressor::Field::Release;
    default:
      return compressor::Field::Threshold;
  }
}

}  // namespace

const std::vector<ParamName>& ParamNames() {
  static const std::vector<ParamName> names = buildNames();
  return names;
}

const ParamName* FindParamName(std::string_view name) {
  const auto& index = nameIndex();
  const auto it = index.find(name);
  return it == index.end() ? nullptr : &ParamNames()[it->second];
}

const ParamName* NameOfParam(Param p, int instance) {
  for (const ParamName& n : ParamNames()) {
    if (n.param == p && n.instance == instance && !n.isCompressorField()) return &n;
  }
  return nullptr;
}

const ParamName* NameOfBand(int eqSet, int band, std::string_view field) {
  if (!ValidEqSet(eqSet)) return nullptr;
  return FindParamName(EqSetPublicName(eqSet) + ".eq." + std::to_string(band + 1) + "." +
                       std::string(field));
}

std::string EqSetPublicName(int eqSet) {
  return ValidEqSet(eqSet) ? kSetNames[eqSet] : "";
}

const char* KindName(ValueKind kind) {
  switch (kind) {
    case K::Whole:
      return "integer";
    case K::Decimal:
    case K::Number:
      return "number";
    case K::Switch:
      return "switch";
    case K::Choice:
      return "choice";
  }
  return "number";
}

std::string InputText(const InputValue& input) {
  if (const auto* s = std::get_if<std::string>(&input)) return *s;
  if (const auto* b = std::get_if<bool>(&input)) return *b ? "true" : "false";
  const double v = std::get<double>(input);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

bool CheckValue(const ParamName& name, const InputValue& input, double* value,
                std::string* reason) {
  double v = 0;
  if (const auto* b = std::get_if<bool>(&input)) {
    if (name.kind != K::Switch) {
      *reason = "takes a number, not true or false";
      return false;
    }
    v = *b ? 1 : 0;
  } else if (const auto* text = std::get_if<std::string>(&input)) {
    if (text->empty()) {
      *reason = "has no value";
      return false;
    }
    bool named = false;
    if (name.kind == K::Switch) {
      for (const char* off : {"off", "false"})
        if (equalsIgnoringCase(*text, off)) v = 0, named = true;
      for (const char* on : {"on", "true"})
        if (equalsIgnoringCase(*text, on)) v = 1, named = true;
    }
    for (size_t i = 0; i < name.choices.size(); ++i) {
      if (equalsIgnoringCase(*text, name.choices[i])) {
        v = double(name.firstChoice + int(i));
        named = true;
      }
    }
    if (!named) {
      const auto number = parseNumber(*text);
      if (!number) {
        if (name.kind == K::Choice) {
          std::string list;
          for (const std::string& c : name.choices) list += (list.empty() ? "" : ", ") + c;
          *reason = "takes one of " + list;
        } else {
          *reason = name.kind == K::Switch ? "takes 0 or 1 (off or on), not '" + *text + "'"
                                           : "takes a number, not '" + *text + "'";
        }
        return false;
      }
      v = *number;
    }
  } else {
    v = std::get<double>(input);
  }
  if (!std::isfinite(v)) {
    *reason = "is not a finite number";
    return false;
  }
  if ((name.kind == K::Whole || name.kind == K::Switch || name.kind == K::Choice) &&
      v != std::trunc(v)) {
    *reason = "takes a whole number";
    return false;
  }
  if (name.kind == K::Decimal && !onStep(v, name.step)) {
    *reason = "takes steps of " + formatPlain(name.step, 6);
    return false;
  }
  const double slack = name.kind == K::Decimal ? name.step * 1e-6 : 0.0;
  if (v < name.minimum - slack || v > name.maximum + slack) {
    const int digits = name.kind == K::Decimal ? stepDigits(name.step) : 6;
    *reason = "is outside " + formatPlain(name.minimum, digits) + ".." +
              formatPlain(name.maximum, digits) + (*name.unit && name.kind != K::Switch &&
                                                           name.kind != K::Choice
                                                       ? std::string(" ") + name.unit
                                                       : std::string());
    return false;
  }
  // On the step exactly as a slider position in tenths (or thousandths) divides out: 12.3 ms is
  // 123 / 10.0, as the window sends it.
  if (name.kind == K::Decimal) v = std::nearbyint(v / name.step) / std::nearbyint(1 / name.step);
  *value = v;
  return true;
}

bool CheckNamedValues(const std::vector<std::pair<std::string, InputValue>>& pairs,
                      std::vector<NamedValue>* out, std::string* error) {
  std::vector<NamedValue> checked;
  std::set<const ParamName*> seen;
  for (const auto& [key, input] : pairs) {
    const std::string pair = key + "=" + InputText(input);
    const ParamName* name = FindParamName(key);
    if (!name) {
      *error = pair + ": no such name";
      return false;
    }
    if (!seen.insert(name).second) {
      *error = pair + ": " + key + " is given twice";
      return false;
    }
    double v = 0;
    std::string reason;
    if (!CheckValue(*name, input, &v, &reason)) {
      *error = pair + ": " + key + " " + reason;
      return false;
    }
    checked.push_back({name, v});
  }
  *out = std::move(checked);
  return true;
}

bool NeedsStoredValues(const std::vector<NamedValue>& values) {
  return std::any_of(values.begin(), values.end(), [](const NamedValue& v) {
    return v.name->isBandField() || v.name->isCompressorField();
  });
}

bool CheckAgainstMemory(const ParameterMemory& mem, const std::vector<NamedValue>& values,
                        std::string* error) {
  for (const NamedValue& v : values) {
    const ParamName& n = *v.name;
    if (n.target != T::BandGain && n.target != T::BandQ) continue;
    // The band's type once the edit is made: a type in the same edit, else the stored one.
    int type = LoadEditorBands(mem, n.eqSet)[size_t(n.instance)].type;
    for (const NamedValue& other : values) {
      if (other.name->eqSet == n.eqSet && other.name->instance == n.instance &&
          other.name->target == T::BandType)
        type = int(other.value);
    }
    const std::string pair = n.name + "=" + FormatNamedValue(n, v.value);
    const std::string typeName(dsp::sectionTypeName(type).english);
    if (n.target == T::BandGain && dsp::hasFixedZeroGain(type) && v.value != 0) {
      *error = pair + ": " + n.name + " can only be 0 on a band of type " + typeName;
      return false;
    }
    if (n.target == T::BandQ && type != 1 && v.value > kMaxPassQ) {
      *error = pair + ": " + n.name + " is outside 0.1..2 on a band of type " +
               (typeName.empty() ? std::to_string(type) : typeName);
      return false;
    }
  }
  return true;
}

std::vector<dsp::EqBand> LoadEditorBands(const ParameterMemory& mem, int eqSet) {
  if (!ValidEqSet(eqSet)) return {};
  // As the set's editor loads it, so a value read by name is the value the window shows.
  const int records = EqSetBandCount(eqSet);
  EqSetModel model;
  model.setEqSet(eqSet);
  model.setBandCount(records);
  model.load(mem, records);
  const auto bands = model.bands();
  return {bands.begin(), bands.begin() + records};
}

double BandFieldValue(const dsp::EqBand& band, const ParamName& n) {
  switch (n.target) {
    case T::BandType:
      return band.type;
    case T::BandGain:
      return band.gainDb;
    case T::BandFrequency:
      return band.freq;
    default:
      return band.q;
  }
}

double ReadNamedValue(const ParameterMemory& mem, const ParamName& n) {
  if (n.isBandField()) return BandFieldValue(LoadEditorBands(mem, n.eqSet)[size_t(n.instance)], n);
  if (n.isCompressorField()) {
    const compressor::Values v = compressor::ShownValues(mem, n.instance);
    switch (n.target) {
      case T::CompThreshold:
        return v.threshold;
      case T::CompRatio:
        return v.ratio;
      case T::CompAttack:
        return v.attack;
      default:
        return v.release;
    }
  }
  const ParamDesc& d = Describe(n.param);
  const size_t word = size_t(d.wordOf(n.instance));
  switch (n.target) {
    case T::OnTick:
      return mem.pc.getInt(word) == 0 ? 1 : 0;
    case T::Route:
      return mem.pc.getInt(word) != 0 ? 0 : 1;
    case T::AgcLevel: {
      const int position =
          SliderPosition(mem.pc.getFloat(word), kAgcMinPosition, kAgcMaxPosition, 10.0);
      return (position + kAgcShownOffset) / 10.0;
    }
    default:
      break;
  }
  switch (d.encoding) {
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
    case Encoding::ReverbTime:
      return mem.pc.getFloat(word);
    case Encoding::RoomTrim:
      return RoomTrimDb(mem, n.instance);
    default:
      break;
  }
  const int v = mem.pc.getInt(word);
  return n.kind == K::Switch ? (v != 0 ? 1 : 0) : v;
}

std::string FormatNamedValue(const ParamName& n, double value) {
  if (n.kind == K::Choice) {
    const double i = value - n.firstChoice;
    if (i >= 0 && i < double(n.choices.size()) && i == std::trunc(i)) return n.choices[size_t(i)];
  }
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
  switch (n.kind) {
    case K::Decimal:
      return formatPlain(value, stepDigits(n.step));
    case K::Number: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.6g", value);
      return buf;
    }
    default:
      // A whole-number value that memory keeps as a float shows its fraction, should it have one.
      return formatPlain(value, value == std::trunc(value) ? 0 : 6);
  }
}

compressor::Values CompressorEdit(const ParameterMemory& mem, int channel,
                                  const std::vector<NamedValue>& values) {
  compressor::Values v = compressor::ShownValues(mem, channel);
  for (const NamedValue& nv : values) {
    const ParamName& n = *nv.name;
    if (!n.isCompressorField() || n.instance != channel) continue;
    v = compressor::WithPosition(v, compressorField(n.target), compressorPosition(n, nv.value));
  }
  return v;
}

uint32_t AgcLevelWord(double shownDb) {
  const int position = int(std::lround(shownDb * 10.0)) - kAgcShownOffset;
  return std::bit_cast<uint32_t>(float(position / 10.0));
}

}  // namespace ax7
