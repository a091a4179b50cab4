// The window's outgoing queue against the simulated box, in virtual time: one edit leaves the
// same bytes as a direct send, a drag collapses to its last value, pauses keep their length,
// the caller never waits, and the queue ends cleanly. Also the parameter table's consistency.
#include <gtest/gtest.h>

#include <bit>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/core.h"
#include "params/param_table.h"
#include "sim/sim_backend.h"
#include "support/frame_capture.h"
#include "support/recorders.h"

namespace ax7 {
namespace {

// Frames and phases in the one order they happened, with the time each frame left.
class EventTrace : public ReportTrace {
 public:
  explicit EventTrace(Clock& clock) : clock_(clock) {}
  void written(const Report& r) override {
    const int64_t t = clock_.nowMs();
    std::lock_guard lock(mutex_);
    events_.push_back(test::frameHex(r));
    times_.push_back(t);
  }
  void read(const Report&) override {}
  void phase(std::string_view name) override {
    std::lock_guard lock(mutex_);
    events_.push_back("phase " + std::string(name));
    times_.push_back(-1);
  }
  std::vector<std::string> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::vector<int64_t> frameTimes() {
    std::lock_guard lock(mutex_);
    std::vector<int64_t> out;
    for (int64_t t : times_)
      if (t >= 0) out.push_back(t);
    return out;
  }

 private:
  Clock& clock_;
  std::mutex mutex_;
  std::vector<std::string> events_;
  std::vector<int64_t> times_;
};

struct Box {
  explicit Box(sim::SimFaults faults = {})
      : backend(clock, faults), core(backend, clock), trace(clock) {
    core.setNotifier(&view);
    core.link.setTrace(&trace);
    EXPECT_TRUE(core.link.OpenUsbDevice(&view));
  }
  ~Box() {
    // The sender writes into the trace, which goes first.
    core.queue.stop();
    core.link.CloseUsbDevice(false);
  }

  // Runs `body` on a thread of the clock: virtual time stands still until it waits, as it
  // does for the window's thread between two events.
  void onClockThread(const std::function<void()>& body) { clock.startThread(body).join(); }
  std::vector<std::string> drained() {
    EXPECT_TRUE(core.queue.waitIdle());
    return trace.events();
  }

