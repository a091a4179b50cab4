// The filter math of EQ exchange: a file's filter as a section, a section back to the box's band
// parameters, and how far two responses lie apart.
#pragma once

#include <optional>
#include <string>

#include "dsp/biquad.h"
#include "eqx/filters.h"

namespace ax7::eqx {

// The box's parameters for one section (type 1..5), before any clamping or rounding.
struct SectionParams {
  int type = 1;
  double frequency = 0;
  double gainDb = 0;
  double q = 0;
};

// Magnitude of a section at f Hz for sample rate fs, in dB.
double responseDbAt(const dsp::BiquadCoefficients& c, double f, double fs);

// The section the file means, at 48000 Hz (a coefficient section at its own rate). Nothing for
// kinds without a section or parameters no section can have (a frequency at or above half the
// rate, a width that makes no filter).
std::optional<dsp::BiquadCoefficients> fileSection(const FileFilter& filter);
double fileSectionRate(const FileFilter& filter);

// The box's section type and exact parameters for a file filter, or the reason there is none.
struct ParamsOrReason {
  std::optional<SectionParams> params;
  std::string reason;
};
ParamsOrReason boxParamsFor(const FileFilter& filter);

// Recognises a normalised section as peaking, shelf, low-pass or high-pass at sample rate fs
// and gives its parameters; nothing when it is none of these (checked by designing it again).
std::optional<SectionParams> decodeSection(const dsp::BiquadCoefficients& c, double fs);

// The cookbook design of a box section type at any sample rate (the box's own design at 48000).
dsp::BiquadCoefficients designAt(int type, double gainDb, double f0, double q, double fs);

// Largest difference in dB between two sections over 20 Hz..20 kHz, each at its own rate.
double largestDeviationDb(const dsp::BiquadCoefficients& a, double rateA,
                          const dsp::BiquadCoefficients& b, double rateB);

}  // namespace ax7::eqx
