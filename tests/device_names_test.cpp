// Named values reach the box with exactly the reports the window sends for the same edit, and
// read back as they were set.
#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "device/named_values.h"
#include "dsp/crossover.h"
#include "params/compressor_values.h"
#include "params/defaults.h"
#include "params/eq_sets.h"
#include "sim/sim_backend.h"
#include "support/box_sink.h"
#include "support/frame_capture.h"

namespace ax7 {
namespace {

// One core's encoders into a simulated box, recording every report.
struct Encoders {
  Encoders() { InitParameterMemory(mem); }
  VirtualClock clock;
  sim::SimBackend backend{clock};
  ParameterMemory mem;
  UsbLink link{backend, clock, mem.dev};
  sim::SimBox box;
  test::BoxSink sink{box};
  Commands cmd{mem, link, clock, &sink};
  EqSenders eq{cmd};
};

std::vector<NamedValue> checked(const std::vector<std::pair<std::string, InputValue>>& pairs) {
  std::vector<NamedValue> values;
  std::string error;
  EXPECT_TRUE(CheckNamedValues(pairs, &values, &error)) << error;
  return values;
}

TEST(NamedValues, ReportsEqualTheWindowsForTheSameEdit) {
  using compressor::Field;
  struct Case {
    std::string name, value;
    // What the window's control does for the edit, on a core of its own.
    std::function<void(Encoders&)> window;
  };
  const Case cases[] = {
      {"mic1.volume", "55", [](Encoders& w) { w.cmd.SetParam(Param::MicVolume, 0, 55); }},
      {"mic.volume", "42", [](Encoders& w) { w.cmd.SetParam(Param::MicMaster, 42); }},
      {"effect.volume", "30", [](Encoders& w) { w.cmd.SetParam(Param::EffectMaster, 30); }},
      {"music.pitch", "-2", [](Encoders& w) { w.cmd.SetParam(Param::MusicPitch, -2); }},
      {"music.mute", "0", [](Encoders& w) { w.cmd.SetParam(Param::MusicMute, 0); }},
      {"reverb_b.time", "37", [](Encoders& w) { w.cmd.SetParam(Param::ReverbTimeB, 37); }},
      {"mic_b.shift", "3", [](Encoders& w) { w.cmd.SetParam(Param::ShiftFreqB, 3); }},
      {"out3.delay", "12.3",
       [](Encoders& w) { w.cmd.SetChannelDelay(2, float(123 / 10.0)); }},
      {"out3.delay.on", "0", [](Encoders& w) { w.cmd.SetDelayOn(2, 1); }},
      {"out5.compressor.on", "1", [](Encoders& w) { w.cmd.SetCompressorOn(4, 0); }},
      {"mic2.route", "B",
       [](Encoders& w) {
         w.cmd.SetParam(Param::MicToA, 1, 0);
         w.cmd.SetParam(Param::MicToB, 1, 100);
       }},
      {"music.agc.level", "-2.5",
       [](Encoders& w) {
         w.cmd.SetParam(Param::MusicAgcLevel, double(std::bit_cast<uint32_t>(float(-145 / 10.0))));
       }},
      {"out2.compressor.ratio", "4.5",
       [](Encoders& w) {
         const compressor::Values v = compressor::Moved(w.mem, 1, Field::Ratio, 45);
         w.cmd.SetCompressor(1, v.threshold, v.ratio, v.attack, v.release);
       }},
      {"out6.room_trim", "-2.5", [](Encoders& w) { w.cmd.SetRoomTrim(5, -2.5f); }},
      // A flat PEQ at 125 Hz, Q 1.414, moved to -3.5 dB.
      {"mic_a.eq.3.gain", "-3.5",
       [](Encoders& w) { w.eq.SendMicAEqBand(2, 1, -3.5f, 125, 1.414f); }},
      // The type rule: an LS takes gain 0 and Q 0.7.
      {"echo_b.eq.2.type", "LS",
       [](Encoders& w) { w.eq.SendEchoBEqBand(1, 4, 0.0f, 160, 0.7f); }},
  };
  for (const Case& c : cases) {
    Encoders named, window;
    ApplyNamedValues(named.cmd, named.eq, checked({{c.name, c.value}}));
    c.window(window);
    ASSERT_FALSE(window.sink.sent.empty()) << c.name;
    EXPECT_EQ(test::framesHex(named.sink.sent), test::framesHex(window.sink.sent)) << c.name;
    // And get reads back what set wrote.
    const ParamName& n = *FindParamName(c.name);
    std::string error;
    double expected = 0;
    ASSERT_TRUE(CheckValue(n, c.value, &expected, &error));
    EXPECT_EQ(FormatNamedValue(n, ReadNamedValue(named.mem, n)), FormatNamedValue(n, expected))
        << c.name;
  }
}

TEST(NamedValues, OutputCrossoverBandSendsItsWholeCascade) {
  Encoders e;
  ApplyNamedValues(e.cmd, e.eq, checked({{"out2.eq.10.type", std::string("LP")}}));
  const auto types = *dsp::plainCrossoverTypes(2);
  const std::vector<dsp::EqBand> bands = LoadEditorBands(e.mem, kFirstOutputEqSet + 1);
  // Two reports per record (the record, its section) for records 9..12.
  EXPECT_EQ(e.sink.sent.size(), 2u * dsp::kCrossoverSections);
  for (int i = 0; i < dsp::kCrossoverSections; ++i) {
    EXPECT_EQ(bands[size_t(dsp::kCrossoverBand + i)].type, types[size_t(i)]) << i;
    EXPECT_EQ(bands[size_t(dsp::kCrossoverBand + i)].freq, bands[dsp::kCrossoverBand].freq);
  }
}

TEST(NamedValues, FieldsOfOneTargetGoOutTogetherInTheirOrder) {
  Encoders e;
  const auto read = [&](const char* name) {
    return FormatNamedValue(*FindParamName(name), ReadNamedValue(e.mem, *FindParamName(name)));
  };
  const std::string release = read("out1.compressor.release");
  ApplyNamedValues(e.cmd, e.eq,
                   checked({{"mic_a.eq.3.freq", std::string("1000")},
                            {"out1.compressor.threshold", std::string("-20")},
                            {"mic_a.eq.3.type", std::string("HS")},
                            {"out1.compressor.attack", std::string("5")},
                            {"mic_a.eq.3.gain", std::string("4")}}));
  // One band (record and section), then one compressor report.
  ASSERT_EQ(e.sink.sent.size(), 3u);
  // The type went first, so its rule did not undo the gain; the frequency is kept.
  EXPECT_EQ(read("mic_a.eq.3.type"), "HS");
  EXPECT_EQ(read("mic_a.eq.3.gain"), "4");
  EXPECT_EQ(read("mic_a.eq.3.freq"), "1000");
  EXPECT_EQ(read("mic_a.eq.3.q"), "0.7");
  EXPECT_EQ(read("out1.compressor.threshold"), "-20");
  EXPECT_EQ(read("out1.compressor.attack"), "5");
  EXPECT_EQ(read("out1.compressor.release"), release);
}

}  // namespace
}  // namespace ax7
