#pragma once
// Float-to-integer conversions for values that come from outside (mode files, the box): a
// stored word may hold any bit pattern, and converting a NaN or an out-of-range float to an
// integer is undefined. Every such conversion goes through these.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ax7 {

// Truncation toward zero into [lo, hi]; NaN gives lo, infinities the nearer end.
constexpr int64_t SaturateTrunc(double v, int64_t lo, int64_t hi) {
  if (!(v == v)) return lo;  // NaN
  if (v <= double(lo)) return lo;
  if (v >= double(hi)) return hi;
  const auto t = int64_t(v);
  return t < lo ? lo : (t > hi ? hi : t);
}

constexpr int32_t SaturateToInt32(double v) {
  return int32_t(SaturateTrunc(v, std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::max()));
}

// A stored float word shown as a slider position: word x scale, truncated and clamped to the
// slider's range; NaN and both infinities give the minimum, so a damaged word never places a
// slider at its far end by accident. A word within float precision of a whole position is that
// position: 500 ms kept in a float as 499.999969 is 500, not 499.
inline int SliderPosition(double word, int minimum, int maximum, double scale = 1.0) {
  double v = word * scale;
  if (!(v == v) || v == std::numeric_limits<double>::infinity() ||
      v == -std::numeric_limits<double>::infinity())
    return minimum;
  const double nearest = std::nearbyint(v);
  const double tolerance =
      4.0 * double(std::numeric_limits<float>::epsilon()) * std::max(1.0, std::fabs(v));
  if (std::fabs(v - nearest) <= tolerance) v = nearest;
  return int(SaturateTrunc(v, minimum, maximum));
}

}  // namespace ax7
