#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <stdexcept>
#include <vector>

#include "dsp/band_rules.h"
#include "dsp/crossover.h"
#include "dsp/section_type.h"

namespace ax7::dsp {
namespace {

EqBand makeBand(int type, float gainDb, float freq, float q) {
  EqBand b;
  b.type = type;
  b.gainDb = gainDb;
  b.freq = freq;
  b.q = q;
  return b;
}

// The curve a band of these parameters gets when computed on its own.
std::array<float, kCurvePoints> freshCurve(const EqBand& band, const ResponseGrid& grid) {
  EqBand copy = band;
  computeBandCurve(copy, grid);
  return copy.curve;
}

std::array<int, 4> cascadeTypes(const std::vector<EqBand>& bands) {
  return {bands[9].type, bands[10].type, bands[11].type, bands[12].type};
}

// An output channel's graph as the page leaves it: 13 flat PEQ bands, records 10..12 at 16 kHz.
std::vector<EqBand> outputBands(const ResponseGrid& grid) {
  const float freqs[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 16000, 16000, 16000};
  std::vector<EqBand> bands;
  for (int i = 0; i < kOutputBandCount; ++i) {
    bands.push_back(makeBand(1, 0, freqs[i], 1.41f));
    bands.back().number = i;
    computeBandCurve(bands.back(), grid);
  }
  return bands;
}

TEST(BandRules, TypeChangeResetsGainAndQ) {
  const ResponseGrid grid;
  EqBand band = makeBand(1, 6, 1000, 4);
  setBandType(band, 2, grid);  // PEQ -> LP
  EXPECT_EQ(band.gainDb, 0.0f);
  EXPECT_EQ(band.q, 0.7f);
  setBandType(band, 1, grid);  // and back
  EXPECT_EQ(band.gainDb, 0.0f);
  EXPECT_EQ(band.q, 1.41f);

  band = makeBand(1, -9, 1000, 4);
  setBandType(band, 5, grid);  // shelves too
  EXPECT_EQ(band.gainDb, 0.0f);
  EXPECT_EQ(band.q, 0.7f);

  band = makeBand(3, 0, 1000, 1.5f);
  setBandType(band, 12, grid);  // crossover codes and 0 change nothing else
  EXPECT_EQ(band.q, 1.5f);
  setBandType(band, 0, grid);
  EXPECT_EQ(band.type, 0);
  EXPECT_EQ(band.q, 1.5f);
}

TEST(BandRules, GainIsPinnedForPassTypesAndClampedForOthers) {
  const ResponseGrid grid;
  struct Case {
    int type;
    double set;
    float expect;
  } cases[] = {
      {1, 7.5, 7.5f}, {1, 20, 15.0f}, {1, -40, -15.0f},
      {4, -3, -3.0f}, {5, 16, 15.0f}, {2, 6, 0.0f},
      {3, -6, 0.0f},  {6, 3, 0.0f},   {13, 9, 0.0f},
      {21, -2, 0.0f}, {40, 5, 0.0f},  {1, std::numeric_limits<double>::infinity(), 15.0f},
  };
  for (const Case& c : cases) {
    EqBand band = makeBand(c.type, 1.0f, 1000, 1);
    setBandGain(band, c.set, grid);
    EXPECT_EQ(band.gainDb, c.expect) << "type " << c.type << " gain " << c.set;
  }
}

TEST(BandRules, QNearZeroIsIgnoredOthersClampedByType) {
  const ResponseGrid grid;
  struct Case {
    int type;
    double set;
    float expect;
  } cases[] = {
      {1, 0, 3.0f},   {1, 5e-8, 3.0f}, {1, -5e-8, 3.0f}, {1, 50, 30.0f}, {4, 50, 2.0f},
      {2, 1.2, 1.2f}, {1, 0.01, 0.1f}, {3, -4, 0.1f},    {12, 9, 2.0f},  {1, 12.5, 12.5f},
  };
  for (const Case& c : cases) {
    EqBand band = makeBand(c.type, 0, 1000, 3.0f);
    setBandQ(band, c.set, grid);
    EXPECT_EQ(band.q, c.expect) << "type " << c.type << " Q " << c.set;
  }
}

TEST(BandRules, EveryChangeRecomputesTheCurveAndNaNIsIgnored) {
  const ResponseGrid grid;
  EqBand band = makeBand(1, 3, 500, 2);
  computeBandCurve(band, grid);

  setBandFrequency(band, 5, grid);
  EXPECT_EQ(band.freq, 20.0f);
  setBandFrequency(band, 30000, grid);
  EXPECT_EQ(band.freq, 20000.0f);
  EXPECT_EQ(band.curve, freshCurve(band, grid));
  setBandGain(band, -8, grid);
  EXPECT_EQ(band.curve, freshCurve(band, grid));
  setBandQ(band, 0.5, grid);
  EXPECT_EQ(band.curve, freshCurve(band, grid));
  setBandType(band, 4, grid);
  EXPECT_EQ(band.curve, freshCurve(band, grid));

  const EqBand before = band;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  setBandFrequency(band, nan, grid);
  setBandGain(band, nan, grid);
  setBandQ(band, nan, grid);
  EXPECT_EQ(band.freq, before.freq);
  EXPECT_EQ(band.gainDb, before.gainDb);
  EXPECT_EQ(band.q, before.q);
}

TEST(Crossover, ExpansionFollowsTheParityOfTheCurrentType) {
  struct Case {
    int listIndex;
    int currentType;
    std::array<int, 4> expect;
  } cases[] = {
      {1, 13, {13, 13, 1, 1}},   // LinkwitzRiely 24dB on a high-pass band
      {1, 12, {12, 12, 1, 1}},   // ... on a low-pass band
      {2, 1, {15, 11, 15, 11}},  // PEQ (odd) picks the high-pass variant
      {3, 4, {18, 20, 18, 20}},  // LS (even) the low-pass one
      {5, 18, {8, 10, 1, 1}},   {10, 7, {7, 1, 1, 1}},
      {11, 2, {1, 1, 1, 1}},    {-1, 2, {10, 10, 1, 1}},  // outside the table: entry 0
      {12, 3, {11, 11, 1, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(expandCrossover(c.listIndex, c.currentType), c.expect)
        << c.listIndex << " on type " << c.currentType;
  }
}

TEST(Crossover, FindRecognisesEveryCascade) {
  struct Case {
    std::array<int, 4> types;
    int listIndex;
    int nameIndex;
  } cases[] = {
      {{13, 13, 1, 1}, 1, 3}, {{18, 20, 1, 1}, 9, 2}, {{19, 21, 19, 21}, 3, 3},
      {{8, 10, 1, 1}, 5, 2},  {{7, 1, 1, 1}, 10, 3},  {{1, 1, 1, 1}, 11, 1},
      {{4, 1, 1, 1}, 12, 4},  {{5, 1, 1, 1}, 13, 5},
  };
  for (const Case& c : cases) {
    const CrossoverMatch m = findCrossover(c.types[0], c.types[1], c.types[2], c.types[3], 1);
    EXPECT_TRUE(m.found);
    EXPECT_EQ(m.listIndex, c.listIndex);
    EXPECT_EQ(m.nameIndex, c.nameIndex);
  }
  // Every list entry in both variants finds itself again.
  for (int entry = 0; entry < static_cast<int>(kCrossoverNames.size()); ++entry) {
    for (int parity : {2, 3}) {
      const std::array<int, 4> t = expandCrossover(entry, parity);
      const CrossoverMatch m = findCrossover(t[0], t[1], t[2], t[3], 0);
      EXPECT_TRUE(m.found);
      EXPECT_EQ(m.listIndex, entry);
      EXPECT_EQ(m.nameIndex, parity);
    }
  }
  // No match: list index 0, the name shown so far stays.
  const CrossoverMatch none = findCrossover(12, 13, 1, 1, 4);
  EXPECT_FALSE(none.found);
  EXPECT_EQ(none.listIndex, 0);
  EXPECT_EQ(none.nameIndex, 4);
}

TEST(Crossover, NamesAreTheListTexts) {
  EXPECT_EQ(kCrossoverNames.size(), 11u);
  EXPECT_EQ(crossoverName(0), "LinkwitzRiely 12dB");
  EXPECT_EQ(crossoverName(1), "LinkwitzRiely 24dB");
  EXPECT_EQ(crossoverName(9), "Butterworth 24dB");
  EXPECT_EQ(crossoverName(10), "Chebyshev 12dB");
  EXPECT_EQ(crossoverName(11), "");
  EXPECT_EQ(sectionTypeName(0).english, "OFF");
  EXPECT_EQ(sectionTypeName(4).chinese, "低架");
  EXPECT_EQ(sectionTypeName(12).english, "LP");
  EXPECT_EQ(sectionTypeName(13).chinese, "高通");
  EXPECT_EQ(sectionTypeName(22).english, "");
}

TEST(EqBandEditor, CrossoverListEntryBuildsTheCascade) {
  const ResponseGrid grid;
  std::vector<EqBand> bands = outputBands(grid);
  EqBandEditor editor(bands, true, grid);
  editor.setType(9, 13);
  editor.setQ(9, 0.8);
  // At a grid point (in whole hertz, as bands hold them), so the total shows f0 there.
  const float crossoverHz = std::trunc(grid.frequency(300));
  editor.setFrequency(9, crossoverHz);

  ASSERT_TRUE(editor.applyCrossover(9, 1));  // LinkwitzRiely 24dB
  EXPECT_EQ(cascadeTypes(bands), (std::array<int, 4>{13, 13, 1, 1}));
  for (int r = 9; r <= 12; ++r) {
    EXPECT_EQ(bands[r].gainDb, 0.0f);
    EXPECT_EQ(bands[r].freq, crossoverHz);
    EXPECT_EQ(bands[r].q, r <= 10 ? 0.8f : 1.41f);  // PEQ fillers keep their type rule's Q
    EXPECT_EQ(bands[r].curve, freshCurve(bands[r], grid)) << r;
  }
  // Less than a hertz from the grid point: within 0.02 dB of -6.02 and -3.01.
  EXPECT_NEAR(totalCurve(bands, kOutputBandCount)[300], -6.02, 0.02);
  EXPECT_NEAR(totalCurve(bands, 10)[300], -3.01, 0.02);  // band 9 holds only its own section

  editor.setType(9, 12);
  ASSERT_TRUE(editor.applyCrossover(9, 1));
  EXPECT_EQ(cascadeTypes(bands), (std::array<int, 4>{12, 12, 1, 1}));
}

TEST(EqBandEditor, CrossoverSectionsFollowBandNine) {
  const ResponseGrid grid;
  std::vector<EqBand> bands = outputBands(grid);
  EqBandEditor editor(bands, true, grid);
  ASSERT_TRUE(editor.applyCrossover(9, 3));  // LinkwitzRiely 48dB, high-pass (type 1 is odd)
  editor.setFrequency(9, 150);
  editor.setQ(9, 0.9);
  for (int r = 10; r <= 12; ++r) {
    EXPECT_EQ(bands[r].freq, 150.0f);
    EXPECT_EQ(bands[r].q, 0.9f);
    EXPECT_EQ(bands[r].curve, freshCurve(bands[r], grid)) << r;
  }
  EXPECT_LT(totalCurve(bands, kOutputBandCount)[0], -30);  // 18 Hz, well below the high-pass
}

TEST(EqBandEditor, MenuTypeOnTheCrossoverBandSetsTheWholeCascade) {
  const ResponseGrid grid;
  struct Case {
    int plainType;
    std::array<int, 4> expect;
    int listIndex;
  } cases[] = {
      {2, {18, 20, 1, 1}, 9},  // LP: the Butterworth 24dB low-pass
      {3, {19, 21, 1, 1}, 9}, {1, {1, 1, 1, 1}, 11}, {4, {4, 1, 1, 1}, 12}, {5, {5, 1, 1, 1}, 13},
  };
  for (const Case& c : cases) {
    std::vector<EqBand> bands = outputBands(grid);
    bands[9].gainDb = 5;
    EqBandEditor editor(bands, true, grid);
    ASSERT_TRUE(editor.chooseType(9, c.plainType));
    EXPECT_EQ(cascadeTypes(bands), c.expect);
    for (int r = 9; r <= 12; ++r) EXPECT_EQ(bands[r].gainDb, 0.0f);
    const CrossoverMatch m = findCrossover(c.expect[0], c.expect[1], c.expect[2], c.expect[3], 0);
    EXPECT_EQ(m.listIndex, c.listIndex);
    EXPECT_EQ(m.nameIndex, c.plainType);
  }
  std::vector<EqBand> bands = outputBands(grid);
  EqBandEditor editor(bands, true, grid);
  ASSERT_TRUE(editor.chooseType(9, 2));
  EXPECT_EQ(crossoverName(findCrossover(18, 20, 1, 1, 0).listIndex), "Butterworth 24dB");
  EXPECT_FALSE(editor.chooseType(9, 0));
  EXPECT_FALSE(editor.chooseType(9, 6));
  EXPECT_EQ(cascadeTypes(bands), (std::array<int, 4>{18, 20, 1, 1}));
}

TEST(EqBandEditor, MenuTypeZeroesGainOnlyOnOutputSets) {
  const ResponseGrid grid;
  std::vector<EqBand> output = outputBands(grid);
  std::vector<EqBand> mic = outputBands(grid);
  output[3].gainDb = 6;
  mic[3].gainDb = 6;
  EqBandEditor(output, true, grid).chooseType(3, 1);
  EqBandEditor(mic, false, grid).chooseType(3, 1);
  EXPECT_EQ(output[3].gainDb, 0.0f);
  EXPECT_EQ(mic[3].gainDb, 6.0f);
}

TEST(EqBandEditor, CrossoverHandlingIsOnlyForBandNineOfOutputSets) {
  const ResponseGrid grid;
  std::vector<EqBand> bands = outputBands(grid);
  const std::vector<EqBand> before = bands;
  EXPECT_FALSE(EqBandEditor(bands, true, grid).applyCrossover(8, 1));
  EXPECT_FALSE(EqBandEditor(bands, true, grid).applyCrossover(-1, 1));
  EqBandEditor mic(bands, false, grid);
  EXPECT_FALSE(mic.applyCrossover(9, 1));
  mic.setFrequency(9, 700);  // an ordinary band: records 10..12 stay put
  for (int r = 10; r <= 12; ++r) EXPECT_EQ(bands[r].freq, before[r].freq);
  mic.setType(40, 2);  // outside the list: ignored
  EXPECT_EQ(cascadeTypes(bands), cascadeTypes(before));

  std::vector<EqBand> few(10);
  EXPECT_THROW(EqBandEditor(few, true, grid), std::invalid_argument);
}

TEST(EqBandEditor, OffBandContributesNothing) {
  const ResponseGrid grid;
  std::vector<EqBand> bands = outputBands(grid);
  EqBandEditor editor(bands, true, grid);
  editor.setGain(4, 9);
  const std::array<float, kCurvePoints> withBand = totalCurve(bands, kOutputBandCount);
  editor.setType(4, 0);
  EXPECT_EQ(bands[4].curve, freshCurve(makeBand(1, 9, 500, 1.41f), grid));  // not recomputed
  for (float v : totalCurve(bands, kOutputBandCount)) ASSERT_EQ(v, 0.0f);
  EXPECT_NE(withBand, totalCurve(bands, kOutputBandCount));
}

}  // namespace
}  // namespace ax7::dsp
