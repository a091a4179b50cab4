#pragma once
// The bands of one EQ set as the editor shows and edits them: the EQ graph draws this model and
// turns gestures into calls on it, the EQ table and the band editor show it, and the band
// senders are fed from it. Every change goes through the band rules; the one rule from a stored
// band record to a shown band lives here, so the editor and the small previews cannot disagree.
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "dsp/band_rules.h"
#include "dsp/response.h"

namespace ax7 {

struct BandRecord;
struct ParameterMemory;

// Types whose gain the pointer, the wheel and the arrow keys move: PEQ and the two shelves.
constexpr bool HasAdjustableGain(int type) {
  return type == 1 || type == 4 || type == 5;
}

class EqSetModel {
 public:
  static constexpr int kMaxBands = 40;
  static constexpr int kOutputMarkers = 10;  // bands 0..8 and the crossover band 9

  // Set 0 with the ten graph defaults.
  EqSetModel();

  // The EQ set 0..14; output sets (7..14) get the crossover band and the output type rules.
  void setEqSet(int set);
  int eqSet() const { return eqSet_; }
  bool isOutputSet() const;

  // Stores the band count (bounded to 0..40). 7 and 10 load the graph defaults (31 Hz upwards,
  // PEQ, Q 1.41); any count then renumbers bands 0..n-1, zeroes their gains and recomputes them.
  void setBandCount(int n);
  int bandCount() const { return bandCount_; }
  // Bands a pointer can reach: 10 for output sets, the band count otherwise.
  int markerCount() const;

  // Band i, 0..39 (std::out_of_range otherwise).
  const dsp::EqBand& band(int i) const { return bands_.at(size_t(i)); }
  std::span<const dsp::EqBand> bands() const { return bands_; }

  // The band rules; each recomputes the band (and the crossover cascade). Bands outside 0..39
  // are ignored.
  void setBandType(int band, int type);
  void setBandGain(int band, double gainDb);
  void setBandQ(int band, double q);
  void setBandFrequency(int band, double hz);
  // A type 1..5 picked by the user: on output sets the gain goes to 0 first and the crossover
  // band takes a whole cascade. False when nothing was done.
  bool chooseBandType(int band, int type);
  // A crossover list entry for the crossover band; false (nothing done) for any other band.
  bool applyCrossover(int band, int listIndex);
  void recomputeBand(int band);

  // Gestures of the graph. A drag puts the band at a frequency (whole hertz) and, for types with
  // an adjustable gain, a gain (others go to 0 dB).
  void dragBand(int band, double hz, double gainDb);
  // Q by dragging, limited to 2 for the pass and shelf types.
  void dragQ(int band, double q);
  // Wheel and key steps: added to the band, then every value is brought back into its limits.
  void nudgeBand(int band, float hzStep, float gainStep, float qStep);

  // The one rule from a stored record to the band shown: a type without a name becomes 0 (output
  // sets keep the crossover section codes up to 31); PEQ takes Q 1.41 and the pass and shelf
  // types 0.7; the gain is 0 for the types without one, else clamped to +-15 dB; a stored
  // frequency or Q of 0 is no value and leaves what the band had; the stored Q is clamped to
  // 0.1..30 for PEQ and 0.1..2 for the others.
  void showStoredBand(int band, const BandRecord& record);
  // Fills the first `records` bands of the set from the box image. The bands start from the
  // graph defaults, so what a stored 0 leaves shown never depends on what was shown before.
  void load(const ParameterMemory& memory, int records);
  // A model of the set with its stored band count, loaded as above.
  static EqSetModel Loaded(const ParameterMemory& memory, int set, int records);
  // Takes the record's values as they are (an imported file, already checked).
  void putBand(int band, const BandRecord& record);

  // The graph's plot width places a peaking band's pinned point; every shown band is recomputed.
  void setPlotWidth(double width);
  const dsp::ResponseGrid& grid() const { return grid_; }

  // Counts changes, so that a view can tell whether what it drew is stale.
  uint64_t revision() const { return revision_; }
  // Called after every change (one listener: the graph that draws the model).
  void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

 private:
  explicit EqSetModel(int set);  // the set and its band count; load() does the rest
  dsp::EqBandEditor rules();
  bool valid(int band) const { return band >= 0 && band < kMaxBands; }
  void applyCount(int n);
  void setCountValues(int n);  // applyCount without the curves
  void recomputeShownBands();
  void changed();

  std::array<dsp::EqBand, kMaxBands> bands_{};
  dsp::ResponseGrid grid_;
  int bandCount_ = 0;
  int eqSet_ = 0;
  uint64_t revision_ = 0;
  std::function<void()> listener_;
};

}  // namespace ax7
