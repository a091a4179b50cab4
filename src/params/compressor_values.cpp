#include "params/compressor_values.h"

#include <cmath>

#include "params/memory.h"
#include "params/param_table.h"
#include "params/saturate.h"

namespace ax7::compressor {
namespace {

// The four words of a channel are eight apart: threshold, ratio, attack, release.
constexpr int kWordStride = 8;

float storedWord(const ParameterMemory& mem, int channel, Field field) {
  const int word = Describe(Param::Compressor).wordOf(channel) + int(field) * kWordStride;
  return mem.pc.getFloat(size_t(word));
}

// Rounded as the value texts' "%.0f" and "%.1f" round, so slider and text agree.
int storedPosition(const ParameterMemory& mem, int channel, Field field) {
  const Range r = RangeOf(field);
  return SliderPosition(std::nearbyint(double(storedWord(mem, channel, field)) * ScaleOf(field)),
                        r.minimum, r.maximum);
}

float shownValue(const ParameterMemory& mem, int channel, Field field) {
  const Range r = RangeOf(field);
  const double scale = ScaleOf(field);
  double v = storedWord(mem, channel, field);
  const bool inRange = std::isfinite(v) && v * scale >= r.minimum && v * scale <= r.maximum;
  if (!inRange) v = storedPosition(mem, channel, field) / scale;
  // Whole milliseconds go to the box; the nearest, so 500 ms kept as 499.999969 stays 500.
  if (field == Field::Attack || field == Field::Release) v = std::nearbyint(v);
  return float(v);
}

}  // namespace

Range RangeOf(Field field) {
  switch (field) {
    case Field::Threshold:
      return kThreshold;
    case Field::Ratio:
      return kRatio;
    case Field::Attack:
      return kAttack;
    case Field::Release:
      return kRelease;
  }
  return kThreshold;
}

double ScaleOf(Field field) {
  return field == Field::Ratio ? 10.0 : 1.0;
}

Positions StoredPositions(const ParameterMemory& mem, int channel) {
  return {storedPosition(mem, channel, Field::Threshold),
          storedPosition(mem, channel, Field::Ratio), storedPosition(mem, channel, Field::Attack),
          storedPosition(mem, channel, Field::Release)};
}

Values ShownValues(const ParameterMemory& mem, int channel) {
  return {shownValue(mem, channel, Field::Threshold), shownValue(mem, channel, Field::Ratio),
          shownValue(mem, channel, Field::Attack), shownValue(mem, channel, Field::Release)};
}

Values WithPosition(Values v, Field field, int position) {
  const Range r = RangeOf(field);
  const int p = position < r.minimum ? r.minimum : (position > r.maximum ? r.maximum : position);
  switch (field) {
    case Field::Threshold:
      v.threshold = float(p);
      break;
    case Field::Ratio:
      v.ratio = float(p / 10.0);
      break;
    case Field::Attack:
      v.attack = float(p);
      break;
    case Field::Release:
      v.release = float(p);
      break;
  }
  return v;
}

Values Moved(const ParameterMemory& mem, int channel, Field field, int position) {
  return WithPosition(ShownValues(mem, channel), field, position);
}

bool IsOn(const ParameterMemory& mem, int channel) {
  return mem.pc.getInt(size_t(Describe(Param::CompressorOn).wordOf(channel))) == 0;
}

}  // namespace ax7::compressor
