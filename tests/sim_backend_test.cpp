// The simulated box behind the HID backend in virtual time: delivery through the clock, the
// faults, hotplug, and a full read by the real link against a fresh box.
#include "sim/sim_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "core/core.h"
#include "params/byte_order.h"
#include "sim/sim_param_map.h"
#include "support/recorders.h"

namespace ax7::sim {
namespace {

Report out(std::initializer_list<int> bytes) {
  Report r{};
  r[0] = 0x02;
  size_t i = 1;
  for (int b : bytes) r[i++] = uint8_t(b);
  return r;
}

int write(HidDevice& dev, const Report& r) {
  return dev.write(r.data(), r.size());
}

struct ReadOutcome {
  int n = 0;
  Report report{};
  int64_t atMs = -1;
  bool timedOut = false;
};

// Reads one report on a thread of the clock; when nothing came within waitMs of virtual
// time, interrupts the read (which ends that device's reads for good).
ReadOutcome readWithin(VirtualClock& clock, HidDevice& dev, int64_t waitMs) {
  ReadOutcome result;
  bool done = false;
  std::thread reader = clock.startThread([&] {
    Report buf{};
    const int n = dev.read(buf.data(), buf.size(), 100);
    const int64_t at = clock.nowMs();
    clock.notify([&] {
      result.n = n;
      result.report = buf;
      result.atMs = at;
      done = true;
    });
  });
  if (!clock.waitFor(waitMs, [&] { return done; })) {
    dev.interrupt();
    clock.notify([&] { result.timedOut = true; });
  }
  reader.join();
  return result;
}

// Hotplug notifications as they arrive, guarded by the clock's lock.
struct HotplugLog {
  HotplugLog(VirtualClock& c, SimBackend& b) : clock(c), backend(b) {
    backend.setHotplugHandler([this](HotplugEvent e, const std::string& path) {
      clock.notify([&] { events.emplace_back(e, path); });
    });
  }
  ~HotplugLog() { backend.setHotplugHandler(nullptr); }
  // Waits (in virtual time) until n notifications have come.
  std::vector<std::pair<HotplugEvent, std::string>> waitFor(size_t n) {
    std::vector<std::pair<HotplugEvent, std::string>> copy;
    clock.waitFor(1000, [&] {
      copy = events;
      return events.size() >= n;
    });
    return copy;
  }
  VirtualClock& clock;
  SimBackend& backend;
  std::vector<std::pair<HotplugEvent, std::string>> events;
};

TEST(SimBackend, AnswersBecomeReadableAfterTheLatency) {
  VirtualClock clock;
  SimFaults faults;
  faults.latencyMs = 250;
  SimBackend backend(clock, faults);
  const auto interfaces = backend.enumerate();
  ASSERT_EQ(interfaces.size(), 1u);
  EXPECT_EQ(interfaces[0].path, "sim:ax7-0");
  EXPECT_EQ(interfaces[0].vendorId, 0x2010);
  EXPECT_EQ(interfaces[0].productId, 0x1031);
  OpenError error = OpenError::None;
  EXPECT_EQ(backend.open("sim:other", &error), nullptr);
  EXPECT_EQ(error, OpenError::NotFound);

  auto dev = backend.open(SimBackend::kPath, &error);
  ASSERT_NE(dev, nullptr);
  clock.advance(1000);
  ASSERT_EQ(write(*dev, out({0x80})), 61);
  ASSERT_EQ(write(*dev, out({0x7F})), 61);
  Report r{};
  ASSERT_EQ(dev->read(r.data(), r.size(), 0), 61);
  EXPECT_EQ(clock.nowMs(), 1250);
  EXPECT_EQ(r[1], 0x80);
  EXPECT_EQ(r[2], 'A');
  ASSERT_EQ(dev->read(r.data(), r.size(), 0), 61);
  EXPECT_EQ(r[1], 0x7F);
  EXPECT_EQ(clock.nowMs(), 1250);
  EXPECT_EQ(backend.reportsReceived(), 2);
}

TEST(SimBackend, LearnAnswerComesAfterItsDelayUnlessStopped) {
  VirtualClock clock;
  SimBackend backend(clock);
  auto dev = backend.open(SimBackend::kPath, nullptr);
  write(*dev, out({0x60, 3}));
  ReadOutcome got = readWithin(clock, *dev, 5000);
  EXPECT_EQ(got.atMs, kDefaultLearnDelayMs);
  EXPECT_EQ(got.report[1], 0x60);
  EXPECT_EQ(got.report[3], 3);

  write(*dev, out({0x60, 4}));
  write(*dev, out({0x61}));
  got = readWithin(clock, *dev, 5000);
  EXPECT_EQ(got.report[1], 0x61);
  got = readWithin(clock, *dev, 5000);
  EXPECT_TRUE(got.timedOut);
  EXPECT_EQ(got.n, -1);
  backend.withBox([](SimBox& box) {
    EXPECT_EQ(box.remoteKeys()[3], SimBox::learnedCode(3));
    EXPECT_EQ(box.remoteKeys()[4], 0);
  });
}

TEST(SimBackend, SilentBoxActsButNeverAnswers) {
  VirtualClock clock;
  SimFaults faults;
  faults.silent = true;
  SimBackend backend(clock, faults);
  auto dev = backend.open(SimBackend::kPath, nullptr);
  Report w = out({0x09, 0x00, 4, 11, 1});
  putBe32(&w[6], 0x3F000000);
  EXPECT_EQ(write(*dev, w), 61);
  EXPECT_TRUE(readWithin(clock, *dev, 5000).timedOut);
  EXPECT_EQ(backend.reportsReceived(), 1);
  backend.withBox(
      [](SimBox& box) { EXPECT_EQ(box.dspParam(4, 11), std::vector<uint32_t>{0x3F000000}); });
}

TEST(SimBackend, UnplugAfterNReportsEndsTheDeviceAndNotifies) {
  VirtualClock clock;
  SimFaults faults;
  faults.unplugAfter = 2;
  SimBackend backend(clock, faults);
  HotplugLog log(clock, backend);
  auto dev = backend.open(SimBackend::kPath, nullptr);
  Report r{};
  EXPECT_EQ(write(*dev, out({0x04, 1})), 61);
  EXPECT_EQ(dev->read(r.data(), r.size(), 0), 61);
  EXPECT_EQ(write(*dev, out({0x07})), 61);  // taken, never answered
  EXPECT_EQ(dev->read(r.data(), r.size(), 0), -1);
  EXPECT_EQ(write(*dev, out({0x07})), -1);
  auto events = log.waitFor(1);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].first, HotplugEvent::Removed);
  EXPECT_EQ(events[0].second, "sim:ax7-0");
  EXPECT_TRUE(backend.enumerate().empty());
  EXPECT_EQ(backend.open(SimBackend::kPath, nullptr), nullptr);

