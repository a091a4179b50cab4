// Reading EQ files: single lines as measurement tools write them, locale numbers, and the
// coefficient text's sign convention.
#include <gtest/gtest.h>

#include <cmath>

#include "eqx/filters.h"
#include "eqx/numbers.h"
#include "eqx/sections.h"

namespace ax7::eqx {
namespace {

struct LineCase {
  const char* line;
  FilterKind kind;
  bool enabled;
  double frequency;
  double gainDb;
  Width width;
  double widthValue;
  bool corner;
};

TEST(EqxRead, FilterLinesOfEqualizerApoAutoEqAndRew) {
  const LineCase cases[] = {
      {"Filter 1: ON LSC Fc 105 Hz Gain 6.4 dB Q 0.70", FilterKind::LowShelf, true, 105, 6.4,
       Width::Q, 0.70, false},
      {"Filter  1: ON  PK       Fc     466 Hz  Gain  -0.6 dB  Q 4.209", FilterKind::Peaking, true,
       466, -0.6, Width::Q, 4.209, false},
      {"Filter  2: ON  PK       Fc   8.000 Hz  Gain  -3.0 dB  Q 1.000", FilterKind::Peaking, true,
       8000, -3.0, Width::Q, 1.0, false},
      {"Filter  3: ON  PK       Fc    50,0 Hz  Gain -10,0 dB  Q  2,50", FilterKind::Peaking, true,
       50, -10, Width::Q, 2.5, false},
      {"Filter  4: ON  PK       Fc   1\xA0"
       "275 Hz  Gain  -5,4 dB  BW Oct 0,750",
       FilterKind::Peaking, true, 1275, -5.4, Width::BandwidthOct, 0.75, false},
      {"Filter  5: ON  LS 12dB  Fc     100 Hz  Gain   5.0 dB", FilterKind::LowShelf, true, 100, 5,
       Width::Slope, 12, true},
      {"Filter 6: ON LSC 10.8 dB Fc 300 Hz Gain 4 dB", FilterKind::LowShelf, true, 300, 4,
       Width::Slope, 10.8, false},
      {"Filter 7: ON HS Fc 8000 Hz Gain -3 dB", FilterKind::HighShelf, true, 8000, -3, Width::None,
       0, false},
      {"Filter 8: ON HS Fc 8000 Hz Gain -3 dB Q 0.9", FilterKind::HighShelf, true, 8000, -3,
       Width::Q, 0.9, true},
      {"Filter  9: OFF PK       Fc    1000 Hz  Gain   2.0 dB  Q  1.000", FilterKind::Peaking, false,
       1000, 2, Width::Q, 1, false},
      {"Filter 10: ON  None", FilterKind::Unsupported, false, 0, 0, Width::None, 0, false},
      {"Filter 11: ON  All pass  Fc    2000 Hz  Q  0.707", FilterKind::AllPass, true, 2000, 0,
       Width::Q, 0.707, false},
      {"Filter 12: ON  LP Q     Fc    80 Hz  Q  0.500", FilterKind::LowPass, true, 80, 0, Width::Q,
       0.5, false},
      {"Filter 13: ON HPQ Fc 30 Hz Q 0.71", FilterKind::HighPass, true, 30, 0, Width::Q, 0.71,
       false},
      {"Filter 14: ON NO Fc 60 Hz Q 8", FilterKind::Notch, true, 60, 0, Width::Q, 8, false},
      {"Filter 15: ON  Notch Q  Fc 60 Hz  Q 8", FilterKind::Notch, true, 60, 0, Width::Q, 8, false},
      {"Filter 16: ON  HS Q     Fc  4000 Hz  Gain 2,0 dB  Q 0,700", FilterKind::HighShelf, true,
       4000, 2, Width::Q, 0.7, false},
      {"Filter: ON PK Fc 1 kHz Gain 1 dB Q 2", FilterKind::Peaking, true, 1000, 1, Width::Q, 2,
       false},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    const ReadResult r = readApoText(std::string(c.line) + "\r\n", Format::Apo, "");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.eq.filters.size(), 1u);
    const FileFilter& f = r.eq.filters[0];
    EXPECT_EQ(f.kind, c.kind);
    EXPECT_EQ(f.enabled, c.enabled);
    EXPECT_NEAR(f.frequency, c.frequency, 1e-9);
    EXPECT_NEAR(f.gainDb, c.gainDb, 1e-9);
    EXPECT_EQ(f.width, c.width);
    EXPECT_NEAR(f.widthValue, c.widthValue, 1e-9);
    EXPECT_EQ(f.cornerFrequency, c.corner);
  }
}

TEST(EqxRead, CommandsAreCaseSensitiveAndBrokenLinesAreRefused) {
  // Lower-case words are not commands or types of Equalizer APO.
  ReadResult r = readApoText(
      "Preamp: -3 dB\nfilter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n"
      "Filter 2: ON pk Fc 100 Hz Gain 1 dB Q 1\n",
      Format::Apo, "");
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.eq.filters.size(), 1u);
  EXPECT_EQ(r.eq.filters[0].kind, FilterKind::Unsupported);
  EXPECT_NE(r.eq.filters[0].reason.find("pk"), std::string::npos);
  EXPECT_DOUBLE_EQ(*r.eq.preampDb, -3);

