// The HID transport: finding the box, the reply gate, the reader thread and closing in every
// order, all in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "device/clock.h"
#include "support/clock_threads.h"
#include "device/debug_log.h"
#include "device/usb_link.h"
#include "support/echo_backend.h"

namespace ax7 {
namespace {

using test::startTogether;

Report frame(std::initializer_list<uint8_t> bytes) {
  Report r{};
  std::copy(bytes.begin(), bytes.end(), r.begin());
  return r;
}

HidInterfaceInfo box(std::string path, bool active = true, std::string serial = "") {
  return {std::move(path), kBoxVendorId, kBoxProductId, active, std::move(serial)};
}

HidInterfaceInfo otherDevice(std::string path, uint16_t vendor, uint16_t product) {
  return {std::move(path), vendor, product, true};
}


// The echo box, remembering which paths were opened and refusing some as a missing udev rule
// would.
class Backend : public test::EchoBackend {
 public:
  using EchoBackend::EchoBackend;
  std::vector<std::string> opened;
  std::set<std::string> denied;

  std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) override {
    opened.push_back(path);
    if (denied.count(path)) {
      *error = OpenError::PermissionDenied;
      return nullptr;
    }
    return EchoBackend::open(path, error);
  }
};

// A box whose reads are scripted: each read takes the next result (a byte count with its bytes,
// 0 for a poll that timed out); with nothing scripted a read waits. Writes are accepted silently.
class ScriptedBackend : public HidBackend {
 public:
  struct Read {
    int result;
    std::vector<uint8_t> bytes;
  };
  explicit ScriptedBackend(Clock& clock) : clock_(clock) {}
  void push(Read read) {
    clock_.notify([&] { script_.push_back(std::move(read)); });
  }

  std::vector<HidInterfaceInfo> enumerate() override { return {box("scripted")}; }
  std::unique_ptr<HidDevice> open(const std::string&, OpenError* error) override {
    *error = OpenError::None;
    return std::make_unique<Device>(*this);
  }
  void setHotplugHandler(HotplugHandler) override {}

 private:
  class Device : public HidDevice {
   public:
    explicit Device(ScriptedBackend& b) : b_(b) {}
    int write(const uint8_t*, size_t length) override { return int(length); }
    int read(uint8_t* buf, size_t length, int) override {
      Read next{-1, {}};
      b_.clock_.waitFor(Clock::kForever, [&] {
        if (interrupted_) return true;
        if (b_.script_.empty()) return false;
        next = std::move(b_.script_.front());
        b_.script_.pop_front();
        return true;
      });
      std::copy_n(next.bytes.begin(), std::min(next.bytes.size(), length), buf);
      return next.result;
    }
    void interrupt() override {
      b_.clock_.notify([this] { interrupted_ = true; });
    }

   private:
    ScriptedBackend& b_;
    bool interrupted_ = false;  // guarded by the clock's lock
  };

  Clock& clock_;
  std::deque<Read> script_;  // guarded by the clock's lock
};

// Trace and dispatch in one record, so their order can be checked.
struct Recorder : ReportTrace {
  struct Entry {
    std::string kind;  // "written", "read" or "dispatched"
    Report report;
    int64_t at;
  };
  explicit Recorder(Clock& clock) : clock(clock) {}
  void written(const Report& r) override { add("written", r); }
  void read(const Report& r) override { add("read", r); }
  void phase(std::string_view) override {}
  void add(std::string kind, const Report& r) {
    const int64_t at = clock.nowMs();
    std::lock_guard lock(mutex);
    entries.push_back({std::move(kind), r, at});
  }
  std::vector<Entry> all() {
    std::lock_guard lock(mutex);
    return entries;
  }
  std::vector<Entry> only(const std::string& kind) {
    std::vector<Entry> out;
    for (auto& e : all())
      if (e.kind == kind) out.push_back(e);
    return out;
  }

