// The Z-Wave relay against the simulated box in virtual time: what each module frame does,
// the memory answers, hostile input, the plug reset's reports and its bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/core.h"
#include "device/debug_log.h"
#include "sim/sim_backend.h"
#include "support/frame_capture.h"
#include "support/recorders.h"

namespace ax7 {
namespace {

using test::frameHex;
using test::frames;
using zwave::kMaxNodeId;

constexpr const char* kAck = "02 12 01 06";

// Records every message with both parameters.
class View : public ViewNotifier {
 public:
  struct Message {
    int message;
    intptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message&) const = default;
  };
  void post(int m, intptr_t w, intptr_t l) override { add(posted_, {m, w, l}); }
  intptr_t send(int m, intptr_t w, intptr_t l) override {
    add(sent_, {m, w, l});
    return 0;
  }
  void showError(const std::string&, const std::string&) override {}
  std::vector<Message> posted() { return get(posted_); }
  std::vector<Message> sent() { return get(sent_); }
  void clear() {
    std::lock_guard lock(mutex_);
    posted_.clear();
    sent_.clear();
  }

 private:
  void add(std::vector<Message>& v, Message m) {
    std::lock_guard lock(mutex_);
    v.push_back(m);
  }
  std::vector<Message> get(const std::vector<Message>& v) {
    std::lock_guard lock(mutex_);
    return v;
  }
  std::mutex mutex_;
  std::vector<Message> posted_, sent_;
};

class Logs {
 public:
  Logs() {
    SetDebugLogSink([this](std::string_view text) {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(text);
    });
  }
  ~Logs() { SetDebugLogSink(nullptr); }
  bool has(const std::string& line) {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_)
      if (l == line) return true;
    return false;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

struct Fixture {
  explicit Fixture(sim::SimFaults faults = {})
      : backend(clock, std::move(faults)),
        core(std::make_unique<Core>(backend, clock)),
        trace(clock) {
    core->setNotifier(&view);
    core->link.setTrace(&trace);
  }
  ~Fixture() {
    if (core) core->link.CloseUsbDevice(false);
  }
  bool open() { return core->link.OpenUsbDevice(&view); }
  zwave::ZWaveRelay& relay() { return core->zwave; }
  std::vector<std::string> written() {
    std::vector<std::string> out;
    for (const auto& w : trace.written()) out.push_back(frameHex(w.report));
    return out;
  }
  // Lets the simulated box deliver what is on its way.
  void settle(int64_t ms = 100) { clock.sleepFor(ms); }

