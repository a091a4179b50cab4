// Both synchronisations run against the simulated box in virtual time: order and count of the
// reports, what lands in memory and in the box, and the fault cases.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/core.h"
#include "params/band_record.h"
#include "params/byte_order.h"
#include "sim/sim_backend.h"
#include "support/box_sink.h"
#include "support/frame_capture.h"
#include "support/recorders.h"

namespace ax7 {
namespace {

struct SyncFixture {
  explicit SyncFixture(sim::SimFaults faults = {})
      : backend(clock, faults), core(backend, clock), trace(clock) {
    core.setNotifier(&view);
    core.link.setTrace(&trace);
  }
  ~SyncFixture() { core.link.CloseUsbDevice(false); }

  bool open() { return core.link.OpenUsbDevice(&view); }
  // Runs a synchronisation on its worker and returns the virtual time it took.
  int64_t run(void (Synchroniser::*start)()) {
    const int64_t t0 = clock.nowMs();
    (core.sync.*start)();
    core.sync.waitIdle();
    return clock.nowMs() - t0;
  }
  std::vector<Report> written() {
    std::vector<Report> out;
    for (const auto& w : trace.written()) out.push_back(w.report);
    return out;
  }

  VirtualClock clock;
  sim::SimBackend backend;
  Core core;
  test::RecordingNotifier view;
  test::RecordingTrace trace;
};

// (block, index) of every 0x09 write in order.
std::vector<std::pair<int, int>> dspWrites(const std::vector<Report>& reports) {
  std::vector<std::pair<int, int>> out;
  for (const auto& r : reports)
    if (r[1] == 0x09) out.emplace_back(r[3], r[4]);
  return out;
}

float firstWord(const Report& r) { return getBeFloat(&r[6]); }

TEST(SyncFromBox, ReadsEverythingIn217RequestsAndFillsMemory) {
  SyncFixture f;
  f.backend.withBox([](sim::SimBox& box) {
    box.setDspParam(1, 14, {std::bit_cast<uint32_t>(EncodeMaster(37))});
    box.setDspParam(2, 10, {uint32_t(EncodeSamples(300.0f))});
    box.setModeName(1, u"Party");
    const PackedBand band = PackBandRecord(4, 3.5f, 125, 0.7f);
    box.setMemory(BandRecordOffset(4, 2), band.data(), int(band.size()));
  });
  ASSERT_TRUE(f.open());
  const int64_t took = f.run(&Synchroniser::startSynchronizeFromBox);

  const auto w = f.written();
  ASSERT_EQ(w.size(), size_t(kFullReadRequests));
  const uint8_t head[] = {0x80, 0x7F, 0x81, 0x07, 0x95};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(w[i][1], head[i]) << i;
  for (size_t i = 5; i < 190; ++i) EXPECT_EQ(w[i][1], 0x0A) << i;
  for (size_t i = 190; i < 215; ++i) EXPECT_EQ(w[i][1], 0x86) << i;
  EXPECT_EQ(w[215][1], 0x92);
  EXPECT_EQ(w[216][1], 0x62);
  EXPECT_GE(took, kSyncFromBoxWaitMs + 200);
  EXPECT_EQ(f.trace.phases(), std::vector<std::string>{"SynchronizeFromBox"});

  const auto posted = f.view.posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, kMsgSyncFinished);
  EXPECT_EQ(posted[0].wParam, 0);
  EXPECT_EQ(f.core.link.statusPollAllowed(), 1);
  EXPECT_EQ(f.core.sync.progressDone(), f.core.sync.progressTotal());

