#include "dsp/band_rules.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dsp/crossover.h"
#include "dsp/section_type.h"

namespace ax7::dsp {
namespace {

constexpr float kPeqDefaultQ = 1.41f;
constexpr float kPassDefaultQ = 0.7f;
constexpr double kMaxPassQ = 2.0;
constexpr double kIgnoredQ = 1e-7;

// The rules without the curve update; each returns whether the band changed.

bool applyGain(EqBand& band, double gainDb) {
  if (std::isnan(gainDb)) return false;
  const double g = hasFixedZeroGain(band.type) ? 0.0 : gainDb;
  band.gainDb = static_cast<float>(std::clamp(g, double(band.gainMin), double(band.gainMax)));
  return true;
}

bool applyQ(EqBand& band, double q) {
  if (std::isnan(q) || std::fabs(q) < kIgnoredQ) return false;
  band.q = static_cast<float>(std::clamp(q, kMinQ, band.type == 1 ? kMaxQ : kMaxPassQ));
  return true;
}

bool applyFrequency(EqBand& band, double hz) {
  if (std::isnan(hz)) return false;
  // Whole hertz, as the band is stored and sent: what every readout shows is what the box has.
  band.freq =
      static_cast<float>(std::trunc(std::clamp(hz, double(band.freqMin), double(band.freqMax))));
  return true;
}

void applyType(EqBand& band, int type) {
  band.type = type;
  if (type == 1) {
    applyQ(band, kPeqDefaultQ);
  } else if (type >= 2 && type <= 5) {
    applyGain(band, 0.0);
    applyQ(band, kPassDefaultQ);
  }
}

}  // namespace

void setBandType(EqBand& band, int type, const ResponseGrid& grid) {
  applyType(band, type);
  computeBandCurve(band, grid);
}

void setBandGain(EqBand& band, double gainDb, const ResponseGrid& grid) {
  if (applyGain(band, gainDb)) computeBandCurve(band, grid);
}

void setBandQ(EqBand& band, double q, const ResponseGrid& grid) {
  if (applyQ(band, q)) computeBandCurve(band, grid);
}

void setBandFrequency(EqBand& band, double hz, const ResponseGrid& grid) {
  if (applyFrequency(band, hz)) computeBandCurve(band, grid);
}

EqBandEditor::EqBandEditor(std::span<EqBand> bands, bool outputSet, const ResponseGrid& grid)
    : bands_(bands), outputSet_(outputSet), grid_(grid) {
  if (outputSet && bands.size() < static_cast<size_t>(kOutputBandCount)) {
    throw std::invalid_argument("an output EQ needs 13 bands for its crossover cascade");
  }
}

void EqBandEditor::setType(int index, int type) {
  if (!valid(index)) return;
  applyType(bands_[index], type);
  recompute(index);
}

void EqBandEditor::setGain(int index, double gainDb) {
  if (valid(index) && applyGain(bands_[index], gainDb)) recompute(index);
}

void EqBandEditor::setQ(int index, double q) {
  if (valid(index) && applyQ(bands_[index], q)) recompute(index);
}

void EqBandEditor::setFrequency(int index, double hz) {
  if (valid(index) && applyFrequency(bands_[index], hz)) recompute(index);
}

void EqBandEditor::recompute(int index) {
  if (!valid(index)) return;
  if (bands_[index].type == 0) return;
  if (isCrossoverBand(index)) {
    followCrossoverBand();
    for (int r = kCrossoverBand + 1; r < kCrossoverBand + kCrossoverSections; ++r) {
      computeBandCurve(bands_[r], grid_);
    }
  }
  computeBandCurve(bands_[index], grid_);
}

void EqBandEditor::followCrossoverBand() {
  const EqBand& head = bands_[kCrossoverBand];
  for (int r = kCrossoverBand + 1; r < kCrossoverBand + kCrossoverSections; ++r) {
    bands_[r].freq = head.freq;
    bands_[r].q = head.q;
    bands_[r].gainDb = 0.0f;
  }
}

bool EqBandEditor::chooseType(int index, int plainType) {
  if (!valid(index) || plainType < 1 || plainType > 5) return false;
  if (isCrossoverBand(index)) {
    setCascade(*plainCrossoverTypes(plainType));
    return true;
  }
  if (outputSet_) applyGain(bands_[index], 0.0);
  setType(index, plainType);
  return true;
}

bool EqBandEditor::applyCrossover(int index, int listIndex) {
  if (!valid(index) || !isCrossoverBand(index)) return false;
  setCascade(expandCrossover(listIndex, bands_[index].type));
  return true;
}

// Gains to 0 through the gain rule, then the types through the type rule in record order. Band
// 9's type change brings records 10..12 in step before their own types are set, so a PEQ filler
// keeps the Q 1.41 of its type rule until band 9 next changes (it is flat either way). The
// curves are computed once, at the end.
void EqBandEditor::setCascade(const std::array<int, 4>& types) {
  for (int i = 0; i < kCrossoverSections; ++i) applyGain(bands_[kCrossoverBand + i], 0.0);
  applyType(bands_[kCrossoverBand], types[0]);
  followCrossoverBand();
  for (int i = 1; i < kCrossoverSections; ++i) applyType(bands_[kCrossoverBand + i], types[i]);
  for (int i = 0; i < kCrossoverSections; ++i) computeBandCurve(bands_[kCrossoverBand + i], grid_);
}

}  // namespace ax7::dsp
