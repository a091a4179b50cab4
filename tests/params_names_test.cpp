// The public names of the settings: one name per edited value, stable spelling, and the checks
// every value passes before anything is sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <regex>
#include <set>

#include "params/defaults.h"
#include "params/eq_sets.h"
#include "params/memory.h"
#include "params/param_names.h"

namespace ax7 {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Words that only travel with another parameter's edit, so no name of their own.
bool travelsAlong(Param p) {
  switch (p) {
    case Param::MicToB:
    case Param::ShiftPeriodA:
    case Param::ShiftOffA:
    case Param::ShiftPeriodB:
    case Param::ShiftOffB:
    case Param::EffectMasterB:
    case Param::ReverbTimeA2:
    case Param::ReverbTimeB2:
      return true;
    default:
      return false;
  }
}

TEST(ParamNames, EveryEditedValueHasExactlyOneWellFormedName) {
  const std::regex form("[a-z][a-z0-9_]*(\\.[a-z0-9_]+)+|[a-z][a-z0-9_]*");
  std::set<std::string> seen;
  std::map<std::pair<int, int>, int> perInstance;  // (param, instance) -> names
  std::map<std::pair<int, int>, int> perBand;      // (set, band) -> fields
  for (const ParamName& n : ParamNames()) {
    EXPECT_TRUE(std::regex_match(n.name, form)) << n.name;
    EXPECT_TRUE(seen.insert(n.name).second) << "twice: " << n.name;
    EXPECT_EQ(FindParamName(n.name), &n) << n.name;
    EXPECT_LT(n.minimum, n.maximum) << n.name;
    if (n.isBandField()) {
      ++perBand[{n.eqSet, n.instance}];
      EXPECT_EQ(n.block, DescribeEqSet(n.eqSet).block) << n.name;
      continue;
    }
    ++perInstance[{int(n.param), n.instance}];
    // The address is the parameter's own: the table finds the same parameter there.
    int instance = -1;
    const ParamDesc* at = FindParam(n.block, n.index, &instance);
    ASSERT_NE(at, nullptr) << n.name;
    EXPECT_EQ(at->id, n.param) << n.name;
    EXPECT_EQ(instance, n.instance) << n.name;
    if (!n.isCompressorField()) EXPECT_EQ(NameOfParam(n.param, n.instance), &n) << n.name;
  }
  for (int p = 0; p < kParamCount; ++p) {
    const ParamDesc& d = Describe(Param(p));
    for (int i = 0; i < d.instances; ++i) {
      const int expected = travelsAlong(d.id) ? 0 : (d.id == Param::Compressor ? 4 : 1);
      EXPECT_EQ((perInstance[{p, i}]), expected) << d.name << " instance " << i;
    }
  }
  for (int set = 0; set < kEqSetCount; ++set) {
    // Outputs: bands 1..10, the tenth standing for the crossover cascade.
    const int bands = IsOutputEqSet(set) ? 10 : DescribeEqSet(set).bands;
    for (int b = 0; b < bands; ++b) EXPECT_EQ((perBand[{set, b}]), 4) << set << " " << b;
    EXPECT_EQ(NameOfBand(set, bands, "gain"), nullptr);
  }
}

TEST(ParamNames, SpellingIsAnApi) {
  // Names scripts rely on; a change here breaks them.
  struct Case {
    const char* name;
    Param param;
    int instance;
    const char* unit;
  };
  const Case cases[] = {
      {"mic1.volume", Param::MicVolume, 0, "%"},
      {"mic4.route", Param::MicToA, 3, "choice"},
      {"mic.volume", Param::MicMaster, 0, "steps"},
      {"music.pitch", Param::MusicPitch, 0, "steps"},
      {"echo_b.time", Param::EchoTimeB, 0, "ms"},
      {"out3.delay", Param::ChannelDelay, 2, "ms"},
      {"out3.compressor.threshold", Param::Compressor, 2, "dB"},
      {"out8.room_trim", Param::RoomTrim, 7, "dB"},
      {"music.agc.level", Param::MusicAgcLevel, 0, "dB"},
      {"mic_a.shift", Param::ShiftFreqA, 0, "Hz"},
  };
  for (const Case& c : cases) {
    const ParamName* n = FindParamName(c.name);
    ASSERT_NE(n, nullptr) << c.name;
    EXPECT_EQ(n->param, c.param) << c.name;
    EXPECT_EQ(n->instance, c.instance) << c.name;
    EXPECT_STREQ(n->unit, c.unit) << c.name;
  }
  const ParamName* band = FindParamName("out1.eq.10.type");
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->eqSet, kFirstOutputEqSet);
  EXPECT_EQ(band->instance, 9);
  EXPECT_EQ(FindParamName("mic_a.eq.3.gain"), NameOfBand(0, 2, "gain"));
  EXPECT_EQ(FindParamName("mic0.volume"), nullptr);
  EXPECT_EQ(FindParamName("MIC1.VOLUME"), nullptr);
}

