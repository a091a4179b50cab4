// CamillaDSP configuration YAML: its filters, in the order the pipeline runs them for one
// channel. Version 1 pipelines name one `channel:`, later ones a list of `channels:`.
#include <yaml-cpp/exceptions.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "eqx/filters.h"
#include "eqx/numbers.h"
#include "eqx/text.h"
#include "eqx/yaml_tree.h"

namespace ax7::eqx {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Sample rates a configuration may name; beyond them a coefficient section means nothing here.
constexpr double kMinRate = 1000;
constexpr double kMaxRate = 10'000'000;

using Node = YamlTree;

// A number as YAML writes it (surrounding spaces, a sign, an exponent); nothing for anything
// else, and for infinities and NaN.
std::optional<double> number(const Node& n) {
  if (!n || !n.IsScalar()) return std::nullopt;
  const std::string& s = n.Scalar();
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  if (b < e && s[b] == '+') ++b;
  if (b == e || !(std::isdigit(static_cast<unsigned char>(s[b])) || s[b] == '-' || s[b] == '.'))
    return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data() + b, s.data() + e, v);
  if (ec != std::errc() || end != s.data() + e || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string scalar(const Node& n) {
  if (!n || !n.IsScalar()) return {};
  return n.Scalar();
}

int lineOf(const Node& n) {
  return n.line();
}

FileFilter unsupported(FileFilter f, std::string why) {
  f.kind = FilterKind::Unsupported;
  f.reason = std::move(why);
  return f;
}

// One filter definition as the sections it runs (a BiquadCombo runs several).
std::vector<FileFilter> filtersOf(const std::string& name, const Node& def, double rate,
                                  std::optional<double>* gainOut) {
  FileFilter f;
  f.text = clipUtf8(name, 80);
  f.line = lineOf(def);
  if (!def.IsMap()) return {unsupported(f, "filter definition is not a mapping")};
  const std::string type = scalar(def["type"]);
  const Node& p = def["parameters"];
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
    const std::string kind = clipUtf8(scalar(p["type"]), 40);
    if (kind == "FivePointPeq") {
      // A low shelf, three peaking sections and a high shelf, each by frequency, gain and Q.
      static const struct {
        const char *f, *g, *q;
        FilterKind kind;
      } kParts[] = {{"fls", "gls", "qls", FilterKind::LowShelf},
                    {"fp1", "gp1", "qp1", FilterKind::Peaking},
                    {"fp2", "gp2", "qp2", FilterKind::Peaking},
                    {"fp3", "gp3", "qp3", FilterKind::Peaking},
                    {"fhs", "ghs", "qhs", FilterKind::HighShelf}};
      std::vector<FileFilter> out;
      for (const auto& part : kParts) {
        FileFilter s = f;
        s.text = f.text + " (" + part.f + ")";
        const auto freq = number(p[part.f]), gain = number(p[part.g]), q = number(p[part.q]);
        if (!freq || !gain || !q) {
          out.push_back(unsupported(
              s, std::string("FivePointPeq without ") + part.f + ", " + part.g + " and " + part.q));
          continue;
        }
        s.kind = part.kind;
        s.frequency = *freq;
        s.gainDb = *gain;
        s.width = Width::Q;
        s.widthValue = *q;
        out.push_back(s);
      }
      return out;
    }
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
  if (type != "Biquad") return {unsupported(f, clipUtf8(type, 40) + ": not an EQ section")};
  const std::string kind = clipUtf8(scalar(p["type"]), 40);
  if (kind == "Free") {
    const auto a1 = number(p["a1"]), a2 = number(p["a2"]), b0 = number(p["b0"]),
               b1 = number(p["b1"]), b2 = number(p["b2"]);
    if (!a1 || !a2 || !b0 || !b1 || !b2) return {unsupported(f, "Free without a1, a2, b0, b1, b2")};
    if (rate <= 0) return {unsupported(f, "Free section at a sample rate that is not usable")};
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

std::vector<std::string> channelsOf(const Node& step) {
  std::vector<std::string> out;
  if (const Node& c = step["channel"]; c && c.IsScalar()) out.push_back(c.Scalar());
  if (const Node& cs = step["channels"]; cs && cs.IsSequence()) {
    for (const Node& c : cs.items()) {
      if (c.IsScalar()) out.push_back(c.Scalar());
    }
  }
  return out;
}

}  // namespace

ReadResult readCamillaYaml(const std::string& input, const std::string& channel) {
  ReadResult result;
  FileEq& eq = result.eq;
  eq.format = Format::CamillaDsp;
  try {
    const YamlTree tree = YamlTree::parse(normalizeLineEnds(input));
    const Node& root = tree;
    if (!root.IsMap() || !root["filters"] || !root["filters"].IsMap()) {
      result.error = "no filters mapping: not a CamillaDSP configuration";
      return result;
    }
    double rate = 48000;
    if (const Node& d = root["devices"]; d && d.IsMap()) {
      if (const Node& r = d["samplerate"]; r && r.IsScalar()) {
        const auto v = number(r);
        if (v && *v >= kMinRate && *v <= kMaxRate) {
          rate = *v;
        } else {
          // Free sections then cannot be read: they are dropped, never read at a guessed rate.
          rate = 0;
          eq.notes.push_back("the file's samplerate '" + clipUtf8(r.Scalar(), 24) +
                             "' is not a usable rate; coefficient sections are not read");
        }
      }
    }
    if (rate > 0 && rate != 48000) {
      eq.notes.push_back("the file runs at " + formatNumber(rate, 3) +
                         " Hz; coefficient sections are read at that rate");
    }
    const Node& filters = root["filters"];
    std::optional<double> gain;
    auto addDefinition = [&](const std::string& name, bool mine, bool bypassed) {
      // A full list only counts: the work stays bounded however often a file names a filter.
      if (eq.full(mine)) {
        ++eq.unreadFilters;
        return;
      }
      const Node& def = filters[name];
      if (!def) {
        FileFilter f;
        f.text = clipUtf8(name, 80);
        eq.add(unsupported(f, "the pipeline names a filter that is not defined"), mine);
        return;
      }
      std::optional<double> g;
      for (FileFilter f : filtersOf(name, def, rate, &g)) {
        if (bypassed) f.enabled = false;
        eq.add(f, mine);
      }
      if (g && mine && !bypassed) gain = gain.value_or(0) + *g;
    };
    const Node& pipeline = root["pipeline"];
    bool anyStep = false;
    std::string wanted = channel;
    if (pipeline && pipeline.IsSequence()) {
      for (const Node& step : pipeline.items()) {
        if (!step.IsMap() || scalar(step["type"]) != "Filter") continue;
        const std::vector<std::string> chans = channelsOf(step);
        if (wanted.empty() && !chans.empty()) wanted = chans.front();
        const bool mine =
            chans.empty() || std::find(chans.begin(), chans.end(), wanted) != chans.end();
        const bool bypassed = scalar(step["bypassed"]) == "true";
        const Node& names = step["names"];
        if (!names || !names.IsSequence()) continue;
        eq.unreadFilters += names.droppedItems();  // past the head the tree keeps
        for (const Node& n : names.items()) {
          if (!n.IsScalar()) continue;
          anyStep = true;
          addDefinition(n.Scalar(), mine, bypassed);
        }
      }
    }
    if (!anyStep) {
      // No pipeline: every defined filter, in the order of the file.
      for (const auto& kv : filters.entries()) {
        if (!kv.first.empty()) addDefinition(kv.first, true, false);
      }
    }
    eq.preampDb = gain;
    eq.noteUnread();
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
