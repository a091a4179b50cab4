// Response curves on the graph's logarithmic frequency grid: per band and in total.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "dsp/biquad.h"

namespace ax7::dsp {

inline constexpr int kCurvePoints = 512;
// Display limits of the EQ graph.
inline constexpr double kGraphMinHz = 18.0;
inline constexpr double kGraphMaxHz = 23000.0;

// Point i lies at fmin * 10^((i / n) * log10(fmax / fmin)), rounded to single precision, and is
// drawn at x = left + i * W / n. The grid keeps sin^2(pi f_i / fs) per point so that a curve is n
// polynomial evaluations. W, the plot width in pixels, only places the peaking point (see
// peakIndex).
class ResponseGrid {
 public:
  ResponseGrid() : ResponseGrid(kGraphMinHz, kGraphMaxHz) {}
  // Throws std::invalid_argument unless 0 < fmin < fmax (finite), points >= 1.
  ResponseGrid(double fmin, double fmax, int points = kCurvePoints,
               double plotWidth = kCurvePoints);

  int size() const { return static_cast<int>(frequencies_.size()); }
  double fmin() const { return fmin_; }
  double fmax() const { return fmax_; }
  float frequency(int i) const { return frequencies_[i]; }
  double phi(int i) const { return phis_[i]; }

  double plotWidth() const { return plotWidth_; }
  void setPlotWidth(double w) { plotWidth_ = w; }

  // The point a peaking band's curve pins to its gain:
  //   k = trunc(trunc(W * log10(f0/fmin) / log10(fmax/fmin)) / (W / n)),
  // i.e. the pixel column of f0 mapped back to a curve point, so the drawn peak reaches the set
  // gain at the marker. With W = n (512) this is the grid point at or just below f0. Returns -1
  // when f0 lies outside [fmin, fmax) or the plot has no width.
  int peakIndex(double f0) const;

 private:
  double fmin_;
  double fmax_;
  double plotWidth_;
  std::vector<float> frequencies_;
  std::vector<double> phis_;
};

// sectionResponseDb at every grid point, in single precision. Writes min(out.size(), grid.size())
// points.
void fillSectionCurve(const BiquadCoefficients& c, const ResponseGrid& grid, std::span<float> out);

// One band of an EQ graph. A new band is a flat PEQ at 100 Hz.
struct EqBand {
  int number = 0;
  int type = 1;  // SectionType code
  float freq = 100.0f;
  float gainDb = 0.0f;
  float q = 1.0f;
  float freqMin = static_cast<float>(kMinFrequencyHz);
  float freqMax = static_cast<float>(kMaxFrequencyHz);
  float gainMin = static_cast<float>(kMinGainDb);
  float gainMax = static_cast<float>(kMaxGainDb);
  std::array<float, kCurvePoints> curve{};  // dB per grid point
};

// Designs the band's section and fills its curve; a peaking band's curve is then pinned to its
// gain at grid.peakIndex(freq). A type-0 band is not evaluated: its curve keeps what it holds.
void computeBandCurve(EqBand& band, const ResponseGrid& grid);

// Point-by-point sum of the curves of the first bandCount bands, skipping type-0 bands.
std::array<float, kCurvePoints> totalCurve(std::span<const EqBand> bands, int bandCount);

}  // namespace ax7::dsp