  Clock& clock;
  std::mutex mutex;
  std::vector<Entry> entries;
};

// The main view. With `blockOn` set, a report with that code makes the reader send message
// 1001 and stay in the call until the test releases it, as a busy UI thread would.
class View : public ViewNotifier {
 public:
  explicit View(Clock& clock) : clock_(clock) {}
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override {
    clock_.notify([&] { inSend_ = true; });
    clock_.waitFor(Clock::kForever, [&] { return released_; });
    return 0;
  }
  void showError(const std::string&, const std::string&) override {}

  void waitUntilInSend() {
    clock_.waitFor(Clock::kForever, [&] { return inSend_; });
  }
  void release() {
    clock_.notify([&] { released_ = true; });
  }

 private:
  Clock& clock_;
  bool inSend_ = false;    // guarded by the clock's lock
  bool released_ = false;  // guarded by the clock's lock
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
  int count(const std::string& text) {
    std::lock_guard lock(mutex_);
    return int(std::count(lines_.begin(), lines_.end(), text));
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

constexpr const char* kReadError = "Read Usb Error will return !\n";
constexpr const char* kRefused = "g_bReadThreadEnd == TRUE ,WriteUsbData return \n";
constexpr const char* kWriteError = "usb数据写入出错";
constexpr const char* kExitTimeout = "wait read thread exited time out !\n";

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() { link.setTrace(&trace); }

  int write(const Report& r, size_t length = kReportSize) {
    return link.WriteUsbData(r.data(), length);
  }

  Logs logs;
  VirtualClock clock;
  Backend backend{clock};
  DeviceState state;
  Recorder trace{clock};
  View view{clock};
  UsbLink link{backend, clock, state};  // last: closed and joined first
};

TEST(UsbLinkFind, ExaminesOnlyTheFirst32ActiveInterfacesWithTheBoxIds) {
  std::vector<HidInterfaceInfo> others31, others32;
  for (int i = 0; i < 32; ++i)
    (i < 31 ? others31 : others32)
        .push_back(otherDevice("kbd" + std::to_string(i), 0x046D, 0xC31C));
  others32.insert(others32.begin(), others31.begin(), others31.end());
  auto with = [](std::vector<HidInterfaceInfo> list, HidInterfaceInfo last) {
    list.push_back(std::move(last));
    return list;
  };

  struct Case {
    const char* name;
    std::vector<HidInterfaceInfo> interfaces;
    std::set<std::string> denied;
    std::string openedPath;  // empty: the open fails
    std::vector<std::string> triedToOpen;
    OpenError error;
    std::string selector = {};  // --device hid:SELECTOR
  } cases[] = {
      {"the box alone", {box("box")}, {}, "box", {"box"}, OpenError::None},
      {"inactive box is skipped",
       {box("old", false), box("box")},
       {},
       "box",
       {"box"},
       OpenError::None},
      {"only an inactive box", {box("old", false)}, {}, "", {}, OpenError::NotFound},
      {"another product of the vendor is skipped, the search goes on",
       {otherDevice("p", kBoxVendorId, 0x1032), box("box")},
       {},
       "box",
       {"box"},
       OpenError::None},
      {"another vendor with the box's product id",
       {otherDevice("v", 0x2011, kBoxProductId)},
       {},
       "",
       {},
       OpenError::NotFound},
      {"box as the 32nd interface",
       with(others31, box("box")),
       {},
       "box",
       {"box"},
       OpenError::None},
      {"box as the 33rd interface is not examined",
       with(others32, box("box")),
       {},
       "",
       {},
       OpenError::NotFound},
      {"box that may not be opened",
       {box("box")},
       {"box"},
       "",
       {"box"},
       OpenError::PermissionDenied},
      {"a refused box, then one that opens",
       {box("a"), box("b")},
       {"a"},
       "b",
       {"a", "b"},
       OpenError::None},
      // Several boxes on one computer: only the one asked for is tried.
      {"the box with the serial asked for",
       {box("a", true, "S1"), box("b", true, "S2")},
       {},
       "b",
       {"b"},
       OpenError::None,
       "S2"},
      {"the box on the path asked for",
       {box("a", true, "S1"), box("b", true, "S2")},
       {},
       "a",
       {"a"},
       OpenError::None,
       "a"},
      {"the box asked for is absent: no other one instead",
       {box("a", true, "S1"), box("b", true, "S2")},
       {},
       "",
       {},
       OpenError::NotFound,
       "S3"},
      {"the box asked for may not be opened",
       {box("a", true, "S1"), box("b", true, "S2")},
       {"b"},
       "",
       {"b"},
       OpenError::PermissionDenied,
       "S2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualClock clock;
    Backend backend(clock);
    backend.interfaces = c.interfaces;
    backend.denied = c.denied;
    DeviceState state;
    UsbLink link(backend, clock, state);
    link.setDeviceSelector(c.selector);

    const bool opens = !c.openedPath.empty();
    EXPECT_EQ(link.OpenUsbDevice(nullptr), opens);
    EXPECT_EQ(link.deviceOpen(), opens ? 1 : 0);
    EXPECT_EQ(backend.opened, c.triedToOpen);
    EXPECT_EQ(link.lastOpenError(), c.error);
    if (opens) {
      EXPECT_EQ(link.devicePath(), c.openedPath);
    }
  }
}

TEST_F(LinkTest, SecondOpenFailsAndChangesNothing) {
  backend.interfaces = {box("first"), box("second")};
  View otherView(clock);
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  EXPECT_FALSE(link.OpenUsbDevice(&otherView));

  EXPECT_EQ(backend.opened, std::vector<std::string>{"first"});
  EXPECT_EQ(link.devicePath(), "first");
  EXPECT_EQ(link.mainWindow(), &view);
  // The running link is untouched: the reader still answers the gate.
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(clock.nowMs(), 0);
}

TEST_F(LinkTest, WritesWithoutAnOpenBoxAreDropped) {
  EXPECT_EQ(write(frame({0x02, 0x0E})), 0);
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  link.CloseUsbDevice(false);
  EXPECT_EQ(write(frame({0x02, 0x0E})), 0);

  EXPECT_TRUE(backend.written().empty());
  EXPECT_TRUE(trace.all().empty());
  EXPECT_EQ(clock.nowMs(), 0);  // no wait on the gate
  EXPECT_EQ(link.writeCount(), 2u);
}

// Nothing waits for an answer, but the next report waits for one: at most 1800 ms, and then
// it goes out all the same.
TEST_F(LinkTest, ReplyGateDelaysTheNextReportUntilAnAnswerOr1800Ms) {
  const Report status = frame({0x02, 0x0E});
  const Report volume = frame({0x02, 0x09, 0x00, 0x01, 0x0E, 0x01, 0x3F, 0x00, 0x20, 0xC5});
  struct Case {
    bool silent;
    std::vector<int64_t> sentAt;
  } cases[] = {{false, {0, 0, 0}}, {true, {0, 1800, 3600}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.silent ? "silent box" : "answering box");
    VirtualClock clock;
    Backend backend(clock);
    backend.silent = c.silent;
    DeviceState state;
    Recorder trace(clock);
    UsbLink link(backend, clock, state);
    link.setTrace(&trace);
    ASSERT_TRUE(link.OpenUsbDevice(nullptr));

    EXPECT_EQ(link.WriteUsbData(status.data(), 2), 61);  // a short frame is zero-padded
    EXPECT_EQ(link.WriteUsbData(volume.data(), volume.size()), 61);
    EXPECT_EQ(link.WriteUsbData(status.data(), status.size()), 61);

    EXPECT_EQ(backend.written(), (std::vector<Report>{status, volume, status}));
    std::vector<int64_t> sentAt;
    for (const auto& e : trace.only("written")) sentAt.push_back(e.at);
    EXPECT_EQ(sentAt, c.sentAt);
  }
}

TEST_F(LinkTest, UnplugEndsTheReaderReleasesTheWaitingWriterAndRefusesLaterWrites) {
  backend.silent = true;
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  ASSERT_EQ(write(frame({0x02, 0x0E})), 61);  // takes the gate; no answer comes

  int waitingResult = -1;
  int64_t waitingDoneAt = -1;
  auto threads = startTogether(clock, {[&] {
                                         waitingResult = write(frame({0x02, 0x0E}));
                                         waitingDoneAt = clock.nowMs();
                                       },
                                       [&] {
                                         clock.sleepFor(100);
                                         backend.unplug();
                                       }});
  for (auto& t : threads) t.join();

  EXPECT_EQ(waitingDoneAt, 100);  // released by the failing reader, not by the time-out
  EXPECT_EQ(waitingResult, 0);    // the box is gone
  EXPECT_EQ(link.readThreadEnded(), 1);
  EXPECT_EQ(link.statusPollAllowed(), 0);
  EXPECT_EQ(link.deviceOpen(), 1);  // until the removal closes the link
  EXPECT_EQ(logs.count(kReadError), 1);
  EXPECT_EQ(logs.count(kWriteError), 1);

  EXPECT_EQ(write(frame({0x02, 0x0E})), 0);
  EXPECT_EQ(logs.count(kRefused), 1);
  EXPECT_EQ(backend.written().size(), 1u);
  EXPECT_EQ(trace.only("written").size(), 1u);

  link.CloseUsbDevice(false);  // the reader has ended already: no wait
  EXPECT_EQ(link.deviceOpen(), 0);
  EXPECT_EQ(clock.nowMs(), 100);
  EXPECT_EQ(logs.count(kExitTimeout), 0);
}

TEST_F(LinkTest, CloseSendsTheLeavingNoticeOnlyWhenAskedAndClearsTheLiveStatus) {
  for (bool notify : {true, false}) {
    SCOPED_TRACE(notify ? "notify" : "quiet");
    const size_t before = backend.written().size();
    ASSERT_TRUE(link.OpenUsbDevice(&view));
    for (size_t i = 0; i < state.g_liveStatus.size(); ++i)
      state.g_liveStatus.set(i, uint8_t(i + 1));

    link.CloseUsbDevice(notify);

    const std::vector<Report> written = backend.written();
    const std::vector<Report> expected =
        notify ? std::vector<Report>{frame({0x02, 0x8A})} : std::vector<Report>{};
    EXPECT_EQ(std::vector<Report>(written.begin() + before, written.end()), expected);
    EXPECT_EQ(link.deviceOpen(), 0);
    EXPECT_EQ(state.g_liveStatus.snapshot(), (std::array<uint8_t, kLiveStatusSize>{}));
    EXPECT_EQ(write(frame({0x02, 0x0E})), 0);
  }
  EXPECT_EQ(clock.nowMs(), 0);  // each reader ended at once
  EXPECT_EQ(logs.count(kExitTimeout), 0);
  EXPECT_EQ(backend.opened.size(), 2u);  // the second round reopened after the close
}

// A close does not leave writers waiting out the reply time on a box that went quiet: they
// are released at once and send nothing, so a program can end as soon as it decided to.
TEST_F(LinkTest, CloseReleasesWritersWaitingOnTheGate) {
  backend.silent = true;
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  ASSERT_EQ(write(frame({0x02, 0x0E})), 61);  // takes the gate; no answer comes

  int results[2] = {-1, -1};
  int64_t doneAt[2] = {-1, -1};
  auto waiter = [&](int i) {
    return [&, i] {
      results[i] = write(frame({0x02, 0x0E}));
      doneAt[i] = clock.nowMs();
    };
  };
  auto threads = startTogether(clock, {waiter(0), waiter(1), [&] {
                                         clock.sleepFor(100);
                                         link.CloseUsbDevice(false);
                                       }});
  for (auto& t : threads) t.join();

  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(results[i], 0) << i;
    EXPECT_EQ(doneAt[i], 100) << i;
  }
  EXPECT_EQ(backend.written().size(), 1u);
  // The next connection has its gate back.
  backend.silent = false;
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(clock.nowMs(), 100);
}

// A write that blocks in the backend (a hung USB transfer) keeps other writers out, but never
// the reader: answers are still traced and dispatched, and the trace still shows the request
// before any answer.
TEST(UsbLinkRead, AStalledWriteDoesNotStallReading) {
  VirtualClock clock;
  ScriptedBackend scripted(clock);
  bool writeReleased = false;  // guarded by the clock's lock
  bool writeBlocked = false;   // guarded by the clock's lock
  struct StallingDevice : HidDevice {
    std::unique_ptr<HidDevice> inner;
    Clock* clock;
    bool* released;
    bool* blocked;
    int write(const uint8_t* data, size_t length) override {
      clock->notify([&] { *blocked = true; });
      clock->waitFor(Clock::kForever, [&] { return *released; });
      return inner->write(data, length);
    }
    int read(uint8_t* buf, size_t length, int t) override { return inner->read(buf, length, t); }
    void interrupt() override { inner->interrupt(); }
  };
  struct StallingBackend : HidBackend {
    ScriptedBackend* scripted;
    StallingDevice* device = nullptr;
    Clock* clock;
    bool* released;
    bool* blocked;
    std::vector<HidInterfaceInfo> enumerate() override { return scripted->enumerate(); }
    std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) override {
      auto d = std::make_unique<StallingDevice>();
      d->inner = scripted->open(path, error);
      d->clock = clock;
      d->released = released;
      d->blocked = blocked;
      return d;
    }
    void setHotplugHandler(HotplugHandler) override {}
  } backend;
  backend.scripted = &scripted;
  backend.clock = &clock;
  backend.released = &writeReleased;
  backend.blocked = &writeBlocked;

