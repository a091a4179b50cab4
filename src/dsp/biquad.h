// Biquad design for every section type and its magnitude response.
#pragma once

#include <array>
#include <cmath>

namespace ax7::dsp {

inline constexpr double kSampleRate = 48000.0;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kPi = kTwoPi / 2;

// The widest parameter ranges any band can hold. The designer clamps its inputs to them: band
// records from mode files or the box carry raw 16-bit values, and outside these ranges the
// formulas divide by zero (Q 0), overflow (huge gains) or turn unstable (f0 above Nyquist).
inline constexpr double kMinFrequencyHz = 20.0;
inline constexpr double kMaxFrequencyHz = 20000.0;
inline constexpr double kMinGainDb = -15.0;
inline constexpr double kMaxGainDb = 15.0;
inline constexpr double kMinQ = 0.1;
inline constexpr double kMaxQ = 30.0;

// Normalised so that a0 = 1: H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
struct BiquadCoefficients {
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
};

// Designs one section at 48 kHz. Codes outside 0..21 give the all-pass of code 0. Never fails:
// gain, f0 and Q are clamped to the limits above (NaN gain counts as 0 dB, NaN f0 and Q as their
// lower limits), so the result is always finite and stable.
BiquadCoefficients designSection(int type, double gainDb, double f0, double q);

// sin^2(pi f / fs), written as the square of sin(2 pi f / fs * 0.5) so that every caller rounds
// the same way.
inline double responsePhi(double f) {
  const double s = std::sin(kTwoPi * f / kSampleRate * 0.5);
  return s * s;
}

// |H|^2 of numerator and denominator as polynomials in phi = sin^2(w/2), evaluated once per
// section so that a curve costs two logarithms per point.
struct ResponsePolynomials {
  double n0, n1, n2;  // N = n0 - n1 phi + n2 phi^2
  double d0, d1, d2;  // D = d0 - d1 phi + d2 phi^2

  explicit ResponsePolynomials(const BiquadCoefficients& c)
      : n0((c.b0 + c.b1 + c.b2) * (c.b0 + c.b1 + c.b2)),
        n1(4 * (c.b0 * c.b1 + 4 * c.b0 * c.b2 + c.b1 * c.b2)),
        n2(16 * c.b0 * c.b2),
        d0((1 + c.a1 + c.a2) * (1 + c.a1 + c.a2)),
        d1(4 * (c.a1 + 4 * c.a2 + c.a1 * c.a2)),
        d2(16 * c.a2) {}

  // N or D reach 0 at a zero or pole on the unit circle (and may round slightly negative near
  // one). Each power is floored at 1e-30, i.e. -300 dB, before its logarithm, so a curve point is
  // always finite: a zero of transmission reads about -300 dB, never -inf or NaN.
  static constexpr double kFloorPower = 1e-30;
  static constexpr double kFloorDb = -300.0;

  static double powerDb(double p) { return p > kFloorPower ? 10 * std::log10(p) : kFloorDb; }

  double db(double phi) const {
    const double n = n0 - n1 * phi + n2 * (phi * phi);
    const double d = d0 - d1 * phi + d2 * (phi * phi);
    return powerDb(n) - powerDb(d);
  }
};

// Magnitude of a section at f Hz, in dB; the two logarithms are taken separately and subtracted.
inline double sectionResponseDb(const BiquadCoefficients& c, double f) {
  return ResponsePolynomials(c).db(responsePhi(f));
}

// The five single-precision words the box takes for a section, in its order -a1, -a2, b0, b1, b2:
// the box's feedback coefficients have the opposite sign to ours.
inline std::array<float, 5> boxWords(const BiquadCoefficients& c) {
  return {static_cast<float>(-c.a1), static_cast<float>(-c.a2), static_cast<float>(c.b0),
          static_cast<float>(c.b1), static_cast<float>(c.b2)};
}

}  // namespace ax7::dsp
