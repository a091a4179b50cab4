// The design set of the small EQ panel: the five user types at unity pass gain plus band-pass and
// notch.
#pragma once

#include "dsp/biquad.h"

namespace ax7::dsp {

inline constexpr int kSmallDesignOk = 0;
inline constexpr int kSmallDesignBadRate = -1;  // f0 not below half the sample rate
inline constexpr int kSmallDesignUnknownType = -2;

// Types 1..5 as designSection, except that low- and high-pass ignore the gain (always unity);
// 6 band-pass with a 0 dB peak; 7 notch. Gain, f0 and Q are clamped as in designSection. On a
// failure code `out` is left untouched.
int smallDesignSection(int type, double gainDb, double f0, double q, double sampleRate,
                       BiquadCoefficients& out);

}  // namespace ax7::dsp