  for (const char* bad : {"Filter 1: MAYBE PK Fc 100 Hz", "Preamp: loud", "just words\n"}) {
    SCOPED_TRACE(bad);
    r = readApoText(bad, Format::Apo, "");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(r.error.find('\n'), std::string::npos);
  }
}

TEST(EqxRead, ChannelSectionsKeepTheChosenChannel) {
  const std::string text =
      "Preamp: -2 dB\n"
      "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n"
      "Channel: L\n"
      "Preamp: -1 dB\n"
      "Filter 2: ON PK Fc 200 Hz Gain 2 dB Q 1\n"
      "Channel: R\n"
      "Filter 3: ON PK Fc 300 Hz Gain 3 dB Q 1\n"
      "Channel: all\n"
      "Filter 4: ON PK Fc 400 Hz Gain 4 dB Q 1\n";
  struct {
    const char* channel;
    std::vector<double> taken;
    double preamp;
  } cases[] = {{"", {100, 200, 400}, -3}, {"R", {100, 300, 400}, -2}, {"l", {100, 200, 400}, -3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.channel);
    const ReadResult r = readApoText(text, Format::Apo, c.channel);
    ASSERT_TRUE(r.ok);
    std::vector<double> got;
    for (const FileFilter& f : r.eq.filters) got.push_back(f.frequency);
    EXPECT_EQ(got, c.taken);
    EXPECT_EQ(r.eq.otherChannels.size(), 1u);
    EXPECT_DOUBLE_EQ(*r.eq.preampDb, c.preamp);
  }
}