  DeviceState state;
  Recorder trace(clock);
  UsbLink link(backend, clock, state);
  link.setTrace(&trace);
  int dispatched = 0;  // guarded by the clock's lock
  link.setReportHandler([&](const Report& r) {
    trace.add("dispatched", r);
    clock.notify([&] { ++dispatched; });
  });
  ASSERT_TRUE(link.OpenUsbDevice(nullptr));

  int result = -1;
  auto threads = startTogether(clock, {[&] {
    const Report request = frame({0x02, 0x23});
    result = link.WriteUsbData(request.data(), request.size());
  }});
  clock.waitFor(Clock::kForever, [&] { return writeBlocked; });
  std::vector<uint8_t> answer(61, 0);
  answer[1] = 0x23;
  scripted.push({61, answer});
  scripted.push({61, answer});
  EXPECT_TRUE(clock.waitFor(Clock::kForever, [&] { return dispatched == 2; }));
  clock.notify([&] { writeReleased = true; });
  for (auto& t : threads) t.join();

  EXPECT_EQ(result, 61);
  std::vector<std::string> kinds;
  for (const auto& e : trace.all()) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<std::string>{"written", "read", "dispatched", "read",
                                             "dispatched"}));
  link.CloseUsbDevice(false);
}

// Reports keep their code in byte 1 whether or not the backend delivers the report number;
// the trace sees each one before it is dispatched, and only a real report opens the gate.
TEST(UsbLinkRead, ReportsAreTracedDispatchedAndOpenTheGate) {
  std::vector<uint8_t> numbered(61, 0), unnumbered(60, 0);
  numbered[0] = 0x02;
  numbered[1] = 0x23;
  numbered[2] = 0x05;
  unnumbered[0] = 0x23;
  unnumbered[1] = 0x05;
  struct Case {
    const char* name;
    ScriptedBackend::Read read;
    bool dispatched;
    int64_t nextWriteAt;
  } cases[] = {
      {"numbered report", {61, numbered}, true, 0},
      {"report without its number", {60, unnumbered}, true, 0},
      {"poll that timed out", {0, {}}, false, 1800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualClock clock;
    ScriptedBackend backend(clock);
    DeviceState state;
    Recorder trace(clock);
    UsbLink link(backend, clock, state);
    link.setTrace(&trace);
    link.setReportHandler([&](const Report& r) { trace.add("dispatched", r); });
    ASSERT_TRUE(link.OpenUsbDevice(nullptr));
    const Report request = frame({0x02, 0x23});
    ASSERT_EQ(link.WriteUsbData(request.data(), request.size()), 61);  // takes the gate

    backend.push(c.read);
    ASSERT_EQ(link.WriteUsbData(request.data(), request.size()), 61);
    EXPECT_EQ(clock.nowMs(), c.nextWriteAt);

    std::vector<std::string> kinds;
    for (const auto& e : trace.all()) {
      kinds.push_back(e.kind);
      if (e.kind != "written") {
        EXPECT_EQ(e.report[1], 0x23);
        EXPECT_EQ(e.report[2], 0x05);
      }
    }
    const std::vector<std::string> expected =
        c.dispatched ? std::vector<std::string>{"written", "read", "dispatched", "written"}
                     : std::vector<std::string>{"written", "written"};
    EXPECT_EQ(kinds, expected);
  }
}

// After the box failed (unplugged) and the link was closed, the next open starts clean: its
// first report goes out even if the new reader has not run yet.
TEST(UsbLinkRead, ReopenAfterAFailedReadStartsClean) {
  VirtualClock clock;
  ScriptedBackend backend(clock);
  DeviceState state;
  UsbLink link(backend, clock, state);
  const Report request = frame({0x02, 0x0E});
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(link.OpenUsbDevice(nullptr));
    ASSERT_EQ(link.WriteUsbData(request.data(), request.size()), 61) << "round " << round;
    backend.push({-1, {}});
    // The failing reader opens the gate through the clock right after raising the flag.
    clock.waitFor(Clock::kForever, [&] { return link.readThreadEnded(); });
    link.CloseUsbDevice(false);
  }
}

