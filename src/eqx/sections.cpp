#include "eqx/sections.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ax7::eqx {

namespace {

constexpr double kLn2 = 0.69314718055994530942;
constexpr double kButterworthQ = 0.70710678118654752440;
// A shelf given without width has a slope of 0.9 (10.8 dB per octave), as Equalizer APO reads it.
constexpr double kDefaultShelfSlope = 0.9;

// Q of a peaking or pass section whose width is given in octaves, by the digital relation
// (bandwidth measured on the warped frequency axis at the sample rate).
double qFromBandwidth(double octaves, double f0, double fs) {
  const double w0 = dsp::kTwoPi * f0 / fs;
  const double s = std::sin(w0);
  const double alpha = s * std::sinh(kLn2 / 2 * octaves * w0 / s);
  return s / (2 * alpha);
}

// Shelf slope S (1 = 12 dB per octave) to the Q the box's shelf takes.
std::optional<double> qFromShelfSlope(double s, double gainDb) {
  const double a = std::pow(10.0, gainDb / 40);
  const double radicand = (a + 1 / a) * (1 / s - 1) + 2;
  if (!(s > 0) || !(radicand > 0)) return std::nullopt;
  return 1 / std::sqrt(radicand);
}

double shelfSlopeFromQ(double q, double gainDb) {
  const double a = std::pow(10.0, gainDb / 40);
  return 1 / ((1 / (q * q) - 2) / (a + 1 / a) + 1);
}

bool isShelf(FilterKind k) {
  return k == FilterKind::LowShelf || k == FilterKind::HighShelf;
}

bool closeTo(const dsp::BiquadCoefficients& a, const dsp::BiquadCoefficients& b) {
  const std::array<double, 5> x{a.b0, a.b1, a.b2, a.a1, a.a2};
  const std::array<double, 5> y{b.b0, b.b1, b.b2, b.a1, b.a2};
  for (size_t i = 0; i < 5; ++i) {
    if (!(std::fabs(x[i] - y[i]) <= 1e-6 * std::max(1.0, std::fabs(y[i])))) return false;
  }
  return true;
}

}  // namespace

double responseDbAt(const dsp::BiquadCoefficients& c, double f, double fs) {
  const double s = std::sin(dsp::kPi * f / fs);
  const double phi = s * s;
  const double n = (c.b0 + c.b1 + c.b2) * (c.b0 + c.b1 + c.b2) -
                   4 * (c.b0 * c.b1 + 4 * c.b0 * c.b2 + c.b1 * c.b2) * phi +
                   16 * c.b0 * c.b2 * phi * phi;
  const double d = (1 + c.a1 + c.a2) * (1 + c.a1 + c.a2) -
                   4 * (c.a1 + 4 * c.a2 + c.a1 * c.a2) * phi + 16 * c.a2 * phi * phi;
  auto db = [](double p) { return p > 1e-30 ? 10 * std::log10(p) : -300.0; };
  return db(n) - db(d);
}

