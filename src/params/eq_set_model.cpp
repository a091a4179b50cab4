#include "params/eq_set_model.h"

#include <algorithm>
#include <cmath>

#include "dsp/section_type.h"
#include "params/band_record.h"
#include "params/eq_sets.h"

namespace ax7 {
namespace {

// Graph defaults for 7- and 10-band EQs; loading the box image replaces them.
constexpr std::array<float, 10> kDefaultFrequencies = {31,   62,   125,  250,  500,
                                                       1000, 2000, 4000, 8000, 16000};
constexpr float kDefaultQ = 1.41f;

constexpr float kPeqLoadQ = 1.41f;
constexpr float kPassLoadQ = 0.7f;
// Output sets keep crossover section codes when loading; other sets know only 0..5.
constexpr int kMaxOutputLoadType = 31;
constexpr int kMaxPlainType = 5;
constexpr float kMaxPassLoadQ = 2.0f;

// Q limits while dragging or keying: the cookbook pass and shelf types are only useful up to 2.
double maxDragQ(int type) {
  return type >= 2 && type <= 5 ? 2.0 : dsp::kMaxQ;
}

void applyStoredRecord(dsp::EqBand& band, const BandRecord& r, bool outputSet) {
  band.type = r.type > (outputSet ? kMaxOutputLoadType : kMaxPlainType) ? 0 : r.type;
  if (band.type == 1) band.q = kPeqLoadQ;
  if (band.type >= 2 && band.type <= 5) band.q = kPassLoadQ;
  band.gainDb =
      dsp::hasFixedZeroGain(band.type) ? 0.0f : std::clamp(r.gainDb, band.gainMin, band.gainMax);
  if (r.frequency != 0) band.freq = std::clamp(r.frequency, band.freqMin, band.freqMax);
  if (r.q != 0) {
    band.q = std::clamp(r.q, float(dsp::kMinQ), band.type == 1 ? float(dsp::kMaxQ) : kMaxPassLoadQ);
  }
}

}  // namespace

EqSetModel::EqSetModel() {
  applyCount(10);
}

bool EqSetModel::isOutputSet() const {
  return IsOutputEqSet(eqSet_);
}

int EqSetModel::markerCount() const {
  return isOutputSet() ? kOutputMarkers : bandCount_;
}

dsp::EqBandEditor EqSetModel::rules() {
  return dsp::EqBandEditor(bands_, isOutputSet(), grid_);
}

void EqSetModel::changed() {
  ++revision_;
  if (listener_) listener_();
}

void EqSetModel::setEqSet(int set) {
  if (set == eqSet_) return;
  eqSet_ = set;
  changed();
}

void EqSetModel::applyCount(int n) {
  setCountValues(n);
  recomputeShownBands();
}

void EqSetModel::setCountValues(int n) {
  bandCount_ = std::clamp(n, 0, kMaxBands);
  if (bandCount_ == 7 || bandCount_ == 10) {
    for (int i = 0; i < bandCount_; ++i) {
      bands_[size_t(i)].freq = kDefaultFrequencies[size_t(i)];
      bands_[size_t(i)].type = 1;
      bands_[size_t(i)].q = kDefaultQ;
    }
  }
  for (int i = 0; i < bandCount_; ++i) {
    bands_[size_t(i)].number = i;
    bands_[size_t(i)].gainDb = 0.0f;
  }
}

void EqSetModel::setBandCount(int n) {
  applyCount(n);
  changed();
}

void EqSetModel::recomputeShownBands() {
  auto r = rules();
  for (int i = 0; i < bandCount_; ++i) r.recompute(i);
}

void EqSetModel::setBandType(int band, int type) {
  rules().setType(band, type);
  changed();
}

void EqSetModel::setBandGain(int band, double gainDb) {
  rules().setGain(band, gainDb);
  changed();
}

void EqSetModel::setBandQ(int band, double q) {
  rules().setQ(band, q);
  changed();
}

void EqSetModel::setBandFrequency(int band, double hz) {
  rules().setFrequency(band, hz);
  changed();
}

bool EqSetModel::chooseBandType(int band, int type) {
  const bool done = rules().chooseType(band, type);
  if (done) changed();
  return done;
}

bool EqSetModel::applyCrossover(int band, int listIndex) {
  const bool done = rules().applyCrossover(band, listIndex);
  if (done) changed();
  return done;
}

void EqSetModel::recomputeBand(int band) {
  rules().recompute(band);
  changed();
}

void EqSetModel::dragBand(int band, double hz, double gainDb) {
  if (!valid(band)) return;
  dsp::EqBand& b = bands_[size_t(band)];
  // Whole hertz, as the band is stored and sent, so the readout shows what the box gets.
  b.freq = float(std::trunc(std::clamp(hz, double(b.freqMin), double(b.freqMax))));
  const double gain = HasAdjustableGain(b.type) ? gainDb : 0.0;
  b.gainDb = float(std::clamp(gain, double(b.gainMin), double(b.gainMax)));
  recomputeBand(band);
}

void EqSetModel::dragQ(int band, double q) {
  if (!valid(band)) return;
  dsp::EqBand& b = bands_[size_t(band)];
  b.q = float(std::clamp(q, dsp::kMinQ, maxDragQ(b.type)));
  recomputeBand(band);
}

void EqSetModel::nudgeBand(int band, float hzStep, float gainStep, float qStep) {
  if (!valid(band)) return;
  dsp::EqBand& b = bands_[size_t(band)];
  // Only the stepped value moves (adding 0 would turn a -0 dB readout into +0).
  if (hzStep != 0) b.freq += hzStep;
  if (gainStep != 0) b.gainDb += gainStep;
  if (qStep != 0) b.q += qStep;
  b.gainDb = std::clamp(b.gainDb, b.gainMin, b.gainMax);
  b.q = float(std::clamp(double(b.q), dsp::kMinQ, maxDragQ(b.type)));
  b.freq = std::clamp(b.freq, b.freqMin, b.freqMax);
  recomputeBand(band);
}

void EqSetModel::showStoredBand(int band, const BandRecord& record) {
  if (!valid(band)) return;
  applyStoredRecord(bands_[size_t(band)], record, isOutputSet());
  // Bands in order: the crossover band pulls records 10..12 along, which then take their own
  // stored values.
  recomputeBand(band);
}

void EqSetModel::load(const ParameterMemory& memory, int records) {
  const int count = bandCount_;
  bands_.fill(dsp::EqBand{});
  setCountValues(10);
  if (count != 10) setCountValues(count);
  // The crossover records start out following the default crossover band, as they would on a
  // set shown before loading; a stored crossover band without a type leaves them so.
  if (isOutputSet()) rules().recompute(dsp::kCrossoverBand);
  // Then each band's curve once, in band order as the crossover band needs (see showStoredBand).
  const int n = std::clamp(records, 0, std::min(EqSetBandCount(eqSet_), kMaxBands));
  for (int b = 0; b < n; ++b) showStoredBand(b, LoadEqSetRecord(memory, eqSet_, b));
  auto r = rules();
  for (int b = n; b < bandCount_; ++b) r.recompute(b);
  changed();
}

EqSetModel EqSetModel::Loaded(const ParameterMemory& memory, int set, int records) {
  EqSetModel model(set);
  model.load(memory, records);
  return model;
}

EqSetModel::EqSetModel(int set) : bandCount_(EqSetBandCount(set)), eqSet_(set) {}

void EqSetModel::putBand(int band, const BandRecord& record) {
  if (!valid(band)) return;
  dsp::EqBand& b = bands_[size_t(band)];
  b.type = record.type;
  b.gainDb = record.gainDb;
  b.freq = record.frequency;
  b.q = record.q;
  recomputeBand(band);
}

void EqSetModel::setPlotWidth(double width) {
  grid_.setPlotWidth(width);
  recomputeShownBands();
  changed();
}

}  // namespace ax7
