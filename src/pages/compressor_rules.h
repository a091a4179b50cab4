#pragma once
// The output compressor as both the output page and the compressor page edit it: the value
// rules of the core (params/compressor_values.h), the texts of values and slider positions, and
// the send of one channel's values.
#include <QString>

#include "params/compressor_values.h"

namespace ax7 {
class Commands;
}  // namespace ax7

namespace ax7::ui::compressor {

using ax7::compressor::Field;
using ax7::compressor::IsOn;
using ax7::compressor::kAttack;
using ax7::compressor::kRatio;
using ax7::compressor::kRelease;
using ax7::compressor::kThreshold;
using ax7::compressor::Moved;
using ax7::compressor::Positions;
using ax7::compressor::Range;
using ax7::compressor::RangeOf;
using ax7::compressor::ShownValues;
using ax7::compressor::StoredPositions;
using ax7::compressor::Values;

// Texts of a value: "%.0fdB", "%.1f:1", "%.0fms". Shown values are always numbers.
QString ThresholdText(double db);
QString RatioText(double ratio);
QString TimeText(double ms);
// The text of a slider position of the field.
QString PositionText(Field field, int position);

// Sends the values for one channel (stores the four words, one report).
void Send(Commands& commands, int channel, const Values& values);

}  // namespace ax7::ui::compressor