TEST(EqxRead, LocaleNumbers) {
  struct {
    const char* text;
    bool frequency;
    std::optional<double> value;
  } cases[] = {
      {"8.000", true, 8000},
      {"8.000", false, 8.0},
      {"4.209", false, 4.209},
      {"50,0", false, 50},
      {"0,750", false, 0.75},
      {"1.234,5", true, 1234.5},
      {"1,234.5", true, 1234.5},
      {"1\xA0"
       "000",
       true, 1000},
      {"1\xC2\xA0"
       "000",
       true, 1000},
      {"-10,0", false, -10},
      {"+3", false, 3},
      {"12.345.678", true, 12345678},
      {"1.2.3", true, std::nullopt},
      {"", false, std::nullopt},
      {"abc", false, std::nullopt},
      {"1e5", false, std::nullopt},
      {"-", false, std::nullopt},
      {"1,2,3", true, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto v = parseLocaleNumber(c.text, c.frequency);
    ASSERT_EQ(v.has_value(), c.value.has_value());
    if (v) {
      EXPECT_DOUBLE_EQ(*v, *c.value);
    }
  }
  // A frequency is never written the way a reader takes for a thousands group.
  EXPECT_EQ(formatNumber(1234.567, 3, true), "1234.5670");
  EXPECT_EQ(formatNumber(1000, 0, true), "1000");
  EXPECT_EQ(formatNumber(0.707, 3), "0.707");
  EXPECT_EQ(parseLocaleNumber(formatNumber(1234.567, 3, true), true), 1234.567);
}

TEST(EqxRead, BiquadTextCarriesNegatedFeedbackAgainstCamillaFree) {
  // The same section, once as console text and once as a CamillaDSP Free filter.
  const dsp::BiquadCoefficients c = designAt(1, 6, 1000, 1.41, 48000);
  const std::string text = "biquad1,\nb0=" + std::to_string(c.b0) +
                           ",\nb1=" + std::to_string(c.b1) + ",\nb2=" + std::to_string(c.b2) +
                           ",\na1=" + std::to_string(-c.a1) + ",\na2=" + std::to_string(-c.a2) +
                           ",\n";
  const std::string yaml =
      "filters:\n  f:\n    type: Biquad\n    parameters:\n      type: Free\n"
      "      a1: " +
      std::to_string(c.a1) + "\n      a2: " + std::to_string(c.a2) +
      "\n      b0: " + std::to_string(c.b0) + "\n      b1: " + std::to_string(c.b1) +
      "\n      b2: " + std::to_string(c.b2) + "\n";
  const ReadResult fromText = readBiquadText(text);
  const ReadResult fromYaml = readCamillaYaml(yaml, "");
  ASSERT_TRUE(fromText.ok) << fromText.error;
  ASSERT_TRUE(fromYaml.ok) << fromYaml.error;
  const dsp::BiquadCoefficients& a = fromText.eq.filters.at(0).coefficients;
  const dsp::BiquadCoefficients& b = fromYaml.eq.filters.at(0).coefficients;
  EXPECT_DOUBLE_EQ(a.a1, b.a1);
  EXPECT_DOUBLE_EQ(a.a2, b.a2);
  EXPECT_LT(a.a1, 0);  // a peaking section at 1 kHz has a1 near -2 in the usual form
  EXPECT_NEAR(responseDbAt(a, 1000, 48000), 6.0, 1e-3);

  for (const char* bad : {"biquad1,\nb0=1,\nb1=0,\n", "b0=1,", "biquad1,\nb0=x,", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(readBiquadText(bad).ok);
  }
}

TEST(EqxRead, CamillaCombosExpandIntoTheirSections) {
  const std::string yaml =
      "filters:\n"
      "  lr4:\n    type: BiquadCombo\n    parameters: {type: LinkwitzRileyHighpass, freq: 80, "
      "order: 4}\n"
      "  bw3:\n    type: BiquadCombo\n    parameters: {type: ButterworthLowpass, freq: 2000, "
      "order: 3}\n"
      "  lr2:\n    type: BiquadCombo\n    parameters: {type: LinkwitzRileyLowpass, freq: 500, "
      "order: 2}\n"
      "  tilt:\n    type: BiquadCombo\n    parameters: {type: Tilt, gain: 3}\n"
      "pipeline:\n  - type: Filter\n    channels: [0, 1]\n    names: [lr4, bw3, lr2, tilt]\n";
  const ReadResult r = readCamillaYaml(yaml, "");
  ASSERT_TRUE(r.ok) << r.error;
  std::vector<std::pair<FilterKind, double>> got;
  for (const FileFilter& f : r.eq.filters) got.push_back({f.kind, f.widthValue});
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0].first, FilterKind::HighPass);
  EXPECT_NEAR(got[0].second, std::sqrt(0.5), 1e-12);
  EXPECT_EQ(got[1].first, FilterKind::HighPass);
  EXPECT_EQ(got[2].first, FilterKind::LowPass);
  EXPECT_NEAR(got[2].second, 1.0, 1e-12);                  // Butterworth 3: one section of Q 1 ...
  EXPECT_EQ(got[3].first, FilterKind::LowPassFirstOrder);  // ... and a first-order one
  EXPECT_EQ(got[4].first, FilterKind::LowPass);
  EXPECT_NEAR(got[4].second, 0.5, 1e-12);  // LR2: two first-order sections make Q 0.5
  EXPECT_EQ(got[5].first, FilterKind::Unsupported);

  EXPECT_FALSE(readCamillaYaml("filters: [1, 2", "").ok);
  EXPECT_FALSE(readCamillaYaml("just: text\n", "").ok);
}

TEST(EqxRead, RecognisesEachFormat) {
  struct {
    std::string text;
    Format format;
  } cases[] = {
      {"Preamp: -1 dB\nFilter 1: ON PK Fc 1000 Hz Gain 1 dB Q 1\n", Format::Apo},
      {"Filter Settings file\n\nRoom EQ V5.20\nFilter  1: ON  PK  Fc 100 Hz  Gain 1 dB  Q 1\n",
       Format::Rew},
      {"filters:\n  a:\n    type: Biquad\n    parameters: {type: Peaking, freq: 1000, gain: 1, q: "
       "1}\n",
       Format::CamillaDsp},
      {"biquad1,\nb0=1,\nb1=0,\nb2=0,\na1=0,\na2=0,\n", Format::Biquad},
      {"{\"api_version\": 1, \"bands\": []}", Format::Json},
      {std::string("\xFF\xFE"
                   "F\0i\0l\0t\0e\0r\0 \0"
                   "1\0:\0 \0O\0N\0 \0P\0K\0 \0F\0c\0 \0"
                   "1\0"
                   "0\0 \0H\0z\0 \0G\0a\0i\0n\0 \0"
                   "1\0 \0d\0B\0 \0Q\0 \0"
                   "1\0",
                   66),
       Format::Apo},
  };
  for (const auto& c : cases) {
    const ReadResult r = readEqFile(c.text, {});
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.eq.format, c.format) << c.text;
  }
  EXPECT_FALSE(readEqFile("hello world\n", {}).ok);
  EXPECT_FALSE(readEqFile(std::string("Filter\0", 7), {}).ok);
}

}  // namespace
}  // namespace ax7::eqx
