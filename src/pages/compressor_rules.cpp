#include "pages/compressor_rules.h"

#include "device/commands.h"

namespace ax7::ui::compressor {

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