  VirtualClock clock;
  sim::SimBackend backend;
  std::unique_ptr<Core> core;
  View view;
  test::RecordingTrace trace;
};

// An input report 0x12 carrying a module frame: SOF, length, type, body, checksum.
Report moduleFrame(uint8_t type, std::vector<uint8_t> body) {
  Report r{};
  const size_t len = body.size() + 2;
  r[0] = 0x01;
  r[1] = 0x12;
  r[2] = uint8_t(len + 2);
  r[3] = 0x01;
  r[4] = uint8_t(len);
  r[5] = type;
  // A frame that fills the report leaves no room for its checksum (nothing reads it).
  std::copy_n(body.begin(), std::min(body.size(), r.size() - 6), r.begin() + 6);
  if (4 + len >= r.size()) return r;
  uint8_t c = 0xFF;
  for (size_t i = 4; i < 4 + len; ++i) c ^= r[i];
  r[4 + len] = c;
  return r;
}

Report nodeList(std::vector<uint8_t> bitmap, uint8_t length) {
  std::vector<uint8_t> body{0x02, 0x05, 0x08, length};
  body.insert(body.end(), bitmap.begin(), bitmap.end());
  return moduleFrame(0x01, body);
}

Report basicReport(uint8_t node, uint8_t value) {
  return moduleFrame(0x00, {0x04, 0x00, node, 3, 0x20, 0x03, value});
}

Report memoryAnswer(int address, int length, uint8_t fill) {
  Report r{};
  r[0] = 0x01;
  r[1] = 0x14;
  r[2] = uint8_t(address >> 8);
  r[3] = uint8_t(address);
  r[4] = uint8_t(length);
  for (size_t i = 5; i < r.size(); ++i) r[i] = fill;
  return r;
}

std::vector<int> presentNodes(const zwave::ZWaveRelay& relay) {
  std::vector<int> out;
  const auto table = relay.nodeTable();
  for (int n = 0; n < zwave::kNodeCount; ++n)
    if (table[size_t(n)].presence) out.push_back(table[size_t(n)].presence);
  return out;
}

TEST(ZWaveFrames, RequestsCarryLengthAndChecksum) {
  struct Case {
    std::vector<uint8_t> payload;
    std::string frame;
  };
  const std::vector<Case> cases = {
      {{0x02}, "02 12 05 01 03 00 02 FE"},
      {{0x13, 0x05, 0x02, 0x20, 0x02, 0x25, 0x0A}, "02 12 0B 01 09 00 13 05 02 20 02 25 0A EF"},
  };
  for (const auto& c : cases) {
    const auto r = zwave::RequestFrame(c.payload.data(), int(c.payload.size()));
    ASSERT_TRUE(r.has_value()) << c.frame;
    EXPECT_EQ(frameHex(*r), frameHex(test::parseFrame(c.frame)));
  }
  // 54 payload bytes end at the last byte of the report; one more cannot be framed.
  const std::vector<uint8_t> big(55, 0x01);
  const auto last = zwave::RequestFrame(big.data(), 54);
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ((*last)[2], 58);
  EXPECT_EQ((*last)[60], uint8_t(0xFF ^ 56 ^ 0x00 ^ 0x00));  // 54 ones cancel out
  EXPECT_FALSE(zwave::RequestFrame(big.data(), 55).has_value());
  EXPECT_FALSE(zwave::RequestFrame(big.data(), 0).has_value());
  EXPECT_FALSE(zwave::RequestFrame(nullptr, 3).has_value());
}

TEST(ZWaveFrames, EachFrameButAnAckIsAcknowledgedOnceBeforeItIsHandled) {
  struct Case {
    const char* what;
    Report report;
    bool acked;
  };
  const Case cases[] = {
      {"module ACK", test::parseFrame("01 12 01 06"), false},
      {"node list response", nodeList({0x03}, 1), true},
      {"send-data callback", moduleFrame(0x00, {0x13, 0x25, 0x00}), true},
      {"unknown function", moduleFrame(0x00, {0x77, 0x01}), true},
      {"NAK", test::parseFrame("01 12 01 15"), true},
  };
  for (const Case& c : cases) {
    Fixture f;
    ASSERT_TRUE(f.open());
    bool ackFirst = true;
    test::CapturingTrace order(f.clock);
    f.core->link.setTrace(&order);
    order.onWritten = [&](const Report&) {
      // When the ACK goes out the frame has not been looked at: no message yet.
      ackFirst = ackFirst && f.view.posted().empty();
    };
    f.relay().HandleZWaveFrame(c.report);
    const auto out = test::framesHex(order.reports());
    EXPECT_EQ(out, c.acked ? frames({kAck}) : std::vector<std::string>{}) << c.what;
    EXPECT_TRUE(ackFirst) << c.what;
  }
}

TEST(ZWaveFrames, TheAcknowledgementNeitherWaitsForNorTakesTheReplySignal) {
  sim::SimFaults faults;
  faults.silent = true;  // nothing ever opens the gate again
  Fixture f(faults);
  ASSERT_TRUE(f.open());
  const Report status = test::parseFrame("02 0E");
  f.core->link.WriteUsbData(status.data(), status.size());  // takes the open gate
  const int64_t t0 = f.clock.nowMs();
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x13, 0x25, 0x00}));
  EXPECT_EQ(f.clock.nowMs(), t0) << "the reader does not stall";
  EXPECT_EQ(f.written().back(), frameHex(test::parseFrame(kAck)));

  // The gate is still closed for the next writer: it waits its full reply time.
  f.core->link.WriteUsbData(status.data(), status.size());
  EXPECT_EQ(f.clock.nowMs() - t0, kReplyTimeoutMs);
}