  VirtualClock clock;
  sim::SimBackend backend;
  Core core;
  test::RecordingNotifier view;
  EventTrace trace;
};

// A value inside the parameter's range that is not its default.
double sampleValue(const ParamDesc& d) {
  switch (d.encoding) {
    case Encoding::RawWord:
      return double(std::bit_cast<uint32_t>(0.75f));
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
      return 123.0;
    case Encoding::RoomTrim:
      return -3.5;
    case Encoding::ShiftFreq:
    case Encoding::ShiftPeriod:
      return 3;
    case Encoding::Pitch:
      return -2;
    case Encoding::Switch:
      return 100;
    case Encoding::MusicMute:
      return 0;  // unmuting: the fade-in with its pauses
    default:
      return d.maximum > 1 ? 37 : 1;
  }
}

TEST(SendQueue, OneEditLeavesTheSameTraceAsADirectSend) {
  for (int p = 0; p < kParamCount; ++p) {
    const ParamDesc& d = Describe(Param(p));
    if (d.encoding == Encoding::Compressor) continue;  // SetCompressor, below
    const int instance = d.instances - 1;
    Box direct, queued;
    direct.core.cmd.SetParam(d.id, instance, sampleValue(d));
    queued.core.ui.SetParam(d.id, instance, sampleValue(d));
    const auto want = direct.drained();
    EXPECT_FALSE(want.empty()) << d.name;
    EXPECT_EQ(queued.drained(), want) << d.name;
    EXPECT_EQ(queued.core.mem.pc.raw(size_t(std::max(d.wordOf(instance), 0))),
              direct.core.mem.pc.raw(size_t(std::max(d.wordOf(instance), 0))))
        << d.name;
  }
  Box direct, queued;
  direct.core.cmd.SetCompressor(3, -12.0f, 4.0f, 10.0f, 200.0f);
  queued.core.ui.SetCompressor(3, -12.0f, 4.0f, 10.0f, 200.0f);
  EXPECT_EQ(queued.drained(), direct.drained());
  direct.core.cmd.SaveBoxMode(2);
  queued.core.ui.SaveBoxMode(2);
  EXPECT_EQ(queued.drained(), direct.drained());  // the phase before its two reports
}

TEST(SendQueue, PausesAreWaitsInTheQueueNotOfTheCaller) {
  Box box;
  int64_t returnedAt = -1;
  box.onClockThread([&] {
    box.core.ui.SetMusicMute(0);  // ten reports, nine 30 ms pauses
    box.core.ui.SaveBoxMode(1);   // 20 ms between its halves
    returnedAt = box.clock.nowMs();
  });
  EXPECT_EQ(returnedAt, 0);
  box.drained();
  const auto t = box.trace.frameTimes();
  ASSERT_EQ(t.size(), 12u);
  for (size_t i = 1; i < 10; ++i) EXPECT_GE(t[i] - t[i - 1], 30) << i;
  EXPECT_GE(t[11] - t[10], 20);
}

TEST(SendQueue, ADragEndsAtTheLastValueWithoutABacklog) {
  // The box answers slowly; while one report waits for its answer, the drag goes on.
  sim::SimFaults slow;
  slow.latencyMs = 200;
  Box box(slow);
  box.onClockThread([&] {
    box.core.ui.SetParam(Param::MicMaster, 1);
    box.core.ui.SetParam(Param::EchoMaster, 5);
    for (int v = 2; v <= 60; ++v) box.core.ui.SetParam(Param::MicMaster, v);
    box.core.ui.SetParam(Param::EchoMaster, 6);
  });
  const auto sent = box.drained();
  const auto counts = box.core.queue.counts();
  EXPECT_EQ(counts.queued, 62u);
  EXPECT_EQ(counts.written + counts.merged, counts.queued);
  // The first report and the one behind it may have left (or be waiting for the reply gate)
  // before the drag went on; everything after them collapses to one report per target, in
  // the place of the target's first waiting report.
  EXPECT_LE(sent.size(), 4u);

  Box want;
  want.core.cmd.SetParam(Param::MicMaster, 60);
  want.core.cmd.SetParam(Param::EchoMaster, 6);
  const auto last = want.drained();
  ASSERT_GE(sent.size(), 2u);
  const std::vector<std::string> tail(sent.end() - 2, sent.end());
  const std::vector<std::string> swapped{last[1], last[0]};
  EXPECT_TRUE(tail == last || tail == swapped);
  EXPECT_EQ(box.core.mem.pc.getInt(0), 60);
  const ParamDesc& mic = Describe(Param::MicMaster);
  box.backend.withBox([&](sim::SimBox& b) {
    EXPECT_EQ(b.dspParam(mic.block, mic.index),
              std::vector<uint32_t>{std::bit_cast<uint32_t>(EncodeMaster(60))});
  });
}

TEST(SendQueue, NothingMergesAcrossAPause) {
  Box box;
  box.onClockThread([&] {
    box.core.ui.SetParam(Param::MusicMaster, 10);
    box.core.ui.pause(50);
    box.core.ui.SetParam(Param::MusicMaster, 20);
    box.core.ui.SetParam(Param::MusicMaster, 30);
  });
  Box want;
  want.core.cmd.SetParam(Param::MusicMaster, 10);
  want.core.cmd.SetParam(Param::MusicMaster, 30);
  EXPECT_EQ(box.drained(), want.drained());
}

TEST(SendQueue, OnlyReportsForTheSameTargetMerge) {
  Box box;
  const uint8_t bytes[5] = {1, 2, 3, 4, 5};  // bytes + 1 is four bytes too
  box.onClockThread([&] {
    box.core.ui.pause(50);  // holds the sender: everything below waits together
    box.core.ui.RequestStatus();
    box.core.ui.RequestParam(Param::MicMaster);
    box.core.ui.WriteDspParam(1, 14, 0.25f, 1);
    box.core.ui.WriteDspParam(1, 14, 0.25f, 2);  // more words: another target
    box.core.ui.WriteBoxMemory(1278, bytes, 4);
    box.core.ui.WriteBoxMemory(1278, bytes, 3);      // shorter: another target
    box.core.ui.RequestStatus();                     // merged
    box.core.ui.RequestParam(Param::MicMaster);      // a request is never merged
    box.core.ui.WriteDspParam(1, 14, 0.5f, 1);       // merged, in the first one's place
    box.core.ui.WriteBoxMemory(1278, bytes + 1, 4);  // merged
  });
  Box want;
  want.core.cmd.RequestStatus();
  want.core.cmd.RequestParam(Param::MicMaster);
  want.core.cmd.WriteDspParam(1, 14, 0.5f, 1);
  want.core.cmd.WriteDspParam(1, 14, 0.25f, 2);
  want.core.cmd.WriteBoxMemory(1278, bytes + 1, 4);
  want.core.cmd.WriteBoxMemory(1278, bytes, 3);
  want.core.cmd.RequestParam(Param::MicMaster);
  EXPECT_EQ(box.drained(), want.drained());
  EXPECT_EQ(box.core.queue.counts().merged, 3u);
}

TEST(SendQueue, ASilentBoxNeverHoldsUpTheCaller) {
  sim::SimFaults silent;
  silent.silent = true;
  Box box(silent);
  int64_t returnedAt = -1;
  box.onClockThread([&] {
    for (int v = 0; v < 100; ++v) {
      box.core.ui.SetParam(Param::MicMaster, v % 50);
      box.core.ui.SetParam(Param::ChannelLevel, v % 8, v);
    }
    returnedAt = box.clock.nowMs();
  });
  EXPECT_EQ(returnedAt, 0);
  // Every report waits out the reply gate; stopping drops the rest without sending it. Two
  // reports left during the loop; after it at most one per target (nine) was still waiting.
  box.core.queue.stop();
  const auto counts = box.core.queue.counts();
  EXPECT_LE(counts.written, 11u);
  EXPECT_GE(counts.merged, counts.queued - 11);
  EXPECT_EQ(counts.waiting, 0u);
  box.core.ui.SetParam(Param::MicMaster, 1);
  EXPECT_EQ(box.core.queue.counts().queued, counts.queued);  // refused after stop
}

TEST(SendQueue, AClosedLinkDropsWhatWaitsAndMemoryKeepsIt) {
  Box box;
  box.core.link.CloseUsbDevice(false);
  for (int v = 0; v < 20; ++v) box.core.ui.SetParam(Param::MixMusic, v % 8, v);
  EXPECT_TRUE(box.core.queue.waitIdle());
  EXPECT_TRUE(box.trace.events().empty());
  EXPECT_EQ(box.core.mem.pc.getInt(size_t(Describe(Param::MixMusic).wordOf(3))), 19);
}

TEST(SendQueue, ASynchronisationStartsAfterTheEditsBeforeIt) {
  Box box;
  box.onClockThread([&] {
    box.core.ui.SetParam(Param::EchoLevelA, 42);
    box.core.sync.startSynchronizeToBox();
  });
  box.core.sync.waitIdle();
  const auto events = box.drained();
  Box want;
  want.core.cmd.SetParam(Param::EchoLevelA, 42);
  const auto edit = want.drained();
  ASSERT_GT(events.size(), 2u);
  EXPECT_EQ(events[0], edit[0]);
  EXPECT_EQ(events[1], "phase SynchronizeToBox");
}

TEST(SendQueue, EveryEditPassesTheHookBeforeMemoryChanges) {
  Box box;
  std::vector<std::pair<std::string, int>> seen;
  box.core.ui.setEditHook([&](const EditKey& key) {
    ASSERT_EQ(key.kind, EditKey::Kind::Param);
    const ParamDesc& d = Describe(Param(key.id));
    seen.emplace_back(d.name, box.core.mem.pc.getInt(size_t(std::max(d.wordOf(key.instance), 0))));
  });
  box.core.mem.pc.setInt(size_t(Describe(Param::MicVolume).wordOf(2)), 11);
  box.core.ui.SetMicVolume(2, 50);
  box.core.ui.SetCompressor(0, -6.0f, 2.0f, 5.0f, 100.0f);
  box.core.ui.SetRoomTrim(1, 2.0f);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], (std::pair<std::string, int>{"mic-volume", 11}));
  EXPECT_EQ(seen[1].first, "compressor");
  EXPECT_EQ(seen[2].first, "room-trim");
  // A synchronisation sends memory, it edits nothing.
  seen.clear();
  box.core.ui.SendParam(Param::MicVolume, 2);
  EXPECT_TRUE(seen.empty());
}

