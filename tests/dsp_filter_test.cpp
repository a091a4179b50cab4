#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <stdexcept>
#include <vector>

#include "dsp/biquad.h"
#include "dsp/response.h"
#include "dsp/small_design.h"

namespace ax7::dsp {
namespace {

// |H(e^jw)| in dB straight from the transfer function, independent of the phi polynomial.
double directResponseDb(const BiquadCoefficients& c, double f) {
  const std::complex<double> z1 = std::polar(1.0, -kTwoPi * f / kSampleRate);
  const std::complex<double> z2 = z1 * z1;
  return 20 *
         std::log10(std::abs(c.b0 + c.b1 * z1 + c.b2 * z2) / std::abs(1.0 + c.a1 * z1 + c.a2 * z2));
}

bool isFinite(const BiquadCoefficients& c) {
  return std::isfinite(c.b0) && std::isfinite(c.b1) && std::isfinite(c.b2) && std::isfinite(c.a1) &&
         std::isfinite(c.a2);
}

// Poles strictly inside the unit circle (stability triangle of 1 + a1 z^-1 + a2 z^-2).
bool isStable(const BiquadCoefficients& c) {
  return std::fabs(c.a2) < 1 && std::fabs(c.a1) < 1 + c.a2;
}

struct ResponseCase {
  const char* what;
  int type;
  double gainDb;
  double f0;
  double q;
  double atHz;
  double expectDb;
  double tolerance;
};

class SectionResponse : public testing::TestWithParam<ResponseCase> {};

TEST_P(SectionResponse, MatchesKnownValue) {
  const ResponseCase& c = GetParam();
  const BiquadCoefficients s = designSection(c.type, c.gainDb, c.f0, c.q);
  EXPECT_NEAR(sectionResponseDb(s, c.atHz), c.expectDb, c.tolerance) << c.what;
}

constexpr double kMinus3 = -3.0103;  // 20 log10(1/sqrt 2)

INSTANTIATE_TEST_SUITE_P(
    Types, SectionResponse,
    testing::Values(
        ResponseCase{"peaking reaches its gain at f0", 1, 6, 1000, 1.41, 1000, 6.0, 1e-9},
        ResponseCase{"peaking is flat far away", 1, 6, 1000, 1.41, 20, 0.0, 0.01},
        ResponseCase{"LP with band Q 0.7071 at f0", 2, 0, 1000, 0.70710678, 1000, kMinus3, 1e-3},
        ResponseCase{"LP band Q 2 peaks at f0", 2, 0, 1000, 2, 1000, 6.0206, 1e-3},
        ResponseCase{"LP gain acts as passband gain", 2, 6, 1000, 0.7, 20, 6.0, 0.01},
        ResponseCase{"HP with band Q 0.7071 at f0", 3, 0, 1000, 0.70710678, 1000, kMinus3, 1e-3},
        ResponseCase{"low shelf lifts the bass", 4, 6, 1000, 0.7, 20, 6.0, 0.05},
        ResponseCase{"low shelf is half way at f0", 4, 6, 1000, 0.7, 1000, 3.0, 1e-6},
        ResponseCase{"high shelf lifts the treble", 5, -6, 200, 0.7, 20000, -6.0, 0.05},
        ResponseCase{"Chebyshev LP at f0", 6, 0, 1000, 5, 1000, -0.1, 0.02},
        ResponseCase{"Chebyshev LP ripple below f0", 6, 0, 1000, 5, 800, 0.2, 0.03},
        ResponseCase{"Chebyshev LP one octave up", 6, 0, 1000, 5, 2000, -6.7, 0.05},
        ResponseCase{"Chebyshev HP at f0", 7, 0, 1000, 5, 1000, -0.1, 0.02},
        ResponseCase{"Bessel LP, Q 1/sqrt3", 8, 0, 1000, 5, 1000, -4.7712, 1e-3},
        ResponseCase{"first-order LP", 10, 0, 1000, 5, 1000, kMinus3, 1e-3},
        ResponseCase{"first-order HP", 11, 0, 1000, 5, 1000, kMinus3, 1e-3},
        ResponseCase{"Butterworth LP ignores band Q", 12, 0, 1000, 5, 1000, kMinus3, 1e-3},
        ResponseCase{"Butterworth HP", 13, 0, 250, 0.2, 250, kMinus3, 1e-3},
        ResponseCase{"Q 1.0 section", 15, 0, 1000, 5, 1000, 0.0, 1e-3},
        ResponseCase{"Q 0.5 section", 16, 0, 1000, 5, 1000, -6.0206, 1e-3},
        ResponseCase{"Q 1.3066 section", 18, 0, 1000, 5, 1000, 2.3226, 1e-3},
        ResponseCase{"Q 0.5412 section", 21, 0, 1000, 5, 1000, -5.3329, 1e-3},
        ResponseCase{"all-pass", 0, 6, 1000, 1.41, 3000, 0.0, 1e-9},
        ResponseCase{"code above 21", 22, 6, 1000, 1.41, 300, 0.0, 1e-9}));

TEST(DesignSection, LinkwitzRiley24IsSixDownAtCrossover) {
  const BiquadCoefficients s = designSection(12, 0, 2500, 1.41);
  EXPECT_NEAR(2 * sectionResponseDb(s, 2500), -6.0206, 1e-3);
}

TEST(DesignSection, CodesOutsideTheTableAreTheAllPass) {
  const BiquadCoefficients ref = designSection(0, 0, 700, 2);
  EXPECT_EQ(ref.b2, 1.0);  // (1 + alpha) / (1 + alpha)
  for (int type : {-1, 22, 255}) {
    const BiquadCoefficients c = designSection(type, 0, 700, 2);
    EXPECT_EQ(c.b0, ref.b0);
    EXPECT_EQ(c.b1, ref.b1);
    EXPECT_EQ(c.b2, ref.b2);
    EXPECT_EQ(c.a1, ref.a1);
    EXPECT_EQ(c.a2, ref.a2);
  }
}

// Checks the phi-polynomial of the response against the transfer function for every type, and
// that every design is stable over the band's parameter ranges.
TEST(DesignSection, EveryTypeIsStableAndItsResponseMatchesTheTransferFunction) {
  for (int type = 0; type <= 21; ++type) {
    for (double f0 : {20.0, 1000.0, 20000.0}) {
      for (double q : {0.1, 1.41, 30.0}) {
        for (double gain : {-15.0, 0.0, 15.0}) {
          const BiquadCoefficients c = designSection(type, gain, f0, q);
          ASSERT_TRUE(isStable(c)) << type << " " << f0 << " " << q << " " << gain;
          for (double f : {31.0, 440.0, 1000.0, 9000.0, 22000.0}) {
            const double direct = directResponseDb(c, f);
            if (direct < -120) continue;  // cancellation noise near a transmission zero
            EXPECT_NEAR(sectionResponseDb(c, f), direct, 1e-6) << type << " at " << f;
          }
        }
      }
    }
  }
}

// Records from files or the box carry raw 16-bit values (Q 0, 65535 Hz, gain 6538 dB); none of
// them may reach the box as NaN, infinity or an unstable section.
TEST(DesignSection, HostileParametersStayFiniteAndStable) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double gains[] = {6538.5, -15, nan, inf};
  const double freqs[] = {0, 65535, 24000, nan};
  const double qs[] = {0, -1, 65.535, nan, inf};
  for (int type = 0; type <= 22; ++type) {
    for (double gain : gains) {
      for (double f0 : freqs) {
        for (double q : qs) {
          const BiquadCoefficients c = designSection(type, gain, f0, q);
          ASSERT_TRUE(isFinite(c) && isStable(c)) << type << " " << gain << " " << f0 << " " << q;
          for (float w : boxWords(c)) ASSERT_TRUE(std::isfinite(w));
        }
      }
    }
  }
  // Clamping keeps the result of the nearest legal parameters.
  const BiquadCoefficients clamped = designSection(1, 40, 30000, 0);
  const BiquadCoefficients legal = designSection(1, 15, 20000, 0.1);
  EXPECT_EQ(clamped.b0, legal.b0);
  EXPECT_EQ(clamped.a2, legal.a2);
}

TEST(BoxWords, FeedbackCoefficientsAreNegated) {
  const BiquadCoefficients c = designSection(1, 4.5, 800, 2);
  ASSERT_LT(c.a1, 0);
  ASSERT_GT(c.a2, 0);
  const std::array<float, 5> w = boxWords(c);
  EXPECT_EQ(w[0], static_cast<float>(-c.a1));
  EXPECT_EQ(w[1], static_cast<float>(-c.a2));
  EXPECT_EQ(w[2], static_cast<float>(c.b0));
  EXPECT_EQ(w[3], static_cast<float>(c.b1));
  EXPECT_EQ(w[4], static_cast<float>(c.b2));
}

TEST(SectionResponseDb, TransmissionZeroIsFiniteAndVeryLow) {
  // First-order low-pass at Nyquist and a notch on its own frequency: N is exactly 0 there.
  BiquadCoefficients notch;
  ASSERT_EQ(smallDesignSection(7, 0, 1000, 1, kSampleRate, notch), kSmallDesignOk);
  for (double db :
       {sectionResponseDb(designSection(10, 0, 1000, 1), 24000), sectionResponseDb(notch, 1000)}) {
    EXPECT_TRUE(std::isfinite(db));
    EXPECT_LT(db, -100);
  }
}

TEST(ResponseGrid, PointsAreLogSpacedSinglePrecisionFrequencies) {
  const ResponseGrid grid;
  ASSERT_EQ(grid.size(), kCurvePoints);
  EXPECT_EQ(grid.frequency(0), 18.0f);
  EXPECT_NEAR(grid.frequency(256), std::sqrt(18.0 * 23000.0), 0.01);
  EXPECT_LT(grid.frequency(511), 23000.0f);
  for (int i = 1; i < grid.size(); ++i) ASSERT_GT(grid.frequency(i), grid.frequency(i - 1));

  EXPECT_THROW(ResponseGrid(0, 100), std::invalid_argument);
  EXPECT_THROW(ResponseGrid(100, 100), std::invalid_argument);
  EXPECT_THROW(ResponseGrid(18, 23000, 0), std::invalid_argument);
}

TEST(ResponseGrid, CurveIsTheSectionResponseAtEveryPoint) {
  const ResponseGrid grid;
  for (int type : {1, 5, 7, 10, 19}) {
    const BiquadCoefficients c = designSection(type, -4, 3000, 3);
    std::vector<float> curve(grid.size());
    fillSectionCurve(c, grid, curve);
    for (int i = 0; i < grid.size(); ++i) {
      ASSERT_EQ(curve[i], static_cast<float>(sectionResponseDb(c, grid.frequency(i))));
    }
  }
}

TEST(ResponseGrid, PeakIndexIsThePixelColumnOfTheFrequency) {
  ResponseGrid grid;  // W = 512: one column per point
  for (double f0 : {20.0, 999.0, 1000.0, 1006.2, 20000.0}) {
    const int k = grid.peakIndex(f0);
    ASSERT_GE(k, 0);
    EXPECT_LE(grid.frequency(k), f0);
    EXPECT_GT(grid.frequency(k + 1), f0);
  }
  grid.setPlotWidth(837);  // a real plot: columns and points differ, k stays next to f0
  const int k = grid.peakIndex(1000);
  EXPECT_LE(std::abs(k - 287), 1);

  for (double f0 : {10.0, 23000.0, 50000.0}) EXPECT_EQ(grid.peakIndex(f0), -1) << f0;
  grid.setPlotWidth(0);
  EXPECT_EQ(grid.peakIndex(1000), -1);
}

TEST(BandCurve, PeakingBandReachesItsGainExactly) {
  const ResponseGrid grid;
  EqBand band;
  band.type = 1;
  band.gainDb = 6.0f;
  band.freq = 1000.0f;
  band.q = 1.41f;
  computeBandCurve(band, grid);
  const int k = grid.peakIndex(1000);
  ASSERT_TRUE(k == 287 || k == 288);  // the two points either side of 1000 Hz
  EXPECT_EQ(band.curve[k], 6.0f);
  EXPECT_LT(band.curve[k - 1], 6.0f);
  EXPECT_GT(band.curve[k - 1], 5.9f);
  EXPECT_LT(band.curve[k + 1], 6.0f);
  EXPECT_GT(band.curve[k + 1], 5.9f);
}

TEST(BandCurve, OffBandIsNotEvaluatedAndFlatPeqIsZero) {
  const ResponseGrid grid;
  EqBand off;
  off.type = 0;
  off.curve.fill(7.0f);
  computeBandCurve(off, grid);
  for (float v : off.curve) ASSERT_EQ(v, 7.0f);

  EqBand flat;
  flat.curve.fill(7.0f);
  flat.freq = 440.0f;
  flat.q = 3.0f;
  computeBandCurve(flat, grid);
  for (float v : flat.curve) ASSERT_EQ(v, 0.0f);
}

TEST(TotalCurve, SumsTheFirstBandsAndSkipsOffBands) {
  std::vector<EqBand> bands(4);
  bands[0].curve.fill(1.0f);
  bands[1].curve.fill(2.5f);
  bands[2].type = 0;
  bands[2].curve.fill(100.0f);  // stale curve of a switched-off band
  bands[3].curve.fill(-40.0f);  // beyond the band count
  for (float v : totalCurve(bands, 3)) ASSERT_EQ(v, 3.5f);
  for (float v : totalCurve(bands, 99)) ASSERT_EQ(v, -36.5f);
  for (float v : totalCurve(bands, 0)) ASSERT_EQ(v, 0.0f);
}

TEST(SmallDesignSection, UserTypesMatchTheBoxDesignAtUnityPassGain) {
  for (int type = 1; type <= 5; ++type) {
    BiquadCoefficients c;
    ASSERT_EQ(smallDesignSection(type, 6, 500, 1.2, kSampleRate, c), kSmallDesignOk);
    const bool pass = type == 2 || type == 3;
    const BiquadCoefficients ref = designSection(type, pass ? 0 : 6, 500, 1.2);
    EXPECT_DOUBLE_EQ(c.b0, ref.b0) << type;
    EXPECT_DOUBLE_EQ(c.b1, ref.b1) << type;
    EXPECT_DOUBLE_EQ(c.b2, ref.b2) << type;
    EXPECT_DOUBLE_EQ(c.a1, ref.a1) << type;
    EXPECT_DOUBLE_EQ(c.a2, ref.a2) << type;
  }
}

TEST(SmallDesignSection, BandPassPeaksAtZeroAndNotchDips) {
  BiquadCoefficients bandPass, notch;
  ASSERT_EQ(smallDesignSection(6, 9, 2000, 2, kSampleRate, bandPass), kSmallDesignOk);
  ASSERT_EQ(smallDesignSection(7, 9, 2000, 2, kSampleRate, notch), kSmallDesignOk);
  EXPECT_NEAR(sectionResponseDb(bandPass, 2000), 0.0, 1e-9);
  EXPECT_LT(sectionResponseDb(bandPass, 200), -15);
  EXPECT_LT(sectionResponseDb(notch, 2000), -100);
  EXPECT_NEAR(sectionResponseDb(notch, 200), 0.0, 0.05);
}

TEST(SmallDesignSection, FailuresLeaveTheCoefficientsUntouched) {
  const BiquadCoefficients sentinel{9, 8, 7, 6, 5};
  struct Case {
    int type;
    double sampleRate;
    int expect;
  } cases[] = {
      {0, kSampleRate, kSmallDesignUnknownType},
      {8, kSampleRate, kSmallDesignUnknownType},
      {-1, kSampleRate, kSmallDesignUnknownType},
      {1, 0, kSmallDesignBadRate},
      {6, std::numeric_limits<double>::quiet_NaN(), kSmallDesignBadRate},
  };
  for (const Case& c : cases) {
    BiquadCoefficients out = sentinel;
    EXPECT_EQ(smallDesignSection(c.type, 0, 1000, 1, c.sampleRate, out), c.expect) << c.type;
    EXPECT_EQ(out.b0, 9);
    EXPECT_EQ(out.a2, 5);
  }
}

}  // namespace
}  // namespace ax7::dsp
