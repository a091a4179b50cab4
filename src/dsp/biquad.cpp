#include "dsp/biquad.h"

#include <algorithm>
#include <cmath>

#include "dsp/design_core.h"
#include "dsp/section_type.h"

namespace ax7::dsp {
namespace detail {

DesignInputs clampDesignInputs(double gainDb, double f0, double q) {
  return {
      std::isnan(gainDb) ? 0.0 : std::clamp(gainDb, kMinGainDb, kMaxGainDb),
      std::isnan(f0) ? kMinFrequencyHz : std::clamp(f0, kMinFrequencyHz, kMaxFrequencyHz),
      std::isnan(q) ? kMinQ : std::clamp(q, kMinQ, kMaxQ),
  };
}

Angles anglesAt(double f0, double sampleRate) {
  const double w0 = kTwoPi * f0 / sampleRate;
  return {w0, std::cos(w0), std::sin(w0)};
}

BiquadCoefficients normalise(double b0, double b1, double b2, double a0, double a1, double a2) {
  return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

BiquadCoefficients peaking(const Angles& w, double alpha, double a) {
  return normalise(1 + alpha * a, -2 * w.cw, 1 - alpha * a, 1 + alpha / a, -2 * w.cw,
                   1 - alpha / a);
}

// Q enters the shelves as it does the peaking section; the cookbook's slope parameter is unused.
BiquadCoefficients lowShelf(const Angles& w, double alpha, double a) {
  const double beta = 2 * std::sqrt(a) * alpha;
  const double cw = w.cw;
  return normalise(a * ((a + 1) - (a - 1) * cw + beta), 2 * a * ((a - 1) - (a + 1) * cw),
                   a * ((a + 1) - (a - 1) * cw - beta), (a + 1) + (a - 1) * cw + beta,
                   -2 * ((a - 1) + (a + 1) * cw), (a + 1) + (a - 1) * cw - beta);
}

BiquadCoefficients highShelf(const Angles& w, double alpha, double a) {
  const double beta = 2 * std::sqrt(a) * alpha;
  const double cw = w.cw;
  return normalise(a * ((a + 1) + (a - 1) * cw + beta), -2 * a * ((a - 1) + (a + 1) * cw),
                   a * ((a + 1) + (a - 1) * cw - beta), (a + 1) - (a - 1) * cw + beta,
                   2 * ((a - 1) - (a + 1) * cw), (a + 1) - (a - 1) * cw - beta);
}

BiquadCoefficients secondOrderPass(bool highPass, const Angles& w, double alpha, double k) {
  double b0, b1, b2;
  if (highPass) {
    b1 = -k * (1 + w.cw);
    b0 = b2 = k * (1 + w.cw) / 2;
  } else {
    b1 = k * (1 - w.cw);
    b0 = b2 = b1 / 2;
  }
  return normalise(b0, b1, b2, 1 + alpha, -2 * w.cw, 1 - alpha);
}

}  // namespace detail

namespace {

using detail::Angles;

// alpha of the crossover sections whose Q is fixed by their code (8, 9, 12..21).
double fixedQAlpha(int type, double sw) {
  switch (type) {
    case 8:
    case 9:
      return sw / (2 / std::pow(3.0, 0.5));
    case 12:
    case 13:
      return sw / (2 / std::pow(2.0, 0.5));
    case 14:
    case 15:
      return sw * std::sin(kPi / 6);
    case 16:
    case 17:
      return sw * std::sin(kPi / 2);
    case 18:
    case 19:
      return sw * std::sin(kPi / 8);
    default:  // 20, 21
      return sw * std::sin(3 * kPi / 8);
  }
}

// Bilinear first-order sections, written with sin and cos instead of tan(w0/2); already
// normalised.
BiquadCoefficients firstOrder(bool highPass, const Angles& w, double k) {
  const double d = 1 + w.cw + w.sw;
  BiquadCoefficients c;
  c.a1 = (w.sw - w.cw - 1) / d;
  c.a2 = 0;
  c.b2 = 0;
  if (highPass) {
    c.b0 = k * (1 + w.cw) / d;
    c.b1 = -c.b0;
  } else {
    c.b0 = c.b1 = k * w.sw / d;
  }
  return c;
}

// Our 2nd-order Chebyshev section, 0.1 dB down at f0. v takes the square root of a logarithm
// rather than the textbook asinh(1/eps)/2; that choice defines this section's response (about
// +0.2 dB of ripple below f0 for the low-pass), so it is kept as is.
BiquadCoefficients chebyshev(bool highPass, const Angles& w, double k) {
  const double half = std::tan(w.w0 / 2);
  const double t = highPass ? 1 / half : half;
  const double eps = std::pow(std::pow(10.0, 0.01) - 1, 0.5);
  const double e2 = eps * eps;
  const double v = 0.5 * std::pow(std::log(1 / e2 + 1 + 1 / eps), 0.5);
  const double s = t * std::sinh(v);
  const double r = t * std::sin(3 * kPi / 4);
  const double o = 2 * s * std::cos(3 * kPi / 4);
  const double u = s * s;
  const double q = r * r;
  const double wsum = 1 - o + u + q;
  const double m = std::pow(1 / (e2 + 1), 0.5);
  const double d = k * m * (q + u) / wsum;
  const double sign = highPass ? -1.0 : 1.0;
  return {d, sign * 2 * d, d, sign * 2 * (q + u - 1) / wsum, (1 + o + u + q) / wsum};
}

BiquadCoefficients allPass(const Angles& w, double alpha) {
  return detail::normalise(1 - alpha, -2 * w.cw, 1 + alpha, 1 + alpha, -2 * w.cw, 1 - alpha);
}

}  // namespace

BiquadCoefficients designSection(int type, double gainDb, double f0, double q) {
  const detail::DesignInputs in = detail::clampDesignInputs(gainDb, f0, q);
  const Angles w = detail::anglesAt(in.f0, kSampleRate);
  const double alpha = w.sw / (2 * in.q);
  const bool highPass = type % 2 != 0;

  switch (type) {
    case 1:
      return detail::peaking(w, alpha, std::pow(10.0, in.gainDb / 40));
    case 4:
      return detail::lowShelf(w, alpha, std::pow(10.0, in.gainDb / 40));
    case 5:
      return detail::highShelf(w, alpha, std::pow(10.0, in.gainDb / 40));
    default:
      break;
  }
  if (type < 2 || type > kMaxSectionType) return allPass(w, alpha);

  // The gain rule keeps these at 0 dB, so k is 1 in practice.
  const double k = std::pow(10.0, in.gainDb / 20);
  switch (type) {
    case 2:
    case 3:
      return detail::secondOrderPass(highPass, w, alpha, k);
    case 6:
    case 7:
      return chebyshev(highPass, w, k);
    case 10:
    case 11:
      return firstOrder(highPass, w, k);
    default:
      return detail::secondOrderPass(highPass, w, fixedQAlpha(type, w.sw), k);
  }
}

}  // namespace ax7::dsp