  // Plugged in again, the box has kept its state and counts afresh; the old device stays dead.
  backend.plug();
  events = log.waitFor(2);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].first, HotplugEvent::Arrived);
  auto again = backend.open(SimBackend::kPath, nullptr);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(write(*again, out({0x07})), 61);
  ASSERT_EQ(again->read(r.data(), r.size(), 0), 61);
  EXPECT_EQ(r[2], 1);
  EXPECT_EQ(write(*dev, out({0x07})), -1);
  EXPECT_EQ(backend.reportsReceived(), 3);

  // With 0 the box is gone at the first write.
  SimFaults none;
  none.unplugAfter = 0;
  SimBackend gone(clock, none);
  HotplugLog goneLog(clock, gone);
  auto dead = gone.open(SimBackend::kPath, nullptr);
  EXPECT_EQ(write(*dead, out({0x07})), -1);
  EXPECT_EQ(goneLog.waitFor(1).size(), 1u);
}

TEST(SimBackend, UnplugWakesAPendingRead) {
  VirtualClock clock;
  SimBackend backend(clock);
  auto dev = backend.open(SimBackend::kPath, nullptr);
  int n = 0;
  std::thread reader = clock.startThread([&] {
    Report r{};
    const int got = dev->read(r.data(), r.size(), 100);
    clock.notify([&] { n = got; });
  });
  backend.unplug();
  reader.join();
  EXPECT_EQ(n, -1);
}

