#pragma once
// The output compressor's four values as the window edits them: the slider ranges, how the
// stored words become slider positions and shown values, and which values go to the box when
// one of them moves. The output page, the compressor page and the parameter names all use
// these, so every editor shows and sends alike.
//
// A stored value can be anything a box or a file left there: 0 before the first
// synchronisation, NaN, a ratio of 0 (whose encoding is minus infinity). No editor sends a
// value it does not show: a stored value outside its slider's range, or not a number, is
// replaced by the value its slider shows, and that value is stored with the edit.

namespace ax7 {
struct ParameterMemory;
}

namespace ax7::compressor {

struct Range {
  int minimum, maximum;
};
// Slider positions: threshold in dB, ratio x 10, attack and release in ms.
inline constexpr Range kThreshold{-60, 0};
inline constexpr Range kRatio{10, 300};
inline constexpr Range kAttack{1, 100};
inline constexpr Range kRelease{1, 1000};

enum class Field { Threshold, Ratio, Attack, Release };

// The four values in the units the box takes (dB, n of n:1, ms, ms).
struct Values {
  float threshold = 0.0f;
  float ratio = 1.0f;
  float attack = 1.0f;
  float release = 1.0f;
};

struct Positions {
  int threshold = 0, ratio = 10, attack = 1, release = 1;
};

Range RangeOf(Field field);
// Positions per unit of the field's value: 10 for the ratio, 1 for the others.
double ScaleOf(Field field);

// Slider positions for the stored words of the channel: threshold, ratio x 10, attack, release,
// each rounded to the nearest and clamped to its slider; a word that is not a number gives the
// minimum.
Positions StoredPositions(const ParameterMemory& mem, int channel);
// The values the page shows: each stored value when it is a number inside its slider's range,
// otherwise the value of its slider position. Attack and release go as whole milliseconds
// (the nearest).
Values ShownValues(const ParameterMemory& mem, int channel);
// `values` with the field at the slider position (clamped to its range).
Values WithPosition(Values values, Field field, int position);
// The shown values with the moved slider's position in place of its field.
Values Moved(const ParameterMemory& mem, int channel, Field field, int position);

// "Comp ON": the off word is 0.
bool IsOn(const ParameterMemory& mem, int channel);

}  // namespace ax7::compressor
