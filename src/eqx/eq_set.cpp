#include "eqx/eq_set.h"

#include <array>
#include <cmath>

#include "dsp/crossover.h"
#include "params/eq_sets.h"

namespace ax7::eqx {

namespace {

constexpr int kFallbackHz = 1000;  // a band the set lacks

}  // namespace

std::optional<int> parseSetName(const std::string& name) {
  for (int set = 0; set < kEqSetCount; ++set) {
    if (name == DescribeEqSet(set).name) return set;
  }
  if (!name.empty() && name.size() <= 2 &&
      name.find_first_not_of("0123456789") == std::string::npos) {
    const int n = std::stoi(name);
    if (ValidEqSet(n)) return n;
  }
  return std::nullopt;
}

std::string setName(int set) {
  return ValidEqSet(set) ? DescribeEqSet(set).name : std::string();
}

bool isOutputSet(int set) {
  return IsOutputEqSet(set);
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
  const int f = EqSetResetFrequency(set, band);
  return asStored(1, 0.0, f != 0 ? f : kFallbackHz, 1.41);
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