TEST(ZWaveFrames, NodeListMarksTheListedNodesAndClearsTheRest) {
  Fixture f;
  f.relay().HandleZWaveFrame(basicReport(5, 99));
  EXPECT_EQ(f.relay().nodeTable()[5].value, 99);

  std::vector<uint8_t> bitmap(29, 0);
  bitmap[0] = 0x03;
  f.relay().HandleZWaveFrame(nodeList(bitmap, 29));
  EXPECT_EQ(presentNodes(f.relay()), (std::vector<int>{1, 2}));
  EXPECT_EQ(f.relay().nodeTable()[5].value, 0) << "last values go with the old list";
  EXPECT_TRUE(f.relay().initDone());
}

TEST(ZWaveFrames, ReportsAndCallbacksSetFlagsAndTellTheView) {
  using M = View::Message;
  struct Case {
    const char* what;
    Report report;
    std::vector<M> posted;
    bool sendDone, nodeAnswered;
  };
  const Case cases[] = {
      {"Basic Report from node 5", basicReport(5, 99), {{3024, 0x04, 0x50063}}, false, true},
      {"send data ok",
       moduleFrame(0x00, {0x13, 0x25, 0x00}),
       {{3024, 0x13, 0x250000}},
       true,
       false},
      {"send data, no ack",
       moduleFrame(0x00, {0x13, 0x25, 0x01}),
       {{3024, 0x13, 0x250001}},
       true,
       true},
      {"send data failed", moduleFrame(0x00, {0x13, 0x25, 0x02}), {}, false, false},
      {"set default done", moduleFrame(0x00, {0x42, 0x02}), {{3024, 0x42, 0}}, true, false},
      {"add: ready", moduleFrame(0x00, {0x4A, 0x00, 0x01, 0x00}), {{3024, 0x4A, 1}}, false, false},
      {"add: failed", moduleFrame(0x00, {0x4A, 0x00, 0x07, 0x00}), {{3024, 0x4A, 7}}, false, false},
      {"add: node found", moduleFrame(0x00, {0x4A, 0x00, 0x02, 0x09}), {}, false, false},
      {"remove: ready",
       moduleFrame(0x00, {0x4B, 0x00, 0x01, 0x00}),
       {{3024, 0x4B, 1}},
       false,
       false},
      {"remove node 0",
       moduleFrame(0x00, {0x4B, 0x00, 0x06, 0x00}),
       {{3024, 0x4B, 6}},
       false,
       false},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.relay().HandleZWaveFrame(c.report);
    EXPECT_EQ(f.view.posted(), c.posted) << c.what;
    EXPECT_EQ(f.relay().sendDone(), c.sendDone) << c.what;
    EXPECT_EQ(f.relay().nodeAnswered(), c.nodeAnswered) << c.what;
  }
}

TEST(ZWaveFrames, AddedAndRemovedNodes) {
  Fixture f;
  Logs logs;
  zwave::PlugRecord fresh{};
  fresh[0] = 1;
  fresh[4] = 'N';
  f.relay().setNewPlugRecord(fresh);
  f.relay().ZWaveReadMemFunc(memoryAnswer(28 * 9, 28, 0x5A));  // an old record of node 9

  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x4A, 0x00, 0x05, 0x09, 0x03, 0x04, 0x10, 0x01}));
  EXPECT_EQ(presentNodes(f.relay()), std::vector<int>{9});
  EXPECT_EQ(f.relay().plugRecord(9), fresh);
  EXPECT_EQ(zwave::PlugName(f.relay().plugRecord(9)), u"N");

  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x4B, 0x00, 0x06, 0x00}));
  EXPECT_TRUE(logs.has("REMOVE ID= 0\n"));
  EXPECT_EQ(presentNodes(f.relay()), std::vector<int>{9}) << "node 0 clears nothing";
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x4B, 0x00, 0x06, 0x09}));
  EXPECT_TRUE(presentNodes(f.relay()).empty());
  EXPECT_EQ(f.view.posted().back(), (View::Message{3024, 0x4B, 0x90006}));
}