  auto& mem = f.core.mem;
  EXPECT_EQ(mem.dev.g_szModule.get(), u"AX7");
  EXPECT_EQ(mem.dev.g_nCmdVersion.load(), 17);
  EXPECT_EQ(mem.dev.g_szModeName[1].get(), u"Party");
  EXPECT_EQ(mem.pc.getInt(0), 37);
  EXPECT_FLOAT_EQ(mem.pc.getFloat(32), 300.0f);
  const BandRecord r = LoadBandRecord(mem, 4, 2);
  EXPECT_EQ(r.type, 4);
  EXPECT_FLOAT_EQ(r.gainDb, 3.5f);
  const auto image = mem.boxImage.snapshot();
  f.backend.withBox([&](sim::SimBox& box) {
    EXPECT_TRUE(std::equal(image.begin(), image.end(), box.memory().begin()));
  });
}

TEST(SyncFromBox, ModelAndProtocolChecks) {
  struct Case {
    const char* model;
    int version;
    size_t reports;
  } cases[] = {
      {"ax7", 17, size_t(kFullReadRequests)},  // letter case does not matter
      {"AX7X", 17, 6},                         // two identification attempts, then nothing
      {"VK4420", 17, 6},
      {"AX7", 16, 3},  // wrong protocol: stops after one attempt
  };
  for (const auto& c : cases) {
    sim::SimFaults faults;
    faults.model = c.model;
    faults.version = c.version;
    SyncFixture f(faults);
    ASSERT_TRUE(f.open());
    f.run(&Synchroniser::startSynchronizeFromBox);
    EXPECT_EQ(f.written().size(), c.reports) << c.model << " " << c.version;
    const auto posted = f.view.posted();
    ASSERT_EQ(posted.size(), 1u) << c.model;
    EXPECT_EQ(posted[0].wParam, 0);
  }
}

TEST(SyncFromBox, SilentBoxWaitsForEveryReplyInVirtualTime) {
  sim::SimFaults faults;
  faults.silent = true;
  SyncFixture f(faults);
  ASSERT_TRUE(f.open());
  const int64_t took = f.run(&Synchroniser::startSynchronizeFromBox);
  // The first report passes the open gate; the other five each wait the full reply time.
  EXPECT_EQ(f.written().size(), 6u);
  EXPECT_EQ(took, kSyncFromBoxWaitMs + 5 * kReplyTimeoutMs);
  EXPECT_EQ(f.view.posted().size(), 1u);
}

TEST(SyncFromBox, UnplugInTheMiddleEndsQuickly) {
  sim::SimFaults faults;
  faults.unplugAfter = 50;
  SyncFixture f(faults);
  ASSERT_TRUE(f.open());
  const int64_t took = f.run(&Synchroniser::startSynchronizeFromBox);
  EXPECT_LT(took, kSyncFromBoxWaitMs + 2 * kReplyTimeoutMs);
  EXPECT_EQ(f.core.link.readThreadEnded(), 1);
  EXPECT_EQ(f.view.posted().size(), 1u);
  EXPECT_LE(f.written().size(), 51u);
}

TEST(SyncFromBox, LoadBoxModeRecallsThenReads) {
  SyncFixture f;
  ASSERT_TRUE(f.open());
  f.core.sync.LoadBoxMode(9);
  f.core.sync.waitIdle();
  const auto w = f.written();
  ASSERT_EQ(w.size(), size_t(1 + kFullReadRequests));
  EXPECT_EQ(w[0][1], 0x05);
  EXPECT_EQ(w[0][2], 3);  // clamped
  EXPECT_EQ(f.core.mem.dev.g_nCurrentMode.load(), 3);
}

TEST(SyncToBox, WritesEverythingWithFixUpsAndNoMasterVolumesWithoutSoftStart) {
  SyncFixture f;
  auto& pc = f.core.mem.pc;
  pc.setFloat(32, 39.9f);  // echo time A below its minimum
  pc.setFloat(155, 0.2f);  // channel 2 delay below its minimum
  pc.setInt(2, 100);       // input 1 to both groups: A wins
  pc.setInt(10, 100);
  pc.setInt(0, 90);
  pc.setInt(53, 75);
  ASSERT_TRUE(f.open());
  const int expected = f.core.sync.ExpectedWriteReports();
  f.run(&Synchroniser::startSynchronizeToBox);

  const auto w = f.written();
  EXPECT_EQ(int(w.size()), expected);
  for (const auto& [block, index] : dspWrites(w)) {
    EXPECT_FALSE(block == 1 && index == 14);
    EXPECT_FALSE(block == 4 && index == 11);
  }
  ASSERT_GE(w.size(), 2u);
  const Report& last = w.back();
  const Report& beforeLast = w[w.size() - 2];
  EXPECT_EQ(beforeLast[1], 0x0A);
  EXPECT_EQ(beforeLast[3], 1);
  EXPECT_EQ(beforeLast[4], 14);
  EXPECT_EQ(last[1], 0x0A);
  EXPECT_EQ(last[3], 4);
  EXPECT_EQ(last[4], 11);
  const auto posted = f.view.posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, 1);

