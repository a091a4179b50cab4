#include "dsp/response.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ax7::dsp {

ResponseGrid::ResponseGrid(double fmin, double fmax, int points, double plotWidth)
    : fmin_(fmin), fmax_(fmax), plotWidth_(plotWidth) {
  if (!(fmin > 0) || !(fmax > fmin) || !std::isfinite(fmax) || points < 1) {
    throw std::invalid_argument("ResponseGrid needs 0 < fmin < fmax and at least one point");
  }
  frequencies_.resize(points);
  phis_.resize(points);
  const double decades = std::log10(fmax / fmin);
  for (int i = 0; i < points; ++i) {
    const float f = static_cast<float>(fmin * std::pow(10.0, (double(i) / points) * decades));
    frequencies_[i] = f;
    phis_[i] = responsePhi(f);
  }
}

int ResponseGrid::peakIndex(double f0) const {
  if (!(plotWidth_ > 0) || !(f0 >= fmin_) || !(f0 < fmax_)) return -1;
  const double column = std::trunc(plotWidth_ * std::log10(f0 / fmin_) / std::log10(fmax_ / fmin_));
  const double k = std::trunc(column / (plotWidth_ / size()));
  return k >= 0 && k < size() ? static_cast<int>(k) : -1;
}

void fillSectionCurve(const BiquadCoefficients& c, const ResponseGrid& grid, std::span<float> out) {
  const ResponsePolynomials poly(c);
  const int n = std::min(grid.size(), static_cast<int>(out.size()));
  for (int i = 0; i < n; ++i) out[i] = static_cast<float>(poly.db(grid.phi(i)));
}

void computeBandCurve(EqBand& band, const ResponseGrid& grid) {
  if (band.type == 0) return;
  fillSectionCurve(designSection(band.type, band.gainDb, band.freq, band.q), grid, band.curve);
  if (band.type == 1) {
    const int k = grid.peakIndex(band.freq);
    if (k >= 0 && k < kCurvePoints) band.curve[k] = band.gainDb;
  }
}

std::array<float, kCurvePoints> totalCurve(std::span<const EqBand> bands, int bandCount) {
  std::array<float, kCurvePoints> sum{};
  const size_t n = std::min(bands.size(), static_cast<size_t>(std::max(bandCount, 0)));
  for (size_t b = 0; b < n; ++b) {
    if (bands[b].type == 0) continue;
    for (int i = 0; i < kCurvePoints; ++i) sum[i] += bands[b].curve[i];
  }
  return sum;
}

}  // namespace ax7::dsp
