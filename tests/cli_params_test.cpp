// ax7ctl params, get, set and mode against the simulated box in virtual time, judged by exit
// code, output and the reports in the trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "device/commands.h"
#include "params/defaults.h"
#include "params/param_names.h"
#include "sim/sim_backend.h"
#include "support/box_sink.h"
#include "support/cli_run.h"
#include "support/frame_capture.h"

namespace ax7 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ParamsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("ax7ctl-params-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string trace() const { return (dir_ / "trace.txt").string(); }

  test::CliRun sim(std::vector<std::string> args) {
    args.insert(args.begin(), {"--device", "sim", "--virtual-time", "--trace", trace()});
    return test::ax7ctl(args);
  }

  // The reports written after the box identified itself (its last question, 0x81) up to the
  // close, as frame texts.
  std::vector<std::string> edits() const {
    std::vector<std::string> out;
    std::ifstream in(trace());
    for (std::string line; std::getline(in, line);) {
      if (line == "# close") break;
      if (line.rfind("> ", 0) != 0) continue;
      const std::string frame = test::tracedFrame(line);
      if (frame == "02 81") {
        out.clear();
        continue;
      }
      out.push_back(frame);
    }
    return out;
  }
  bool wroteAnything() const {
    std::ifstream in(trace());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("> ", 0) == 0) return true;
    return false;
  }

  fs::path dir_;
};

TEST_F(ParamsCli, SetSendsWhatTheWindowSendsForTheSameEdits) {
  const test::CliRun run = sim({"set", "mic1.volume=55", "music.pitch=-2", "out3.delay=12.3",
                                "out3.mute=on", "mic2.route=B"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "");

  VirtualClock clock;
  sim::SimBackend backend{clock};
  ParameterMemory mem;
  InitParameterMemory(mem);
  UsbLink link{backend, clock, mem.dev};
  sim::SimBox box;
  test::BoxSink sink{box};
  Commands window{mem, link, clock, &sink};
  window.SetParam(Param::MicVolume, 0, 55);
  window.SetParam(Param::MusicPitch, -2);
  window.SetChannelDelay(2, float(123 / 10.0));
  window.SetParam(Param::ChannelMute, 2, 1);
  window.SetParam(Param::MicToA, 1, 0);
  window.SetParam(Param::MicToB, 1, 100);
  EXPECT_EQ(edits(), test::framesHex(sink.sent));
}

TEST_F(ParamsCli, BadInputExitsTwoNamingThePairAndSendsNothing) {
  struct Case {
    std::vector<std::string> pairs;
    const char* named;
  };
  const Case cases[] = {
      {{"nosuch.name=1"}, "nosuch.name=1: no such name"},
      {{"mic1.volume=loud"}, "mic1.volume=loud: "},
      {{"mic1.volume=101"}, "mic1.volume=101: "},
      {{"mic1.volume=NaN"}, "mic1.volume=NaN: "},
      {{"mic1.volume=inf"}, "mic1.volume=inf: "},
      {{"mic1.volume=-Infinity"}, "mic1.volume=-Infinity: "},
      {{"mic1.volume="}, "mic1.volume=: "},
      {{"mic1.volume"}, "mic1.volume: NAME=VALUE expected"},
      {{"=5"}, "=5: no such name"},
      {{"mic1.volume=5", "mic1.volume=6"}, "mic1.volume=6: "},
      {{"mic1.volume=5", "out9.mute=1"}, "out9.mute=1: "},
      // Only the box knows the band's type: refused after reading, before any edit.
      {{"mic_a.eq.3.type=LP", "mic_a.eq.3.q=5"}, "mic_a.eq.3.q=5: "},
  };
  for (const Case& c : cases) {
    fs::remove(trace());
    std::vector<std::string> args = {"set"};
    args.insert(args.end(), c.pairs.begin(), c.pairs.end());
    const test::CliRun run = sim(args);
    EXPECT_EQ(run.code, 2) << c.named;
    EXPECT_EQ(test::lines(run.err).size(), 1u) << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.named));
    EXPECT_THAT(run.err, HasSubstr("nothing sent"));
    for (const std::string& frame : edits()) {
      EXPECT_THAT(frame, ::testing::Not(StartsWith("02 09"))) << c.named;
      EXPECT_THAT(frame, ::testing::Not(StartsWith("02 85"))) << c.named;
    }
  }
  fs::remove(trace());
  EXPECT_EQ(sim({"set", "mic9.volume=1"}).code, 2);
  EXPECT_FALSE(wroteAnything()) << "a pair the names refuse never opens the box";
}