std::vector<Report> answersTo(VirtualClock& clock, const SimFaults& faults, int count) {
  SimBackend backend(clock, faults);
  auto dev = backend.open(SimBackend::kPath, nullptr);
  std::vector<Report> answers;
  for (int i = 0; i < count; ++i) {
    write(*dev, out({0x7F}));
    Report r{};
    EXPECT_EQ(dev->read(r.data(), r.size(), 0), 61);
    answers.push_back(r);
  }
  return answers;
}

TEST(SimBackend, GarbageIsDeterministic) {
  VirtualClock clock;
  SimFaults faults;
  faults.garbagePercent = 30;
  const auto first = answersTo(clock, faults, 100);
  EXPECT_EQ(answersTo(clock, faults, 100), first);
  const Report clean = answersTo(clock, {}, 1)[0];
  const auto garbage =
      std::count_if(first.begin(), first.end(), [&](const Report& r) { return r != clean; });
  EXPECT_GT(garbage, 15);
  EXPECT_LT(garbage, 45);
}

TEST(SimBackend, FaultsRewriteIdentityAndParameterStatus) {
  struct Case {
    const char* fault;
    Report request;
    std::vector<int> expected;  // answer bytes from byte 1
  } cases[] = {
      {"model=BX9", out({0x80}), {0x80, 'B', 'X', '9', 0}},
      {"version=16", out({0x7F}), {0x7F, 16}},
      {"param-error=0x03", out({0x0A, 0x00, 1, 14, 1}), {0x0A, 3, 1, 14, 1}},
  };
  for (const Case& c : cases) {
    VirtualClock clock;
    SimFaults faults;
    std::string error;
    ASSERT_TRUE(ParseSimFault(c.fault, faults, &error)) << error;
    SimBackend backend(clock, faults);
    auto dev = backend.open(SimBackend::kPath, nullptr);
    write(*dev, c.request);
    Report r{};
    ASSERT_EQ(dev->read(r.data(), r.size(), 0), 61);
    EXPECT_EQ(std::vector<int>(r.begin() + 1, r.begin() + 1 + c.expected.size()), c.expected)
        << c.fault;
  }
}