// ---- the parameter table ------------------------------------------------------------------

TEST(ParamTable, EveryUsedWordIsDescribedOnceAndEveryAddressLeadsBack) {
  std::set<int> words;
  std::set<std::pair<int, int>> addresses;
  std::set<std::string> names;
  for (int p = 0; p < kParamCount; ++p) {
    const ParamDesc& d = Describe(Param(p));
    EXPECT_EQ(int(d.id), p);
    EXPECT_TRUE(names.insert(d.name).second) << d.name;
    EXPECT_EQ(FindParam(d.name), &d);
    for (int i = 0; i < d.instances; ++i) {
      EXPECT_TRUE(addresses.insert({d.blockOf(i), d.indexOf(i)}).second) << d.name << " " << i;
      int back = -1;
      EXPECT_EQ(FindParam(d.blockOf(i), d.indexOf(i), &back), &d);
      EXPECT_EQ(back, i);
      // Second addresses of one word (effect master B, reverb time index 2, shift period)
      // are not read back, so each word has one owner that the box's answers fill.
      if (d.word >= 0 && d.readBack) {
        EXPECT_TRUE(words.insert(d.wordOf(i)).second) << d.name << " word " << d.wordOf(i);
        if (d.encoding == Encoding::Compressor)
          for (int k = 1; k < 4; ++k) words.insert(d.wordOf(i) + 8 * k);
      }
    }
  }
  for (int w = 0; w < kPcWords; ++w) {
    if (w == 6 || w == 14) continue;  // not used
    EXPECT_TRUE(words.count(w)) << "word " << w;
  }
  EXPECT_EQ(FindParam(1, 16, nullptr), nullptr);  // an EQ section, not a parameter word
  EXPECT_EQ(FindParam(13, 0, nullptr), nullptr);
  EXPECT_EQ(FindParam(-1, 0, nullptr), nullptr);
}