  EXPECT_FLOAT_EQ(pc.getFloat(32), 40.0f);
  for (int ch = 0; ch < 8; ++ch) EXPECT_GE(pc.getFloat(153 + ch), 1.5f);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(pc.getInt(1 + i) + pc.getInt(9 + i), 100) << i;
  EXPECT_EQ(pc.getInt(2), 100);
  EXPECT_EQ(pc.getInt(10), 0);

  const auto image = f.core.mem.boxImage.snapshot();
  f.backend.withBox([&](sim::SimBox& box) {
    EXPECT_TRUE(std::equal(image.begin(), image.end(), box.memory().begin()));
    EXPECT_EQ(box.dspParam(2, 10), std::vector<uint32_t>{1920u});
  });
}

TEST(SyncToBox, SoftStartRampsTheMasterVolumes) {
  SyncFixture f;
  f.core.mem.dev.g_settingsCurrent.set(0, 1);
  f.core.mem.pc.setInt(0, 82);
  f.core.mem.pc.setInt(53, 75);
  ASSERT_TRUE(f.open());
  const int expected = f.core.sync.ExpectedWriteReports();
  f.run(&Synchroniser::startSynchronizeToBox);
  EXPECT_EQ(int(f.trace.written().size()), expected);

  std::vector<float> mic, music;
  std::vector<int64_t> musicTimes;
  for (const auto& w : f.trace.written()) {
    if (w.report[1] != 0x09) continue;
    if (w.report[3] == 1 && w.report[4] == 14) mic.push_back(firstWord(w.report));
    if (w.report[3] == 4 && w.report[4] == 11) {
      music.push_back(firstWord(w.report));
      musicTimes.push_back(w.timeMs);
    }
  }
  // Both start at zero, then climb one step per report.
  EXPECT_EQ(mic, (std::vector<float>{0.0f, EncodeMaster(80), EncodeMaster(81), EncodeMaster(82)}));
  ASSERT_EQ(music.size(), 7u);
  EXPECT_EQ(music[0], 0.0f);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(music[size_t(i + 1)], EncodeMaster(70 + i));
  for (size_t i = 2; i < musicTimes.size(); ++i)
    EXPECT_EQ(musicTimes[i] - musicTimes[i - 1], 100) << i;
}