dsp::BiquadCoefficients designAt(int type, double gainDb, double f0, double q, double fs) {
  const double w0 = dsp::kTwoPi * f0 / fs;
  const double cw = std::cos(w0);
  const double sw = std::sin(w0);
  const double alpha = sw / (2 * q);
  const double a = std::pow(10.0, gainDb / 40);
  double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
  switch (type) {
    case 1:
      b0 = 1 + alpha * a, b1 = -2 * cw, b2 = 1 - alpha * a;
      a0 = 1 + alpha / a, a1 = -2 * cw, a2 = 1 - alpha / a;
      break;
    case 2:
      b1 = 1 - cw, b0 = b2 = b1 / 2;
      a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
      break;
    case 3:
      b1 = -(1 + cw), b0 = b2 = (1 + cw) / 2;
      a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
      break;
    case 4: {
      const double beta = 2 * std::sqrt(a) * alpha;
      b0 = a * ((a + 1) - (a - 1) * cw + beta);
      b1 = 2 * a * ((a - 1) - (a + 1) * cw);
      b2 = a * ((a + 1) - (a - 1) * cw - beta);
      a0 = (a + 1) + (a - 1) * cw + beta;
      a1 = -2 * ((a - 1) + (a + 1) * cw);
      a2 = (a + 1) + (a - 1) * cw - beta;
      break;
    }
    case 5: {
      const double beta = 2 * std::sqrt(a) * alpha;
      b0 = a * ((a + 1) + (a - 1) * cw + beta);
      b1 = -2 * a * ((a - 1) + (a + 1) * cw);
      b2 = a * ((a + 1) + (a - 1) * cw - beta);
      a0 = (a + 1) - (a - 1) * cw + beta;
      a1 = 2 * ((a - 1) - (a + 1) * cw);
      a2 = (a + 1) - (a - 1) * cw - beta;
      break;
    }
    default:
      break;
  }
  return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

double fileSectionRate(const FileFilter& filter) {
  return filter.kind == FilterKind::Coefficients ? filter.sampleRate : dsp::kSampleRate;
}

ParamsOrReason boxParamsFor(const FileFilter& f) {
  const double fs = dsp::kSampleRate;
  auto bad = [](std::string why) { return ParamsOrReason{std::nullopt, std::move(why)}; };
  switch (f.kind) {
    case FilterKind::Notch:
      return bad("notch: the box has no notch section");
    case FilterKind::AllPass:
      return bad("all-pass: the box has no all-pass band");
    case FilterKind::BandPass:
      return bad("band-pass: the box has no band-pass section");
    case FilterKind::LowPassFirstOrder:
    case FilterKind::HighPassFirstOrder:
      return bad("first-order pass: the box has it only inside an output's crossover band");
    case FilterKind::Unsupported:
      return bad(f.reason.empty() ? "not an EQ section the box has" : f.reason);
    case FilterKind::Coefficients: {
      if (!(f.sampleRate > 0)) return bad("no sample rate");
      auto p = decodeSection(f.coefficients, f.sampleRate);
      if (!p) return bad("coefficients of no peaking, shelf, low-pass or high-pass section");
      return {p, {}};
    }
    default:
      break;
  }
  if (!(f.frequency > 0) || !std::isfinite(f.frequency)) return bad("no frequency");
  if (f.frequency >= fs / 2) return bad("frequency at or above half of 48000 Hz");
  if (!std::isfinite(f.gainDb)) return bad("no gain");
  SectionParams p;
  p.frequency = f.frequency;
  p.gainDb = f.gainDb;
  if (isShelf(f.kind)) {
    p.type = f.kind == FilterKind::LowShelf ? 4 : 5;
    double slope = kDefaultShelfSlope;
    std::optional<double> q;
    if (f.width == Width::Q) {
      q = f.widthValue;
      if (!(*q > 0)) return bad("shelf with no usable Q");
      slope = shelfSlopeFromQ(*q, f.gainDb);
    } else {
      // A width in octaves means a slope for shelves (Equalizer APO reads BW as S here).
      if (f.width == Width::Slope) slope = f.widthValue / 12;
      if (f.width == Width::BandwidthOct) slope = f.widthValue;
      q = qFromShelfSlope(slope, f.gainDb);
      if (!q) return bad("shelf slope that makes no filter");
    }
    if (f.cornerFrequency) {
      if (!(slope > 0)) return bad("shelf slope that makes no filter");
      const double factor = std::pow(10.0, std::fabs(f.gainDb) / 80 / slope);
      p.frequency = f.kind == FilterKind::LowShelf ? f.frequency * factor : f.frequency / factor;
      if (!(p.frequency < fs / 2)) return bad("shelf centre at or above half of 48000 Hz");
    }
    p.q = *q;
    return {p, {}};
  }
  if (f.kind == FilterKind::Peaking) {
    p.type = 1;
    if (f.width == Width::Q)
      p.q = f.widthValue;
    else if (f.width == Width::BandwidthOct && f.widthValue > 0)
      p.q = qFromBandwidth(f.widthValue, f.frequency, fs);
    else
      return bad("peaking filter without Q or bandwidth");
  } else {
    p.type = f.kind == FilterKind::LowPass ? 2 : 3;
    p.gainDb = 0;  // a pass section has no gain
    if (f.width == Width::Q)
      p.q = f.widthValue;
    else if (f.width == Width::BandwidthOct && f.widthValue > 0)
      p.q = qFromBandwidth(f.widthValue, f.frequency, fs);
    else
      p.q = kButterworthQ;
  }
  if (!(p.q > 0) || !std::isfinite(p.q)) return bad("no usable Q");
  return {p, {}};
}

std::optional<dsp::BiquadCoefficients> fileSection(const FileFilter& filter) {
  if (filter.kind == FilterKind::Coefficients) return filter.coefficients;
  const ParamsOrReason r = boxParamsFor(filter);
  if (!r.params) return std::nullopt;
  const SectionParams& p = *r.params;
  return designAt(p.type, p.gainDb, p.frequency, p.q, dsp::kSampleRate);
}

std::optional<SectionParams> decodeSection(const dsp::BiquadCoefficients& c, double fs) {
  const std::array<double, 5> all{c.b0, c.b1, c.b2, c.a1, c.a2};
  for (double v : all) {
    if (!std::isfinite(v) || std::fabs(v) > 1e6) return std::nullopt;
  }
  // The poles: a2 = (1 - x) / (1 + x) with x = alpha (pass), alpha / A (peaking).
  if (!(c.a2 > -1 && c.a2 < 1)) return std::nullopt;
  const double x = (1 - c.a2) / (1 + c.a2);
  const double a0 = 1 + x;
  const double cw = -c.a1 * a0 / 2;
  if (!(cw > -1 && cw < 1)) return std::nullopt;
  const double w0 = std::acos(cw);
  const double sw = std::sin(w0);
  const double f0 = w0 * fs / dsp::kTwoPi;
  std::optional<SectionParams> found;
  auto tryParams = [&](SectionParams p) {
    if (found || !(p.q > 0) || !std::isfinite(p.q) || !std::isfinite(p.gainDb) ||
        !(p.frequency > 0) || !std::isfinite(p.frequency)) {
      return;
    }
    if (closeTo(designAt(p.type, p.gainDb, p.frequency, p.q, fs), c)) found = p;
  };
  // Peaking: b1 equals a1; alpha*A from the numerator.
  {
    const double alphaA = (c.b0 - c.b2) * a0 / 2;
    if (alphaA > 0 && x > 0) {
      const double a = std::sqrt(alphaA / x);
      const double alpha = std::sqrt(alphaA * x);
      tryParams({1, f0, 40 * std::log10(a), sw / (2 * alpha)});
    }
  }
  if (x > 0) {
    tryParams({2, f0, 0, sw / (2 * x)});
    tryParams({3, f0, 0, sw / (2 * x)});
  }
  // Shelves: the gain is the level at DC (low shelf) or at half the rate (high shelf).
  const double dc = (c.b0 + c.b1 + c.b2) / (1 + c.a1 + c.a2);
  const double ny = (c.b0 - c.b1 + c.b2) / (1 - c.a1 + c.a2);
  const double r = (1 + c.a2) / (1 - c.a2);
  for (int type : {4, 5}) {
    const double level = type == 4 ? dc : ny;
    if (!(level > 0) || !std::isfinite(level)) continue;
    const double a = std::sqrt(level);
    const double sign = type == 4 ? 1 : -1;
    // (A-1)*sign*cw - r*beta = -(A+1);  2(A+1)*cw + a1*(r+1)*beta = -2*sign*(A-1)
    const double m11 = (a - 1) * sign, m12 = -r, v1 = -(a + 1);
    const double m21 = 2 * (a + 1), m22 = c.a1 * (r + 1), v2 = -2 * sign * (a - 1);
    const double det = m11 * m22 - m12 * m21;
    if (std::fabs(det) < 1e-15) continue;
    const double scw = (v1 * m22 - m12 * v2) / det;
    const double beta = (m11 * v2 - v1 * m21) / det;
    if (!(scw > -1 && scw < 1) || !(beta > 0)) continue;
    const double sw2 = std::sin(std::acos(scw));
    tryParams(
        {type, std::acos(scw) * fs / dsp::kTwoPi, 40 * std::log10(a), std::sqrt(a) * sw2 / beta});
  }
  return found;
}

double largestDeviationDb(const dsp::BiquadCoefficients& a, double rateA,
                          const dsp::BiquadCoefficients& b, double rateB) {
  constexpr int kPoints = 400;
  double worst = 0;
  for (int i = 0; i <= kPoints; ++i) {
    const double f = 20.0 * std::pow(1000.0, double(i) / kPoints);
    const double d = std::fabs(responseDbAt(a, f, rateA) - responseDbAt(b, f, rateB));
    if (std::isnan(d)) return 1e9;
    worst = std::max(worst, d);
  }
  return worst;
}

}  // namespace ax7::eqx
