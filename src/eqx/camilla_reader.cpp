// CamillaDSP configuration YAML: its filters, in the order the pipeline runs them for one
// channel. Version 1 pipelines name one `channel:`, later ones a list of `channels:`.
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "eqx/filters.h"

namespace ax7::eqx {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::optional<double> number(const YAML::Node& n) {
  if (!n || !n.IsScalar()) return std::nullopt;
  try {
    const double v = n.as<double>();
    if (std::isfinite(v)) return v;
  } catch (const YAML::Exception&) {
  }
  return std::nullopt;
}

std::string scalar(const YAML::Node& n) {
  if (!n || !n.IsScalar()) return {};
  return n.Scalar();
}

int lineOf(const YAML::Node& n) {
  const YAML::Mark m = n.Mark();
  return m.line >= 0 ? m.line + 1 : 0;
}

FileFilter unsupported(FileFilter f, std::string why) {
  f.kind = FilterKind::Unsupported;
  f.reason = std::move(why);
  return f;
}

// One filter definition as the sections it runs (a BiquadCombo runs several).
std::vector<FileFilter> filtersOf(const std::string& name, const YAML::Node& def, double rate,
                                  std::optional<double>* gainOut) {
  FileFilter f;
  f.text = name;
  f.line = lineOf(def);
  if (!def.IsMap()) return {unsupported(f, "filter definition is not a mapping")};
  const std::string type = scalar(def["type"]);
  const YAML::Node p = def["parameters"];
  if (!p || !p.IsMap()) return {unsupported(f, "filter without parameters")};
  if (type == "Gain") {
    if (auto g = number(p["gain"])) {
      // A plain gain is a preamp: reported with it, never a band.
      *gainOut = gainOut->value_or(0) + *g;
      return {};
    }
    return {unsupported(f, "Gain without a gain value")};
  }
  if (type == "BiquadCombo") {
    const std::string kind = scalar(p["type"]);
    const auto freq = number(p["freq"]);
    const auto order = number(p["order"]);
    const bool lowpass = kind == "ButterworthLowpass" || kind == "LinkwitzRileyLowpass";
    const bool butterworth = kind == "ButterworthLowpass" || kind == "ButterworthHighpass";
    const bool lr = kind == "LinkwitzRileyLowpass" || kind == "LinkwitzRileyHighpass";
    if (!butterworth && !lr) {
      return {unsupported(f, "BiquadCombo " + kind + ": no section of the box")};
    }
    if (!freq || !order || *order < 1 || *order > 16 || *order != std::floor(*order) ||
        (lr && int(*order) % 2 != 0)) {
      return {unsupported(f, "BiquadCombo " + kind + " without a usable freq and order")};
    }
    // Butterworth n: sections with Q = 1 / (2 sin((2k+1) pi / 2n)), and a first-order section
    // for odd n. Linkwitz-Riley 2m is Butterworth m twice; its two first-order sections (odd m)
    // make one second-order section with Q 0.5.
    const int n = lr ? int(*order) / 2 : int(*order);
    std::vector<double> qs;
    for (int k = 0; k < n / 2; ++k) qs.push_back(1 / (2 * std::sin((2 * k + 1) * kPi / (2 * n))));
    std::vector<FileFilter> out;
    auto section = [&](FilterKind kind2, double q) {
      FileFilter s = f;
      s.kind = kind2;
      s.frequency = *freq;
      if (q > 0) {
        s.width = Width::Q;
        s.widthValue = q;
      }
      out.push_back(s);
    };
    const FilterKind second = lowpass ? FilterKind::LowPass : FilterKind::HighPass;
    const FilterKind first =
        lowpass ? FilterKind::LowPassFirstOrder : FilterKind::HighPassFirstOrder;
    for (int pass = 0; pass < (lr ? 2 : 1); ++pass) {
      for (double q : qs) section(second, q);
    }
    if (n % 2 == 1) {
      if (lr)
        section(second, 0.5);
      else
        section(first, 0);
    }
    return out;
  }
  if (type != "Biquad") return {unsupported(f, type + ": not an EQ section")};
  const std::string kind = scalar(p["type"]);
  if (kind == "Free") {
    const auto a1 = number(p["a1"]), a2 = number(p["a2"]), b0 = number(p["b0"]),
               b1 = number(p["b1"]), b2 = number(p["b2"]);
    if (!a1 || !a2 || !b0 || !b1 || !b2) return {unsupported(f, "Free without a1, a2, b0, b1, b2")};
    f.kind = FilterKind::Coefficients;
    f.coefficients = {*b0, *b1, *b2, *a1, *a2};
    f.sampleRate = rate;
    return {f};
  }
  const auto freq = number(p["freq"]);
  f.frequency = freq.value_or(0);
  f.gainDb = number(p["gain"]).value_or(0);
  if (auto q = number(p["q"])) {
    f.width = Width::Q;
    f.widthValue = *q;
  } else if (auto s = number(p["slope"])) {
    f.width = Width::Slope;
    f.widthValue = *s;
  } else if (auto bw = number(p["bandwidth"])) {
    f.width = Width::BandwidthOct;
    f.widthValue = *bw;
  }
  if (kind == "Peaking")
    f.kind = FilterKind::Peaking;
  else if (kind == "Lowshelf")
    f.kind = FilterKind::LowShelf;
  else if (kind == "Highshelf")
    f.kind = FilterKind::HighShelf;
  else if (kind == "Lowpass")
    f.kind = FilterKind::LowPass;
  else if (kind == "Highpass")
    f.kind = FilterKind::HighPass;
  else if (kind == "LowpassFO")
    f.kind = FilterKind::LowPassFirstOrder;
  else if (kind == "HighpassFO")
    f.kind = FilterKind::HighPassFirstOrder;
  else if (kind == "Notch")
    f.kind = FilterKind::Notch;
  else if (kind == "Allpass")
    f.kind = FilterKind::AllPass;
  else if (kind == "Bandpass")
    f.kind = FilterKind::BandPass;
  else
    return {unsupported(f, "Biquad " + kind + ": no section of the box")};
  if (!freq) return {unsupported(f, "Biquad " + kind + " without freq")};
  if (f.kind == FilterKind::Peaking && f.width == Width::None) {
    return {unsupported(f, "Peaking without q or bandwidth")};
  }
  return {f};
}

std::vector<std::string> channelsOf(const YAML::Node& step) {
  std::vector<std::string> out;
  if (const YAML::Node c = step["channel"]; c && c.IsScalar()) out.push_back(c.Scalar());
  if (const YAML::Node cs = step["channels"]; cs && cs.IsSequence()) {
    for (const YAML::Node& c : cs) {
      if (c.IsScalar()) out.push_back(c.Scalar());
    }
  }
  return out;
}

}  // namespace