// A mode file can hold any bit pattern in any word. The full write must still send each word in
// its parameter's encoding: byte words carry only the low byte, times keep their minimums,
// levels and gates divide whatever integer is there. The expected payloads are written out from
// those rules, not taken from the encoders.
TEST(SyncToBox, WildWordsFromAFileTravelInTheirEncodings) {
  struct Case {
    const char* name;
    int word;
    uint32_t raw;
    int block, index;
    std::vector<std::string> payloads;  // after "02 09 00 block index count"
    std::optional<uint32_t> storedAfter;
  };
  const uint32_t nan = std::bit_cast<uint32_t>(std::numeric_limits<float>::quiet_NaN());
  const std::vector<Case> cases = {
      {"pitch -7", 62, uint32_t(-7), 4, 18, {"01 00 00 00 FE"}, {}},
      {"pitch 9", 62, 9, 4, 18, {"01 00 00 00 0E"}, {}},
      {"pitch at the top of int", 62, 0x7FFFFFFF, 4, 18, {"01 00 00 00 04"}, {}},
      {"mic A bypass 300", 5, 300, 1, 26, {"01 00 00 00 2C"}, {}},
      {"music source -1", 63, uint32_t(-1), 4, 20, {"01 00 00 00 FF"}, {}},
      {"HDMI input 258", 195, 258, 4, 30, {"01 00 00 00 02"}, {}},
      {"output 4 bypass", 108, 0x12345678, 8, 15, {"01 00 00 00 78"}, {}},
      {"speaker of output 1 is 264", 97, 264, 5, 16, {"01 00 00 00 08"}, {}},
      {"music AGC switch 511", 193, 511, 4, 13, {"01 00 00 00 FF"}, {}},
      {"auto SUB switch 256", 27, 256, 1, 12, {"01 00 00 00 00"}, {}},
      {"mic gate 2^31", 23, 0x80000000u, 1, 8, {"01 C8 51 B7 17"}, {}},
      {"music noise gate -1", 64, uint32_t(-1), 4, 19, {"01 B8 D1 B7 17"}, {}},
      {"mic volume 250", 19, 250, 1, 4, {"01 40 20 00 00"}, {}},
      {"echo level A 101", 30, 101, 2, 8, {"01 3F 81 47 AE"}, {}},
      {"output 2 direct mix -1", 66, uint32_t(-1), 6, 20, {"01 BC 23 D7 0A"}, {}},
      {"output 8 level at the bottom of int", 206, 0x80000000u, 12, 24, {"01 CB A3 D7 0A"}, {}},
      {"reverb master 300, two words", 51, 300, 3, 24, {"02 40 40 00 00 40 40 00 00"}, {}},
      {"effect master 1000 to both groups", 18, 1000, 1, 34, {"01 41 20 02 0C"}, {}},
      {"effect master 1000, group B", 18, 1000, 1, 53, {"01 41 20 02 0C"}, {}},
      {"output 3 mute 5", 179, 5, 7, 26, {"01 00 00 00 00"}, {}},
      {"output 3 phase -3", 187, uint32_t(-3), 7, 25, {"01 BF 80 00 00"}, {}},
      {"mic mute 2^31", 17, 0x80000000u, 1, 15, {"01 00 00 00 00"}, {}},
      {"AGC level keeps its bits", 194, 0xDEADBEEF, 4, 14, {"01 DE AD BE EF"}, {}},
      {"output 1 delay -1 ms", 153, std::bit_cast<uint32_t>(-1.0f), 5, 18, {"01 00 00 00 48"},
       std::bit_cast<uint32_t>(1.5f)},
      {"output 5 delay NaN", 157, nan, 9, 18, {"01 00 00 00 48"}, std::bit_cast<uint32_t>(1.5f)},
      {"output 6 delay 1e12 ms saturates", 158, std::bit_cast<uint32_t>(1e12f), 10, 18,
       {"01 7F FF FF FF"}, {}},
      {"echo pre-delay A NaN", 31, nan, 2, 9, {"01 00 00 00 60"}, std::bit_cast<uint32_t>(2.0f)},
      {"echo time B -1 ms", 38, std::bit_cast<uint32_t>(-1.0f), 2, 23, {"01 00 00 07 80"},
       std::bit_cast<uint32_t>(40.0f)},
      {"reverb pre-delay B -5 ms", 49, std::bit_cast<uint32_t>(-5.0f), 3, 21, {"01 00 00 00 60"},
       {}},
      {"reverb time A 250.7 to the first index", 46, std::bit_cast<uint32_t>(250.7f), 3, 10,
       {"01 40 20 00 00"}, std::bit_cast<uint32_t>(250.0f)},
      {"reverb time A 250.7 to the second index", 46, std::bit_cast<uint32_t>(250.7f), 3, 11,
       {"01 40 20 00 00"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualClock clock;
    sim::SimBackend backend{clock};
    ParameterMemory mem;
    InitParameterMemory(mem);
    UsbLink link{backend, clock, mem.dev};
    SendQueue queue{link, clock};
    sim::SimBox box;
    test::BoxSink sink{box};
    Commands cmd{mem, link, clock, &sink};
    EqSenders eq{cmd};
    Synchroniser sync{mem, link, cmd, eq, queue};
    mem.pc.setRaw(size_t(c.word), c.raw);

    sync.SendAllParams(false);

    std::vector<std::string> got, want;
    for (const auto& r : sink.sent)
      if (r[1] == 0x09 && r[3] == c.block && r[4] == c.index) got.push_back(test::frameHex(r));
    char head[32];
    std::snprintf(head, sizeof head, "02 09 00 %02X %02X ", c.block, c.index);
    for (const auto& p : c.payloads) want.push_back(test::frameHex(test::parseFrame(head + p)));
    EXPECT_EQ(got, want);
    if (c.storedAfter) {
      EXPECT_EQ(mem.pc.raw(size_t(c.word)), *c.storedAfter);
    }
  }
}

}  // namespace
}  // namespace ax7