TEST(ParamTable, WhatAnEditSendsComesBackAsTheSameValue) {
  for (int p = 0; p < kParamCount; ++p) {
    const ParamDesc& d = Describe(Param(p));
    if (!d.readBack || d.encoding == Encoding::Compressor) continue;
    const int instance = d.instances > 1 ? 1 : 0;
    Box sender;
    const double value = d.encoding == Encoding::MusicMute ? 1 : sampleValue(d);
    sender.core.cmd.SetParam(d.id, instance, value);
    sender.core.queue.waitIdle();
    // The report that carries the parameter, turned into the box's answer to a request.
    Report answer{};
    bool found = false;
    for (const auto& hex : sender.trace.events()) {
      const Report r = test::parseFrame(hex);
      if (r[1] == 0x09 && r[3] == d.blockOf(instance) && r[4] == d.indexOf(instance)) {
        answer = r;
        found = true;
      }
    }
    ASSERT_TRUE(found) << d.name;
    answer[1] = 0x0A;
    VirtualClock clock;
    sim::SimBackend backend(clock);
    Core reader(backend, clock);
    reader.dispatcher.DispatchReport(answer);
    const size_t w = size_t(d.wordOf(instance));
    EXPECT_EQ(reader.mem.pc.raw(w), sender.core.mem.pc.raw(w)) << d.name;
  }
}

}  // namespace
}  // namespace ax7