TEST(ZWaveMemory, AnswersFillWholeRecordsAndNothingPastTheEnd) {
  Fixture f;
  Logs logs;
  f.relay().ZWaveReadMemFunc(memoryAnswer(30, 28, 0x11));  // inside record 1
  zwave::PlugRecord r1;
  r1.fill(0x11);
  EXPECT_EQ(f.relay().plugRecord(1), r1) << "from the record's first byte";
  EXPECT_EQ(f.relay().plugRecord(2)[0], 0);

  f.relay().ZWaveReadMemFunc(memoryAnswer(6580, 56, 0x22));  // scene 1
  zwave::SceneRecord s1;
  s1.fill(0x22);
  EXPECT_EQ(f.relay().sceneRecord(1), s1);
  EXPECT_EQ(f.relay().sceneRecord(0)[0], 0);
  EXPECT_EQ(f.relay().sceneRecord(2)[0], 0);

  f.relay().ZWaveReadMemFunc(memoryAnswer(6748, 56, 0x33));
  EXPECT_TRUE(logs.has("ZWaveReadMemFunc over range"));
  for (int k = 0; k < zwave::kSceneCount; ++k) EXPECT_NE(f.relay().sceneRecord(k)[0], 0x33);
}

TEST(ZWaveHostile, IndexesAndLengthsFromTheBoxStayInBounds) {
  Fixture f;
  // Node-list length 255 with every bit set: only ids up to 232, only bytes of the report.
  Report list = nodeList(std::vector<uint8_t>(51, 0xFF), 255);
  f.relay().HandleZWaveFrame(list);
  const auto present = presentNodes(f.relay());
  ASSERT_FALSE(present.empty());
  EXPECT_EQ(present.back(), kMaxNodeId);

  f.view.clear();
  f.relay().HandleZWaveFrame(basicReport(250, 7));                               // no node 250
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x04, 0x00, 0x05, 200, 0x20}));  // length 200
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x04, 0x00, 0x05, 51, 0x20}));   // to byte 60
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x04, 0x00, 0x05, 52, 0x20}));   // past it
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x4A, 0x00, 0x05, 250}));
  f.relay().HandleZWaveFrame(moduleFrame(0x00, {0x4B, 0x00, 0x06, 250}));
  EXPECT_EQ(f.view.posted().size(), 1u) << "only the command that ends at byte 60";
  EXPECT_EQ(f.relay().nodeTable()[232].presence, 232);

  // Memory answers with length 255 at the ends of both arrays.
  f.relay().ZWaveReadMemFunc(memoryAnswer(6523, 255, 0x44));
  f.relay().ZWaveReadMemFunc(memoryAnswer(6747, 255, 0x55));
  EXPECT_EQ(f.relay().plugRecord(232)[27], 0x44);
  EXPECT_EQ(f.relay().sceneRecord(3)[0], 0x55);
}

// ---- requests and the reset against the simulated module ----------------------------------

