// The rules every band parameter change goes through, and the crossover band of output EQs.
#pragma once

#include <array>
#include <span>

#include "dsp/crossover.h"
#include "dsp/response.h"

namespace ax7::dsp {

// Single-band rules; each recomputes the band's own curve after a change. For the crossover band
// of an output EQ use EqBandEditor, which also keeps records 10..12 in step.
//
// Type: stored; PEQ then takes Q 1.41; LP, HP, LS and HS take gain 0 dB and Q 0.7; other codes
// change nothing else.
void setBandType(EqBand& band, int type, const ResponseGrid& grid);
// Gain: pinned to 0 dB for types 2, 3 and above 5, then clamped to the band's gain limits.
void setBandGain(EqBand& band, double gainDb, const ResponseGrid& grid);
// Q: a value within 1e-7 of zero is ignored; otherwise clamped to 0.1..30 for PEQ, 0.1..2 for
// every other type.
void setBandQ(EqBand& band, double q, const ResponseGrid& grid);
// Frequency: clamped to the band's frequency limits.
void setBandFrequency(EqBand& band, double hz, const ResponseGrid& grid);
// NaN values are ignored by all four setters.

// The bands of one EQ graph. For an output EQ (outputSet) band 9 is the crossover band: whenever
// its curve is computed, records 10..12 first take its frequency and Q with gain 0 dB and have
// their curves computed. Band 9's own curve holds only its first section; the graph's total over
// 13 bands holds the whole cascade. The editor only refers to the bands and the grid; both must
// outlive it.
class EqBandEditor {
 public:
  // Throws std::invalid_argument for an output set with fewer than 13 bands.
  EqBandEditor(std::span<EqBand> bands, bool outputSet, const ResponseGrid& grid);
  EqBandEditor(std::span<EqBand> bands, bool outputSet, ResponseGrid&& grid) = delete;

  // The single-band rules, followed by recompute(index). Out-of-range indices do nothing.
  void setType(int index, int type);
  void setGain(int index, double gainDb);
  void setQ(int index, double q);
  void setFrequency(int index, double hz);

  // The band's curve (and the crossover cascade's for band 9 of an output set). A type-0 band is
  // not computed.
  void recompute(int index);

  // A type picked from the graph's menu (1..5). Outside output sets the type rule alone applies;
  // on an output set the gain goes to 0 first, and the crossover band takes the whole cascade
  // for that type (LP and HP being the Butterworth 24dB pair). False if nothing was done.
  bool chooseType(int index, int plainType);

  // A crossover list entry on the crossover band: records 9..12 get gain 0 and the entry's
  // types, low- or high-pass after band 9's current type. False (nothing done) for any band but
  // the crossover band of an output set.
  bool applyCrossover(int index, int listIndex);

 private:
  bool valid(int index) const { return index >= 0 && index < static_cast<int>(bands_.size()); }
  bool isCrossoverBand(int index) const { return outputSet_ && index == kCrossoverBand; }
  void followCrossoverBand();
  void setCascade(const std::array<int, 4>& types);

  std::span<EqBand> bands_;
  bool outputSet_;
  const ResponseGrid& grid_;
};

}  // namespace ax7::dsp