TEST(ParamNames, BadInputIsRefusedNamingThePair) {
  using Pairs = std::vector<std::pair<std::string, InputValue>>;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Pairs pairs;
    const char* error;  // what the message starts with and holds
    const char* why;
  };
  const Case cases[] = {
      {{{"mic9.volume", std::string("5")}}, "mic9.volume=5: ", "no such name"},
      {{{"mic1.volume", std::string("loud")}}, "mic1.volume=loud: ", "takes a number"},
      {{{"mic1.volume", true}}, "mic1.volume=true: ", "not true or false"},
      {{{"mic1.volume", std::string("101")}}, "mic1.volume=101: ", "outside 0..100"},
      {{{"music.pitch", -6.0}}, "music.pitch=-6: ", "outside -5..5"},
      {{{"mic1.volume", std::string("1.5")}}, "mic1.volume=1.5: ", "whole number"},
      {{{"out3.delay", std::string("12.34")}}, "out3.delay=12.34: ", "steps of 0.1"},
      {{{"mic1.volume", std::string("nan")}}, "mic1.volume=nan: ", "not a finite number"},
      {{{"mic1.volume", std::string("inf")}}, "mic1.volume=inf: ", "not a finite number"},
      {{{"mic1.volume", std::string("1e999")}}, "mic1.volume=1e999: ", "not a finite number"},
      {{{"mic1.volume", nan}}, "mic1.volume=nan: ", "not a finite number"},
      {{{"out1.room_trim", -inf}}, "out1.room_trim=-inf: ", "not a finite number"},
      {{{"mic1.volume", std::string("")}}, "mic1.volume=: ", "no value"},
      {{{"mic1.volume", std::string(" 5")}}, "mic1.volume= 5: ", "takes a number"},
      {{{"mic1.volume", std::string("0x10")}}, "mic1.volume=0x10: ", "takes a number"},
      {{{"mic1.route", std::string("C")}}, "mic1.route=C: ", "one of A, B"},
      {{{"out1.eq.2.type", std::string("OFF")}}, "out1.eq.2.type=OFF: ", "one of PEQ"},
      {{{"mic.mute", std::string("2")}}, "mic.mute=2: ", "outside"},
      // A later bad pair fails the whole set; a name given twice is refused.
      {{{"mic1.volume", std::string("5")}, {"mic2.volume", std::string("-1")}},
       "mic2.volume=-1: ",
       "outside"},
      {{{"mic1.volume", std::string("5")}, {"mic1.volume", std::string("6")}},
       "mic1.volume=6: ",
       "given twice"},
  };
  for (const Case& c : cases) {
    std::vector<NamedValue> out = {{nullptr, 0}};
    std::string error;
    EXPECT_FALSE(CheckNamedValues(c.pairs, &out, &error)) << c.error;
    EXPECT_THAT(error, StartsWith(c.error));
    EXPECT_THAT(error, HasSubstr(c.why)) << error;
    EXPECT_EQ(out.size(), 1u) << "left alone on failure";
  }
}

