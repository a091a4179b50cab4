#include "pages/compressor_rules.h"

#include <cmath>

#include "device/commands.h"
#include "params/memory.h"
#include "params/param_table.h"
#include "params/saturate.h"

namespace ax7::ui::compressor {
namespace {

// The four words of a channel are eight apart: threshold, ratio, attack, release.
constexpr int kWordStride = 8;

float storedWord(const ParameterMemory& mem, int channel, Field field) {
  const int word = Describe(Param::Compressor).wordOf(channel) + int(field) * kWordStride;
  return mem.pc.getFloat(size_t(word));
}

double scaleOf(Field field) {
  return field == Field::Ratio ? 10.0 : 1.0;
}

// Rounded as the value texts' "%.0f" and "%.1f" round, so slider and text agree.
int storedPosition(const ParameterMemory& mem, int channel, Field field) {
  const Range r = RangeOf(field);
  return SliderPosition(std::nearbyint(double(storedWord(mem, channel, field)) * scaleOf(field)),
                        r.minimum, r.maximum);
}

float shownValue(const ParameterMemory& mem, int channel, Field field) {
  const Range r = RangeOf(field);
  const double scale = scaleOf(field);
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

Positions StoredPositions(const ParameterMemory& mem, int channel) {
  return {storedPosition(mem, channel, Field::Threshold),
          storedPosition(mem, channel, Field::Ratio), storedPosition(mem, channel, Field::Attack),
          storedPosition(mem, channel, Field::Release)};
}

Values ShownValues(const ParameterMemory& mem, int channel) {
  return {shownValue(mem, channel, Field::Threshold), shownValue(mem, channel, Field::Ratio),
          shownValue(mem, channel, Field::Attack), shownValue(mem, channel, Field::Release)};
}

Values Moved(const ParameterMemory& mem, int channel, Field field, int position) {
  Values v = ShownValues(mem, channel);
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

bool IsOn(const ParameterMemory& mem, int channel) {
  return mem.pc.getInt(size_t(Describe(Param::CompressorOn).wordOf(channel))) == 0;
}

QString ThresholdText(double db) {
  return QString::asprintf("%.0fdB", db);
}

QString RatioText(double ratio) {
  return QString::asprintf("%.1f:1", ratio);
}

QString TimeText(double ms) {
  return QString::asprintf("%.0fms", ms);
}

QString PositionText(Field field, int position) {
  switch (field) {
    case Field::Threshold:
      return ThresholdText(position);
    case Field::Ratio:
      return RatioText(position / 10.0);
    case Field::Attack:
    case Field::Release:
      return TimeText(position);
  }
  return {};
}

void Send(Commands& commands, int channel, const Values& v) {
  commands.SetCompressor(channel, v.threshold, v.ratio, v.attack, v.release);
}

}  // namespace ax7::ui::compressor