TEST(PlugReset, SendsItsReportsInOrderAndTellsTheViewAtTheEnd) {
  Fixture f;
  ASSERT_TRUE(f.open());
  const int64_t t0 = f.clock.nowMs();
  ASSERT_TRUE(f.relay().startPlugReset());
  f.relay().waitIdle();
  const int64_t took = f.clock.nowMs() - t0;

  auto clear = [](const char* address) {
    std::string s = std::string("02 13 ") + address + " 38";
    return frameHex(test::parseFrame(s));  // 56 zero bytes do not show in the text
  };
  EXPECT_EQ(f.written(), (std::vector<std::string>{
                             frameHex(test::parseFrame("02 12 06 01 04 00 42 02 BB")),
                             frameHex(test::parseFrame(kAck)),  // the set-default callback
                             clear("19 7C"),
                             clear("19 B4"),
                             clear("19 EC"),
                             clear("1A 24"),
                             frameHex(test::parseFrame("02 12 05 01 03 00 02 FE")),
                             frameHex(test::parseFrame(kAck)),  // the node list
                             frameHex(test::parseFrame("02 14 19 7C 38")),
                             frameHex(test::parseFrame("02 14 19 B4 38")),
                             frameHex(test::parseFrame("02 14 19 EC 38")),
                             frameHex(test::parseFrame("02 14 1A 24 38")),
                         }));
  EXPECT_EQ(presentNodes(f.relay()), std::vector<int>{1}) << "the module forgot its plugs";
  EXPECT_EQ(f.view.sent(), (std::vector<View::Message>{{3025, 8, 0}}));
  EXPECT_LT(took, 1000) << "an answering module keeps it short";
  EXPECT_FALSE(f.relay().resetRunning());
}

TEST(PlugReset, ASilentModuleIsWaitedForBoundedThenTheOldPlugsAreReadAndPolled) {
  sim::SimFaults faults;
  faults.zwaveSilentModule = true;
  Fixture f(faults);
  ASSERT_TRUE(f.open());
  f.relay().HandleZWaveFrame(nodeList({0x07}, 1));  // nodes 1..3 from an earlier read
  f.trace.clear();
  const int64_t t0 = f.clock.nowMs();
  ASSERT_TRUE(f.relay().startPlugReset());
  EXPECT_FALSE(f.relay().startPlugReset()) << "a second reset is ignored while one runs";
  f.relay().waitIdle();
  const int64_t took = f.clock.nowMs() - t0;

  std::vector<uint8_t> codes;
  for (const auto& w : f.trace.written()) codes.push_back(w.report[1]);
  EXPECT_EQ(codes, (std::vector<uint8_t>{0x12, 0x13, 0x13, 0x13, 0x13, 0x12,  // reset, list
                                         0x14, 0x14,                          // plugs 2, 3
                                         0x12, 0x12,                          // their polls
                                         0x14, 0x14, 0x14, 0x14}));           // scenes
  // Two module waits and two polls, each to its limit, plus the reply gate of the silence.
  EXPECT_GE(took, zwave::kSetDefaultWaitMs + zwave::kInitDataWaitMs + 2 * zwave::kNodePollWaitMs);
  EXPECT_LT(took, 40000);
  EXPECT_EQ(f.view.sent(), (std::vector<View::Message>{{3025, 8, 2}})) << "told it failed";
}

TEST(PlugReset, NeedsAnOpenBoxAndEndsEarlyWhenTheLinkCloses) {
  sim::SimFaults faults;
  faults.zwaveSilentModule = true;
  Fixture f(faults);
  EXPECT_FALSE(f.relay().startPlugReset()) << "no box";

  ASSERT_TRUE(f.open());
  // Time stands still until the reset and the closer have both started: the test's own thread
  // does not hold the clock while it runs. The closer is a thread of the clock, so no time
  // passes between its sleep and the close either.
  f.clock.notify([&] { f.clock.beginWorkLocked(); });
  const int64_t t0 = f.clock.nowMs();
  const bool started = f.relay().startPlugReset();
  std::thread closer = f.clock.startThread([&] {
    f.clock.sleepFor(1000);  // inside the set-default wait
    f.core->link.CloseUsbDevice(false);
  });
  f.clock.endWork();
  f.relay().waitIdle();
  closer.join();
  ASSERT_TRUE(started);
  EXPECT_LT(f.clock.nowMs() - t0, 2500);
  EXPECT_EQ(f.view.sent(), (std::vector<View::Message>{{3025, 8, 1}})) << "told it did not finish";
}

