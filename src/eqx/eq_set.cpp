#include "eqx/eq_set.h"

#include <array>
#include <cmath>

#include "dsp/crossover.h"

namespace ax7::eqx {

namespace {

constexpr std::array<const char*, 7> kNames = {"mic-a",  "mic-b",  "reverb-a", "reverb-b",
                                               "echo-a", "echo-b", "music"};

}  // namespace

std::optional<int> parseSetName(const std::string& name) {
  for (size_t i = 0; i < kNames.size(); ++i) {
    if (name == kNames[i]) return int(i);
  }
  if (name.size() == 4 && name.rfind("out", 0) == 0 && name[3] >= '1' && name[3] <= '8') {
    return 7 + (name[3] - '1');
  }
  if (!name.empty() && name.size() <= 2 &&
      name.find_first_not_of("0123456789") == std::string::npos) {
    const int n = std::stoi(name);
    if (n >= 0 && n <= 14) return n;
  }
  return std::nullopt;
}

std::string setName(int set) {
  if (set >= 0 && set < int(kNames.size())) return kNames[size_t(set)];
  if (set >= 7 && set <= 14) return "out" + std::to_string(set - 6);
  return {};
}

bool isOutputSet(int set) {
  return set >= 7 && set <= 14;
}

int editableBands(int set) {
  return isOutputSet(set) ? dsp::kCrossoverBand : EqSetBandCount(set);
}

std::vector<BandRecord> loadSet(const ParameterMemory& mem, int set) {
  std::vector<BandRecord> out;
  const int n = EqSetBandCount(set);
  const int base = EqSetOffset(set);
  for (int b = 0; b < n; ++b) {
    uint8_t rec[kBandRecordSize];
    mem.boxImage.copyOut(size_t(base + b * kBandRecordSize), rec, kBandRecordSize);
    out.push_back(UnpackBandRecord(rec));
  }
  return out;
}

void storeSet(ParameterMemory& mem, int set, const std::vector<BandRecord>& bands) {
  const int n = std::min<int>(EqSetBandCount(set), int(bands.size()));
  const int base = EqSetOffset(set);
  for (int b = 0; b < n; ++b) {
    const BandRecord& r = bands[size_t(b)];
    const PackedBand p = PackBandRecord(r.type, r.gainDb, r.frequency, r.q);
    mem.boxImage.copyIn(size_t(base + b * kBandRecordSize), p.data(), p.size());
  }
}

BandRecord flatBand(int set, int band) {
  static constexpr std::array<int, 10> kTen = {31,   62,   125,  250,  500,
                                               1000, 2000, 4000, 8000, 16000};
  static constexpr std::array<int, 7> kSeven = {63, 125, 250, 500, 1000, 2300, 5000};
  int f = 1000;
  if (EqSetBandCount(set) == 7 && band >= 0 && band < 7)
    f = kSeven[size_t(band)];
  else if (band >= 0 && band < 10)
    f = kTen[size_t(band)];
  else if (band >= 10)
    f = 16000;
  return asStored(1, 0.0, f, 1.41);
}

BandRecord asStored(int type, double gainDb, double frequency, double q) {
  // Rounded to the record's steps first; the packer then truncates onto those steps.
  const double g = std::round(gainDb * 10) / 10;
  const double f = std::round(frequency);
  const double qq = std::round(q * 1000) / 1000;
  const PackedBand p = PackBandRecord(type, float(g), float(f), float(qq));
  return UnpackBandRecord(p.data());
}

}  // namespace ax7::eqx
