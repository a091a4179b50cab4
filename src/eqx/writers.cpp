// Writing one EQ set in each format so that it reads back to the same set.
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "dsp/biquad.h"
#include "dsp/crossover.h"
#include "dsp/section_type.h"
#include "eqx/eq_set.h"
#include "eqx/mapping.h"
#include "eqx/numbers.h"

namespace ax7::eqx {

namespace {

std::string exact(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
  return std::string(buf, r.ptr);
}

std::string freqText(double hz) {
  return formatNumber(hz, 0, true);
}
std::string gainText(const BandRecord& r) {
  return formatNumber(r.gainDb, 1);
}
std::string qText(double q) {
  return formatNumber(q, 6);
}

// The Q a fixed-Q crossover section designs with; nothing for first-order and Chebyshev ones.
std::optional<double> crossoverQ(int type) {
  const double pi = dsp::kPi;
  switch (type) {
    case 8:
    case 9:
      return 1 / std::pow(3.0, 0.5);
    case 12:
    case 13:
      return 1 / std::pow(2.0, 0.5);
    case 14:
    case 15:
      return 1 / (2 * std::sin(pi / 6));
    case 16:
    case 17:
      return 1 / (2 * std::sin(pi / 2));
    case 18:
    case 19:
      return 1 / (2 * std::sin(pi / 8));
    case 20:
    case 21:
      return 1 / (2 * std::sin(3 * pi / 8));
    default:
      return std::nullopt;
  }
}

// A band as type, frequency, gain and Q in the words of Equalizer APO (which REW's files use too):
// shelves by their centre with Q (LSC/HSC), pass sections with Q (LPQ/HPQ).
std::string apoFilter(int type, double hz, double gainDb, double q) {
  const std::string fc = "Fc " + freqText(hz) + " Hz";
  switch (type) {
    case 2:
      return "LPQ " + fc + " Q " + qText(q);
    case 3:
      return "HPQ " + fc + " Q " + qText(q);
    case 4:
      return "LSC " + fc + " Gain " + formatNumber(gainDb, 1) + " dB Q " + qText(q);
    case 5:
      return "HSC " + fc + " Gain " + formatNumber(gainDb, 1) + " dB Q " + qText(q);
    default:
      return "PK " + fc + " Gain " + formatNumber(gainDb, 1) + " dB Q " + qText(q);
  }
}

// The crossover band's sections that a parametric format can carry (LPQ/HPQ with their fixed
// Q, shelves); others become a comment so the reader knows they exist.
void apoCrossover(std::ostringstream& out, int set, const std::vector<BandRecord>& bands,
                  int* number, bool rewSpacing) {
  if (!isOutputSet(set)) return;
  for (int b = dsp::kCrossoverBand; b < int(bands.size()); ++b) {
    const BandRecord& r = bands[size_t(b)];
    if (isFiller(r)) continue;
    std::optional<std::string> text;
    if (r.type == 2 || r.type == 3 || r.type == 4 || r.type == 5) {
      text = apoFilter(r.type, r.frequency, r.gainDb, r.q);
    } else if (auto q = crossoverQ(r.type)) {
      text = apoFilter(r.type % 2 == 0 ? 2 : 3, r.frequency, 0, *q);
    }
    if (text) {
      const int n = (*number)++;
      out << "Filter" << (rewSpacing && n < 10 ? "  " : " ") << n << ": ON " << *text << "\n";
    } else {
      out << "# crossover section " << dsp::sectionTypeName(r.type).english << " type " << r.type
          << " at " << freqText(r.frequency) << " Hz has no parametric form here\n";
    }
  }
}

std::string writeApo(int set, const std::vector<BandRecord>& bands, bool rew) {
  std::ostringstream out;
  if (rew) {
    out << "Filter Settings file\n\nax7-control EQ set " << setName(set)
        << "\n\nNotes: sections at 48000 Hz\n\nEqualiser: Generic\n";
  } else {
    out << "# ax7-control EQ set " << setName(set) << ", sections at 48000 Hz\n";
  }
  out << "Preamp: 0 dB\n";
  int number = 1;
  for (int b = 0; b < editableBands(set) && b < int(bands.size()); ++b) {
    const BandRecord& r = bands[size_t(b)];
    // An off band changes no magnitude: written as a flat peaking filter, it keeps its place.
    const bool off = r.type < 1 || r.type > 5;
    const int n = number++;
    out << "Filter" << (rew && n < 10 ? "  " : " ") << n << ": ON "
        << apoFilter(off ? 1 : r.type, r.frequency, off ? 0.0 : r.gainDb, r.q) << "\n";
  }
  apoCrossover(out, set, bands, &number, rew);
  std::string s = out.str();
  if (rew) {
    std::string crlf;
    for (char c : s) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    return crlf;
  }
  return s;
}

// Every section the set runs, designed as the box designs it: the bands, then the crossover
// band's sections (flat filler sections left out). An off band is written as a pass-through.
std::vector<dsp::BiquadCoefficients> designedSections(int set, const std::vector<BandRecord>& bands,
                                                      std::vector<std::string>* names) {
  std::vector<dsp::BiquadCoefficients> out;
  for (int b = 0; b < int(bands.size()); ++b) {
    const BandRecord& r = bands[size_t(b)];
    const bool crossover = b >= editableBands(set);
    if (crossover && isFiller(r)) continue;
    if (r.type == 0 || r.type > dsp::kMaxSectionType) {
      out.push_back(dsp::BiquadCoefficients{});
    } else {
      out.push_back(dsp::designSection(r.type, r.gainDb, int(r.frequency), r.q));
    }
    if (names) {
      names->push_back((crossover ? "crossover_" : "band_") +
                       std::to_string(crossover ? b - editableBands(set) + 1 : b + 1));
    }
  }
  return out;
}

std::string writeBiquad(int set, const std::vector<BandRecord>& bands) {
  std::ostringstream out;
  int n = 1;
  for (const dsp::BiquadCoefficients& c : designedSections(set, bands, nullptr)) {
    out << "biquad" << n++ << ",\n"
        << "b0=" << exact(c.b0) << ",\n"
        << "b1=" << exact(c.b1) << ",\n"
        << "b2=" << exact(c.b2) << ",\n"
        << "a1=" << exact(-c.a1) << ",\n"
        << "a2=" << exact(-c.a2) << ",\n";
  }
  return out.str();
}

std::string writeCamilla(int set, const std::vector<BandRecord>& bands) {
  std::ostringstream out;
  out << "# ax7-control EQ set " << setName(set) << "\n"
      << "devices:\n  samplerate: 48000\nfilters:\n";
  std::vector<std::string> names;
  for (int b = 0; b < editableBands(set) && b < int(bands.size()); ++b) {
    const BandRecord& r = bands[size_t(b)];
    const std::string name = "band_" + std::to_string(b + 1);
    names.push_back(name);
    out << "  " << name << ":\n    type: Biquad\n    parameters:\n";
    const std::string fq = "      freq: " + freqText(r.frequency) + "\n";
    const std::string q = "      q: " + qText(r.q) + "\n";
    switch (r.type) {
      case 2:
        out << "      type: Lowpass\n" << fq << q;
        break;
      case 3:
        out << "      type: Highpass\n" << fq << q;
        break;
      case 4:
        out << "      type: Lowshelf\n" << fq << "      gain: " << gainText(r) << "\n" << q;
        break;
      case 5:
        out << "      type: Highshelf\n" << fq << "      gain: " << gainText(r) << "\n" << q;
        break;
      case 1:
        out << "      type: Peaking\n" << fq << "      gain: " << gainText(r) << "\n" << q;
        break;
      default:  // off: no magnitude change
        out << "      type: Peaking\n" << fq << "      gain: 0\n" << q;
        break;
    }
  }
  if (isOutputSet(set)) {
    std::vector<std::string> all;
    const auto sections = designedSections(set, bands, &all);
    for (size_t i = 0; i < sections.size(); ++i) {
      if (all[i].rfind("crossover_", 0) != 0) continue;
      const dsp::BiquadCoefficients& c = sections[i];
      names.push_back(all[i]);
      out << "  " << all[i] << ":\n    type: Biquad\n    parameters:\n      type: Free\n"
          << "      a1: " << exact(c.a1) << "\n      a2: " << exact(c.a2) << "\n"
          << "      b0: " << exact(c.b0) << "\n      b1: " << exact(c.b1) << "\n"
          << "      b2: " << exact(c.b2) << "\n";
    }
  }
  out << "pipeline:\n  - type: Filter\n    channels: [0]\n    names:\n";
  for (const std::string& n : names) out << "      - " << n << "\n";
  return out.str();
}

std::string writeJson(int set, const std::vector<BandRecord>& bands) {
  nlohmann::ordered_json j;
  j["api_version"] = 1;
  j["set"] = set;
  j["set_name"] = setName(set);
  j["sample_rate"] = 48000;
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (int b = 0; b < int(bands.size()); ++b) {
    const BandRecord& r = bands[size_t(b)];
    nlohmann::ordered_json e;
    e["band"] = b;
    e["type"] = r.type;
    e["type_name"] = std::string(dsp::sectionTypeName(r.type).english);
    e["frequency"] = std::lround(r.frequency);
    e["gain_db"] = std::round(r.gainDb * 10) / 10;
    e["q"] = std::round(r.q * 1000) / 1000;
    if (b >= editableBands(set)) e["crossover"] = true;
    list.push_back(e);
  }
  j["bands"] = list;
  return j.dump(2) + "\n";
}

}  // namespace

std::string writeEqFile(Format format, int set, const std::vector<BandRecord>& bands) {
  switch (format) {
    case Format::Rew:
      return writeApo(set, bands, true);
    case Format::CamillaDsp:
      return writeCamilla(set, bands);
    case Format::Biquad:
      return writeBiquad(set, bands);
    case Format::Json:
      return writeJson(set, bands);
    default:
      return writeApo(set, bands, false);
  }
}

}  // namespace ax7::eqx