TEST(PlugReset, TheCoreGoingAwayDuringAResetDoesNotHang) {
  sim::SimFaults faults;
  faults.zwaveSilentModule = true;
  Fixture f(faults);
  ASSERT_TRUE(f.open());
  // As above: the clock holds still until both threads run, and the core goes away from a
  // thread of the clock.
  f.clock.notify([&] { f.clock.beginWorkLocked(); });
  const bool started = f.relay().startPlugReset();
  int64_t t0 = 0;
  int64_t took = 0;
  std::thread ender = f.clock.startThread([&] {
    f.clock.sleepFor(500);
    t0 = f.clock.nowMs();
    f.core.reset();
    took = f.clock.nowMs() - t0;
  });
  f.clock.endWork();
  ender.join();
  ASSERT_TRUE(started);
  EXPECT_LT(took, 2000);
  EXPECT_TRUE(f.view.sent().empty()) << "nobody is left to tell";
}

TEST(ReadAll, ASilentPlugIsPolledBoundedAndTheOthersAnswer) {
  sim::SimFaults faults;
  faults.zwaveSilentNodes = {3};
  Fixture f(faults);
  ASSERT_TRUE(f.open());
  ASSERT_TRUE(f.relay().ZWaveGetInitData());
  EXPECT_EQ(presentNodes(f.relay()), (std::vector<int>{1, 2, 3, 4}));
  const int64_t t0 = f.clock.nowMs();
  f.relay().ZWAVE_ReadAll();
  f.settle();
  const int64_t took = f.clock.nowMs() - t0;
  EXPECT_GE(took, zwave::kNodePollWaitMs);
  EXPECT_LT(took, zwave::kNodePollWaitMs + 2000);

  const auto table = f.relay().nodeTable();
  EXPECT_EQ(table[2].value, 0xFF);
  EXPECT_EQ(table[4].value, 0);
  EXPECT_EQ(zwave::PlugName(f.relay().plugRecord(2)), u"Plug 2");
  EXPECT_EQ(zwave::PlugType(f.relay().plugRecord(3)), 2);
}

TEST(ReadAll, WithOnlyTheControllerOnlyTheScenesAreRead) {
  Fixture f;
  ASSERT_TRUE(f.open());
  f.relay().HandleZWaveFrame(nodeList({0x01}, 1));
  f.trace.clear();
  f.relay().ZWAVE_ReadAll();
  EXPECT_EQ(f.written(),
            frames({"02 14 19 7C 38", "02 14 19 B4 38", "02 14 19 EC 38", "02 14 1A 24 38"}));
}

TEST(Unsolicited, APlugJoiningOnItsOwnIsAcknowledgedAndEntered) {
  sim::SimFaults faults;
  faults.zwaveAdded = {5};
  Fixture f(faults);
  ASSERT_TRUE(f.open());
  f.settle(sim::kZWaveUnsolicitedDelayMs + 100);
  EXPECT_EQ(f.written(), frames({kAck, kAck, kAck}));
  EXPECT_EQ(f.relay().nodeTable()[5].presence, 5);
  const auto posted = f.view.posted();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0], (View::Message{3024, 0x4A, 1}));
  EXPECT_EQ(posted[1], (View::Message{3024, 0x4A, 0x50005}));
  EXPECT_TRUE(f.backend.withBox([](sim::SimBox& b) { return b.zwave().nodePresent(5); }));
}

TEST(Threads, ReaderWorkerAndReadersShareTheTables) {
  Fixture f;
  ASSERT_TRUE(f.open());
  ASSERT_TRUE(f.relay().ZWaveGetInitData());
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done.load()) {
      (void)f.relay().nodeTable();
      (void)f.relay().plugRecord(2);
      (void)f.relay().sceneRecord(1);
    }
  });
  f.relay().ZWAVE_ReadAll();
  f.settle();
  ASSERT_TRUE(f.relay().startPlugReset());
  f.relay().waitIdle();
  done = true;
  reader.join();
  EXPECT_EQ(f.view.sent().size(), 1u);
}

}  // namespace
}  // namespace ax7