TEST(ParamNames, AcceptedSpellingsOfValues) {
  struct Case {
    const char* name;
    InputValue input;
    double value;
  };
  const Case cases[] = {
      {"music.pitch", std::string("+3"), 3},
      {"music.pitch", std::string("-5"), -5},
      {"mic.mute", std::string("on"), 1},
      {"mic.mute", std::string("OFF"), 0},
      {"mic.mute", true, 1},
      {"mic2.route", std::string("b"), 1},
      {"mic2.route", std::string("0"), 0},
      {"mic_a.eq.1.type", std::string("lp"), 2},
      {"mic_a.eq.1.type", std::string("off"), 0},
      {"out1.eq.1.type", std::string("5"), 5},
      {"out3.delay", std::string("12.3"), 12.3},
      {"out3.delay", 1.5, 1.5},
      {"mic_a.eq.1.gain", std::string("-3.5"), -3.5},
      {"mic_a.eq.1.q", std::string("1.414"), 1.414},
      {"music.agc.level", std::string("-2.5"), -2.5},
      {"out2.compressor.ratio", std::string("4.5"), 4.5},
      {"out1.room_trim", std::string("-2.37"), -2.37},
      {"mic1.volume", std::string("1e1"), 10},
  };
  for (const Case& c : cases) {
    std::vector<NamedValue> out;
    std::string error;
    ASSERT_TRUE(CheckNamedValues({{c.name, c.input}}, &out, &error)) << c.name << ": " << error;
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].value, c.value) << c.name << "=" << InputText(c.input);
  }
}

TEST(ParamNames, BandChecksFollowTheTypeTheBandWillHave) {
  ParameterMemory mem;
  InitParameterMemory(mem);  // every band a PEQ
  struct Case {
    std::vector<std::pair<std::string, InputValue>> pairs;
    bool ok;
  };
  const Case cases[] = {
      {{{"mic_a.eq.3.q", std::string("5")}}, true},
      {{{"mic_a.eq.3.type", std::string("LP")}, {"mic_a.eq.3.q", std::string("5")}}, false},
      {{{"mic_a.eq.3.type", std::string("LP")}, {"mic_a.eq.3.q", std::string("2")}}, true},
      {{{"mic_a.eq.3.type", std::string("HP")}, {"mic_a.eq.3.gain", std::string("3")}}, false},
      {{{"mic_a.eq.3.type", std::string("LS")}, {"mic_a.eq.3.gain", std::string("3")}}, true},
      // Another band's type does not count.
      {{{"mic_a.eq.4.type", std::string("LP")}, {"mic_a.eq.3.q", std::string("5")}}, true},
  };
  for (const Case& c : cases) {
    std::vector<NamedValue> values;
    std::string error;
    ASSERT_TRUE(CheckNamedValues(c.pairs, &values, &error)) << error;
    EXPECT_TRUE(NeedsStoredValues(values));
    EXPECT_EQ(CheckAgainstMemory(mem, values, &error), c.ok) << c.pairs[0].first << " " << error;
  }
  std::vector<NamedValue> plain;
  std::string error;
  ASSERT_TRUE(CheckNamedValues({{"mic1.volume", 3.0}}, &plain, &error));
  EXPECT_FALSE(NeedsStoredValues(plain));
}

TEST(ParamNames, DamagedWordsReadAsTheWindowShowsThem) {
  ParameterMemory mem;
  InitParameterMemory(mem);
  const auto read = [&](const char* name) { return ReadNamedValue(mem, *FindParamName(name)); };
  const auto word = [&](Param p, int instance) {
    return size_t(Describe(p).wordOf(instance));
  };
  // The AGC word keeps the target; NaN puts the slider at its bottom, -6 dB shown.
  mem.pc.setFloat(word(Param::MusicAgcLevel, 0), std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(read("music.agc.level"), -6.0);
  mem.pc.setFloat(word(Param::MusicAgcLevel, 0), -14.5f);
  EXPECT_EQ(read("music.agc.level"), -2.5);
  // The delay tick is on while its word is 0; any other word is off.
  mem.pc.setInt(word(Param::DelayOn, 2), 0);
  EXPECT_EQ(read("out3.delay.on"), 1);
  mem.pc.setInt(word(Param::DelayOn, 2), 7);
  EXPECT_EQ(read("out3.delay.on"), 0);
  // A mute word of any non-zero value is muted.
  mem.pc.setInt(word(Param::ChannelMute, 0), 5);
  EXPECT_EQ(read("out1.mute"), 1);
  EXPECT_EQ(FormatNamedValue(*FindParamName("mic_a.eq.1.type"), 1), "PEQ");
  EXPECT_EQ(FormatNamedValue(*FindParamName("out1.eq.10.type"), 12), "12");
  EXPECT_EQ(FormatNamedValue(*FindParamName("out3.delay"), double(float(12.3))), "12.3");
}

}  // namespace
}  // namespace ax7
