// Reading EQ files: single lines as measurement tools write them, locale numbers, and the
// coefficient text's sign convention.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "eqx/filters.h"
#include "eqx/mapping.h"
#include "eqx/numbers.h"
#include "eqx/sections.h"
#include "eqx/text.h"

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

std::string fixture(const std::string& name) {
  std::ifstream in(std::string(AX7_TEST_DATA_DIR) + "/eqx/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// REW writes its filter settings in the code page of the machine: the same German-locale
// export as Latin-1 with CRLF, as UTF-8, and as UTF-16 LE with a byte order mark. Each reads to
// the same filters, and every text of them is UTF-8.
TEST(EqxRead, RewExportsInEveryEncodingReadAlike) {
  const std::vector<double> frequencies = {31.5, 63, 1250, 105, 12000, 500, 0};
  for (const char* name : {"rew_v501_de_latin1_crlf.txt", "rew_v501_de_utf8.txt",
                           "rew_v501_de_utf16le_bom_crlf.txt"}) {
    SCOPED_TRACE(name);
    const ReadResult r = readEqFile(fixture(name), {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.eq.format, Format::Rew);
    std::vector<double> got;
    for (const FileFilter& f : r.eq.filters) {
      got.push_back(f.frequency);
      EXPECT_TRUE(isValidUtf8(f.text)) << f.text;
    }
    EXPECT_EQ(got, frequencies);
    ASSERT_EQ(r.eq.filters.size(), frequencies.size());
    EXPECT_EQ(r.eq.filters[2].line, 12);
    EXPECT_NE(r.eq.filters[2].text.find("1\xC2\xA0"
                                        "250 Hz"),
              std::string::npos);
    EXPECT_NEAR(r.eq.filters[0].widthValue, 4.21, 1e-12);
    EXPECT_TRUE(r.eq.notes.empty());  // REW's header lines are no news
    const ImportReport report = mapToSet(r.eq, 6, std::vector<BandRecord>()).report;
    for (const ReportEntry& e : report.entries) {
      EXPECT_TRUE(isValidUtf8(e.source) && isValidUtf8(e.reason)) << e.source;
    }
  }
}

TEST(EqxRead, TextIsDecodedToUtf8) {
  struct {
    std::string bytes, text;
  } cases[] = {
      {"plain", "plain"},
      {"\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F", "Gr\xC3\xBC\xC3\x9F"},  // UTF-8 with its mark
      {"Gr\xFC\xDF 1\xA0"
       "000",
       "Gr\xC3\xBC\xC3\x9F 1\xC2\xA0"
       "000"},  // Latin-1
      {"\x80 5\x96"
       "6 \x81",
       "\xE2\x82\xAC 5\xE2\x80\x93"
       "6 \xC2\x81"},                                    // Windows-1252
      {"\xC3\x28", "\xC3\x83("},                         // not UTF-8: every byte a character
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // an encoded surrogate is not UTF-8
      {std::string("\xFF\xFEG\0\xFC\0\xAC\x20", 8), "G\xC3\xBC\xE2\x82\xAC"},    // UTF-16 LE
      {std::string("\xFE\xFF\0G\xD8\x3D\xDE\x00", 8), "G\xF0\x9F\x98\x80"},      // UTF-16 BE
      {std::string("\xFF\xFE\x00\xD8G\0\x41", 7), "\xEF\xBF\xBDG\xEF\xBF\xBD"},  // broken
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(decodeText(c.bytes), c.text);
    EXPECT_TRUE(isValidUtf8(decodeText(c.bytes)));
  }
  EXPECT_EQ(clipUtf8("ab\xC3\xBC", 3), "ab");
  EXPECT_EQ(clipUtf8("ab\xC3\xBC", 4), "ab\xC3\xBC");
}

// CR, LF and CR LF end a line in every text format, with the same line numbers.
TEST(EqxRead, EveryLineEndEndsALine) {
  const std::string formats[] = {
      "Preamp: -6 dB\nFilter 1: ON PK Fc 1000 Hz Gain 3 dB Q 1\n\nFilter 2: ON LSC Fc 105 Hz "
      "Gain 2 dB Q 0.7\n",
      "filters:\n  a:\n    type: Biquad\n    parameters: {type: Peaking, freq: 1000, gain: 3, "
      "q: 1}\n\n  b:\n    type: Biquad\n    parameters: {type: Lowshelf, freq: 105, gain: 2, "
      "q: 0.7}\n",
      "biquad1,\nb0=1,\nb1=0,\nb2=0,\na1=0,\na2=0,\n\nbiquad2,\nb0=1,\nb1=0,\nb2=0,\na1=0,\n"
      "a2=0,\n",
  };
  for (const std::string& lf : formats) {
    std::vector<std::vector<int>> lines;
    for (const char* end : {"\n", "\r\n", "\r"}) {
      std::string text;
      for (char c : lf) text += c == '\n' ? std::string(end) : std::string(1, c);
      SCOPED_TRACE(text);
      const ReadResult r = readEqFile(text, {});
      ASSERT_TRUE(r.ok) << r.error;
      ASSERT_EQ(r.eq.filters.size(), 2u);
      EXPECT_TRUE(r.eq.notes.empty());
      lines.push_back({r.eq.filters[0].line, r.eq.filters[1].line});
      if (r.eq.format == Format::Apo) {
        EXPECT_DOUBLE_EQ(*r.eq.preampDb, -6);
      }
    }
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_EQ(lines[2], lines[0]);
  }
}

// A line the reader does not understand is in the report, never passed over.
TEST(EqxRead, LinesNotUnderstoodAreTold) {
  const ReadResult r = readApoText(
      "Preamp: -6 dB Filter 1: ON PK Fc 1000 Hz\n"
      "Filter 2: ON PK Fc 1000 Hz Gain 3 dB Q 1\n"
      "Flter 3: ON PK Fc 200 Hz Gain 1 dB Q 1\n"
      "ON PK Fc 300 Hz Gain 1 dB Q 1\n"
      "# a comment\n",
      Format::Apo, "");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.eq.notes.size(), 3u);
  EXPECT_NE(r.eq.notes[0].find("line 1: words after the preamp"), std::string::npos);
  EXPECT_NE(r.eq.notes[1].find("line 3: "), std::string::npos);
  EXPECT_NE(r.eq.notes[1].find("Flter 3"), std::string::npos);
  EXPECT_NE(r.eq.notes[2].find("line 4: "), std::string::npos);
}

TEST(EqxRead, CamillaFivePointPeqIsFiveSections) {
  const ReadResult r = readEqFile(fixture("camilla_fivepointpeq.yml"), {});
  ASSERT_TRUE(r.ok) << r.error;
  struct {
    FilterKind kind;
    double f, g, q;
  } want[] = {{FilterKind::LowShelf, 80, 3.5, 0.7},
              {FilterKind::Peaking, 250, -2, 1.4},
              {FilterKind::Peaking, 1200, 1.5, 2},
              {FilterKind::Peaking, 4500, -3, 3},
              {FilterKind::HighShelf, 10000, 2, 0.7}};
  ASSERT_EQ(r.eq.filters.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    const FileFilter& f = r.eq.filters[i];
    EXPECT_EQ(f.kind, want[i].kind);
    EXPECT_EQ(f.frequency, want[i].f);
    EXPECT_EQ(f.gainDb, want[i].g);
    EXPECT_EQ(f.width, Width::Q);
    EXPECT_EQ(f.widthValue, want[i].q);
    EXPECT_FALSE(f.cornerFrequency);
  }
  const ImportReport report = mapToSet(r.eq, 0, std::vector<BandRecord>()).report;
  EXPECT_EQ(report.bandsFilled(), 5);
  EXPECT_EQ(report.count(Status::Exact), 5);

  // A part without its three values is dropped alone.
  const ReadResult partial = readCamillaYaml(
      "filters:\n  p:\n    type: BiquadCombo\n    parameters: {type: FivePointPeq, fls: 80, "
      "gls: 1, qls: 0.7, fp1: 200}\n",
      "");
  ASSERT_TRUE(partial.ok) << partial.error;
  ASSERT_EQ(partial.eq.filters.size(), 5u);
  EXPECT_EQ(partial.eq.filters[0].kind, FilterKind::LowShelf);
  EXPECT_EQ(partial.eq.filters[1].kind, FilterKind::Unsupported);
}

// A sample rate far out of range is told, never cast; coefficient sections are then dropped.
TEST(EqxRead, CamillaSampleRatesOutOfRange) {
  for (const char* rate : {"3e9", "-44100", "0", "1e400", ".nan", "fast"}) {
    SCOPED_TRACE(rate);
    const ReadResult r = readCamillaYaml(
        std::string("devices:\n  samplerate: ") + rate +
            "\nfilters:\n  f:\n    type: Biquad\n    parameters: {type: Free, a1: 0, a2: 0, "
            "b0: 1, b1: 0, b2: 0}\n  p:\n    type: Biquad\n    parameters: {type: Peaking, "
            "freq: 100, gain: 1, q: 1}\n",
        "");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.eq.notes.size(), 1u);
    EXPECT_NE(r.eq.notes[0].find("not a usable rate"), std::string::npos) << r.eq.notes[0];
    ASSERT_EQ(r.eq.filters.size(), 2u);
    EXPECT_EQ(r.eq.filters[0].kind, FilterKind::Unsupported);
    EXPECT_EQ(r.eq.filters[1].kind, FilterKind::Peaking);
  }
  const ReadResult r = readCamillaYaml(
      "devices: {samplerate: 96000}\nfilters:\n  f:\n    type: Biquad\n    parameters: {type: "
      "Free, a1: 0, a2: 0, b0: 1, b1: 0, b2: 0}\n",
      "");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.eq.notes.at(0),
            "the file runs at 96000 Hz; coefficient sections are read at that rate");
  EXPECT_EQ(r.eq.filters.at(0).sampleRate, 96000);
}

// However many filters a file names, what is read is bounded by what a set can hold; the rest
// is counted in a note.
TEST(EqxRead, FilesOfManyFiltersReadABoundedPart) {
  std::string yaml =
      "filters:\n  p:\n    type: Biquad\n    parameters: {type: Peaking, freq: 100, gain: 1, q: "
      "1}\npipeline:\n  - type: Filter\n    channels: [0]\n    names: [";
  std::string apo;
  const int n = 5000;
  for (int i = 0; i < n; ++i) {
    yaml += i ? ", p" : "p";
    apo += "Filter " + std::to_string(i + 1) + ": ON PK Fc 100 Hz Gain 1 dB Q 1\n";
  }
  yaml += "]\n";
  for (const std::string& text : {yaml, apo}) {
    const ReadResult r = readEqFile(text, {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.eq.filters.size(), kMaxFileFilters);
    ASSERT_EQ(r.eq.notes.size(), 1u);
    EXPECT_EQ(r.eq.notes[0].rfind(std::to_string(n - int(kMaxFileFilters)) + " more filters", 0),
              0u)
        << r.eq.notes[0];
  }
}

}  // namespace
}  // namespace ax7::eqx