TEST_F(ParamsCli, GetPrintsNamesInTheirUnits) {
  const test::CliRun text = sim({"get", "mic1.volume", "mic_a.eq.3", "out1.delay"});
  ASSERT_EQ(text.code, 0) << text.err;
  const auto lines = test::lines(text.out);
  ASSERT_EQ(lines.size(), 6u) << text.out;
  EXPECT_THAT(lines[0], StartsWith("mic1.volume="));
  EXPECT_EQ(lines[1], "mic_a.eq.3.type=PEQ");
  EXPECT_THAT(lines[5], StartsWith("out1.delay="));

  const test::CliRun json = sim({"get", "--json", "mic1.route", "out2.eq.4.gain"});
  ASSERT_EQ(json.code, 0) << json.err;
  const auto doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc.begin().key(), "api_version");
  EXPECT_TRUE(doc["values"]["mic1.route"].is_string());
  EXPECT_TRUE(doc["values"]["out2.eq.4.gain"].is_number());
  EXPECT_EQ(doc["mode"], 1);

  fs::remove(trace());
  EXPECT_EQ(sim({"get", "mic1.loudness"}).code, 2);
  EXPECT_FALSE(wroteAnything());
}

TEST_F(ParamsCli, ParamsListsEveryNameWithItsAddress) {
  const test::CliRun run = test::ax7ctl({"params", "--json"});
  ASSERT_EQ(run.code, 0) << run.err;
  const auto doc = nlohmann::json::parse(run.out);
  ASSERT_EQ(doc["params"].size(), ParamNames().size());
  for (const auto& p : doc["params"]) {
    if (p["name"] != "out3.compressor.threshold") continue;
    EXPECT_EQ(p["unit"], "dB");
    EXPECT_EQ(p["min"], -60);
    EXPECT_EQ(p["max"], 0);
    EXPECT_EQ(p["block"], 7);
    EXPECT_EQ(p["index"], 27);
    EXPECT_EQ(p["instances"], 8);
    EXPECT_EQ(p["instance"], 3);
  }
  const test::CliRun lines = test::ax7ctl({"params"});
  EXPECT_EQ(test::lines(lines.out).size(), ParamNames().size());
}

TEST_F(ParamsCli, ModeRecallAndSave) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* frame;  // the report sent, or empty
  };
  const Case cases[] = {
      {{"mode", "save", "2"}, 0, "02 04 01"},
      {{"mode", "recall", "4"}, 0, "02 05 03"},
      {{"mode", "recall", "0"}, 2, ""},
      {{"mode", "save", "5"}, 2, ""},
      {{"mode", "load", "1"}, 2, ""},
  };
  for (const Case& c : cases) {
    fs::remove(trace());
    const test::CliRun run = sim(c.args);
    EXPECT_EQ(run.code, c.code) << c.args[1] << c.args[2] << run.err;
    if (*c.frame) {
      EXPECT_EQ(edits(), std::vector<std::string>{c.frame});
    } else {
      EXPECT_FALSE(wroteAnything());
    }
  }
  // A box that goes away before it answers.
  const test::CliRun gone = test::ax7ctl({"--device", "sim", "--virtual-time", "--sim-fault",
                                          "unplug-after=4", "mode", "recall", "2"});
  EXPECT_EQ(gone.code, 1) << gone.err;
}

}  // namespace
}  // namespace ax7

namespace ax7 {
namespace {

TEST(DeviceSelection, ListGivesSerialAndPathAndHidTakesEither) {
  const test::CliRun list = test::ax7ctl({"--device", "sim", "--virtual-time", "list", "--json"});
  ASSERT_EQ(list.code, 0) << list.err;
  const auto box = nlohmann::json::parse(list.out)["boxes"][0];
  EXPECT_EQ(box["serial"], "SIM0001");
  EXPECT_EQ(box["path"], "sim:ax7-0");

  EXPECT_EQ(test::ax7ctl({"--device", "hid:", "list"}).code, 2);
  EXPECT_EQ(test::ax7ctl({"--device", "hid:ABC", "--sim-fault", "silent", "status"}).code, 2);
#ifdef AX7_WITH_HIDAPI
  // No box on this machine has that serial: the first one found is not taken instead.
  const test::CliRun none = test::ax7ctl({"--device", "hid:no-such-serial-0", "status"});
  EXPECT_EQ(none.code, 1);
  EXPECT_THAT(none.err, HasSubstr("'no-such-serial-0'"));
#endif
}

}  // namespace
}  // namespace ax7