// The reader is stuck in a synchronous call into the view when the link is closed. The close
// gives up after 1000 ms, a new link can be opened at once, and the old reader, once released,
// leaves without touching the new link.
TEST_F(LinkTest, CloseWhileTheReaderIsBlockedInTheView) {
  link.setReportHandler([&](const Report& r) {
    if (r[1] == 0x42) view.send(1001, 0, 0);
  });
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  ASSERT_EQ(write(frame({0x02, 0x42})), 61);
  view.waitUntilInSend();

  link.CloseUsbDevice(false);
  EXPECT_EQ(clock.nowMs(), 1000);
  EXPECT_EQ(logs.count(kExitTimeout), 1);
  EXPECT_EQ(link.deviceOpen(), 0);

  ASSERT_TRUE(link.OpenUsbDevice(&view));
  view.release();
  clock.sleepFor(1);  // time moves only once the old reader has finished

  EXPECT_EQ(link.deviceOpen(), 1);
  EXPECT_EQ(link.readThreadEnded(), 0);
  EXPECT_EQ(link.statusPollAllowed(), 1);
  const int64_t before = clock.nowMs();
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(clock.nowMs(), before);  // the new reader answers the gate

  link.CloseUsbDevice(false);
  EXPECT_EQ(logs.count(kExitTimeout), 1);
}

// A view that handles a message on the calling thread may close the link from the reader
// itself; the reader must not wait for (or join) itself for ever.
TEST_F(LinkTest, CloseFromTheReaderThread) {
  bool closed = false;  // guarded by the clock's lock
  link.setReportHandler([&](const Report& r) {
    if (r[1] != 0x42) return;
    link.CloseUsbDevice(false);
    clock.notify([&] { closed = true; });
  });
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  ASSERT_EQ(write(frame({0x02, 0x42})), 61);
  clock.waitFor(Clock::kForever, [&] { return closed; });

  EXPECT_EQ(link.deviceOpen(), 0);
  ASSERT_TRUE(link.OpenUsbDevice(&view));
  EXPECT_EQ(write(frame({0x02, 0x0E})), 61);
  EXPECT_EQ(link.readThreadEnded(), 0);
}

}  // namespace
}  // namespace ax7