ReadResult readCamillaYaml(const std::string& text, const std::string& channel) {
  ReadResult result;
  FileEq& eq = result.eq;
  eq.format = Format::CamillaDsp;
  try {
    const YAML::Node root = YAML::Load(text);
    if (!root.IsMap() || !root["filters"] || !root["filters"].IsMap()) {
      result.error = "no filters mapping: not a CamillaDSP configuration";
      return result;
    }
    double rate = 48000;
    if (const YAML::Node d = root["devices"]; d && d.IsMap()) {
      if (auto r = number(d["samplerate"]); r && *r > 0) rate = *r;
    }
    if (rate != 48000) {
      eq.notes.push_back("the file runs at " + std::to_string(int(rate)) +
                         " Hz; coefficient sections are read at that rate");
    }
    const YAML::Node filters = root["filters"];
    std::optional<double> gain;
    auto addDefinition = [&](const std::string& name, std::vector<FileFilter>* into,
                             bool bypassed) {
      const YAML::Node def = filters[name];
      if (!def) {
        FileFilter f;
        f.text = name;
        into->push_back(unsupported(f, "the pipeline names a filter that is not defined"));
        return;
      }
      std::optional<double> g;
      for (FileFilter f : filtersOf(name, def, rate, &g)) {
        if (bypassed) f.enabled = false;
        into->push_back(f);
      }
      if (g && into == &eq.filters && !bypassed) gain = gain.value_or(0) + *g;
    };
    const YAML::Node pipeline = root["pipeline"];
    bool anyStep = false;
    std::string wanted = channel;
    if (pipeline && pipeline.IsSequence()) {
      for (const YAML::Node& step : pipeline) {
        if (!step.IsMap() || scalar(step["type"]) != "Filter") continue;
        const std::vector<std::string> chans = channelsOf(step);
        if (wanted.empty() && !chans.empty()) wanted = chans.front();
        const bool mine =
            chans.empty() || std::find(chans.begin(), chans.end(), wanted) != chans.end();
        const bool bypassed = scalar(step["bypassed"]) == "true";
        const YAML::Node names = step["names"];
        if (!names || !names.IsSequence()) continue;
        for (const YAML::Node& n : names) {
          if (!n.IsScalar()) continue;
          anyStep = true;
          addDefinition(n.Scalar(), mine ? &eq.filters : &eq.otherChannels, bypassed);
        }
      }
    }
    if (!anyStep) {
      // No pipeline: every defined filter, in the order of the file.
      for (const auto& kv : filters) {
        if (kv.first.IsScalar()) addDefinition(kv.first.Scalar(), &eq.filters, false);
      }
    }
    eq.preampDb = gain;
  } catch (const YAML::Exception& e) {
    std::string msg = e.what();
    for (char& c : msg) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    result.error = "not readable as YAML: " + msg;
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace ax7::eqx
