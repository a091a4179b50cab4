// Pieces shared by the box designer and the small-panel designer. Not part of the public API.
#pragma once

#include "dsp/biquad.h"

namespace ax7::dsp::detail {

struct DesignInputs {
  double gainDb;
  double f0;
  double q;
};

// Clamps gain, f0 and Q to the band limits of biquad.h; NaN maps to 0 dB, 20 Hz and Q 0.1.
DesignInputs clampDesignInputs(double gainDb, double f0, double q);

struct Angles {
  double w0, cw, sw;
};

Angles anglesAt(double f0, double sampleRate);

BiquadCoefficients normalise(double b0, double b1, double b2, double a0, double a1, double a2);

// Cookbook sections. a is 10^(gain/40); k a plain numerator gain (1 for unity).
BiquadCoefficients peaking(const Angles& w, double alpha, double a);
BiquadCoefficients lowShelf(const Angles& w, double alpha, double a);
BiquadCoefficients highShelf(const Angles& w, double alpha, double a);
BiquadCoefficients secondOrderPass(bool highPass, const Angles& w, double alpha, double k);

}  // namespace ax7::dsp::detail