TEST(SimFaults, ParseSimFault) {
  struct Good {
    const char* spec;
    bool (*check)(const SimFaults&);
  } good[] = {
      {"silent", [](const SimFaults& f) { return f.silent; }},
      {"model=VK4420", [](const SimFaults& f) { return f.model == "VK4420"; }},
      {"model=", [](const SimFaults& f) { return f.model == ""; }},
      {"version=0x11", [](const SimFaults& f) { return f.version == 17; }},
      {"version=0", [](const SimFaults& f) { return f.version == 0; }},
      {"param-error=255", [](const SimFaults& f) { return f.paramErrorStatus == 255; }},
      {"param-error=0x1f", [](const SimFaults& f) { return f.paramErrorStatus == 31; }},
      {"unplug-after=0", [](const SimFaults& f) { return f.unplugAfter == 0; }},
      {"garbage=100", [](const SimFaults& f) { return f.garbagePercent == 100; }},
      {"latency=40", [](const SimFaults& f) { return f.latencyMs == 40; }},
      {"zwave-silent-module", [](const SimFaults& f) { return f.zwaveSilentModule; }},
      {"zwave-silent-node=232",
       [](const SimFaults& f) { return f.zwaveSilentNodes == std::vector<int>{232}; }},
      {"zwave-add=2", [](const SimFaults& f) { return f.zwaveAdded == std::vector<int>{2}; }},
      {"zwave-remove=0x10",
       [](const SimFaults& f) { return f.zwaveRemoved == std::vector<int>{16}; }},
      {"no-learn", [](const SimFaults& f) { return f.noLearn; }},
      {"learn-delay=0", [](const SimFaults& f) { return f.learnDelayMs == 0; }},
      {"learn-delay=3600000", [](const SimFaults& f) { return f.learnDelayMs == 3600000; }},
  };
  for (const Good& g : good) {
    SimFaults f;
    std::string error;
    EXPECT_TRUE(ParseSimFault(g.spec, f, &error)) << g.spec << ": " << error;
    EXPECT_TRUE(g.check(f)) << g.spec;
  }

  const char* bad[] = {"",
                       "loud",
                       "Silent",
                       "silent=1",
                       "model",
                       "version=256",
                       "version=-1",
                       "version=",
                       "version=1x",
                       "param-error=0x",
                       "param-error=0x100",
                       "unplug-after=-1",
                       "garbage=101",
                       "garbage=5%",
                       "latency=abc",
                       "garbage= 5",
                       "no-learn=1",
                       "learn-delay=-1",
                       "learn-delay=3600001",
                       "zwave-silent-module=1",
                       "zwave-add",
                       "zwave-add=1",
                       "zwave-remove=233",
                       "zwave-silent-node=0"};
  for (const char* spec : bad) {
    SimFaults f;
    f.garbagePercent = 7;
    std::string error;
    EXPECT_FALSE(ParseSimFault(spec, f, &error)) << spec;
    EXPECT_FALSE(error.empty()) << spec;
    EXPECT_EQ(f.garbagePercent, 7) << spec;
    EXPECT_FALSE(f.silent || f.model || f.version || f.zwaveSilentModule) << spec;
    EXPECT_TRUE(f.zwaveAdded.empty() && f.zwaveRemoved.empty() && f.zwaveSilentNodes.empty())
        << spec;
  }
  SimFaults f;
  EXPECT_FALSE(ParseSimFault("garbage=x", f, nullptr));  // no error text wanted
}

// The program's full read of a fresh box: every request is answered, so the only waits are
// the fixed ones (3200 ms before, 200 ms after), and memory ends up with the box's values.
TEST(SimBackendWithCore, FullReadOfAFreshBoxNeverWaitsOnTheReplyGate) {
  VirtualClock clock;
  SimBackend backend(clock);
  Core core(backend, clock);
  test::RecordingNotifier view;
  core.setNotifier(&view);
  ASSERT_TRUE(core.link.OpenUsbDevice(&view));
  const int64_t t0 = clock.nowMs();
  core.sync.startSynchronizeFromBox();
  core.sync.waitIdle();
  EXPECT_EQ(clock.nowMs() - t0, kSyncFromBoxWaitMs + 200);
  core.link.CloseUsbDevice(false);

  ParameterMemory factory;
  LoadFactoryPcBlock(factory);
  EXPECT_EQ(core.mem.pc.getInt(0), factory.pc.getInt(0));
  EXPECT_EQ(core.mem.pc.getInt(97 + 5), 5);
  EXPECT_FLOAT_EQ(core.mem.pc.getFloat(32), 217.0f);
  EXPECT_EQ(core.mem.dev.g_szModeName[3].get(), u"Mode4");
  EXPECT_EQ(core.mem.dev.g_szDspVersion.get(), u"2024-05-20");
  EXPECT_EQ(core.mem.dev.g_settingsCurrent.get(5), 99);
  EXPECT_EQ(core.mem.boxImage.snapshot()[3], 0x1F);  // record 0 at 31 Hz
  EXPECT_TRUE(view.errors().empty());
}

}  // namespace
}  // namespace ax7::sim
