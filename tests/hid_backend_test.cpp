// The hidapi backend's own code, linked against a scripted stand-in of the hidapi library: what
// it lists, what it opens and why an open fails, and what the link above it sees when the box
// is unplugged, sends a short report, has two interfaces, is closed during a read or appears
// while the system is being enumerated.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "device/clock.h"
#include "device/report.h"
#include "device/usb_link.h"
#include "hid/hidapi_backend.h"
#include "hid/permissions.h"
#include "support/hidapi_standin.h"

namespace ax7 {
namespace {

namespace standin = test::hidapi;

constexpr const char* kBoxA = "/dev/hidraw3";
constexpr const char* kBoxB = "/dev/hidraw4";
constexpr const char* kKeyboard = "/dev/hidraw0";

standin::Interface boxInterface(const char* path, int number = 0) {
  return {path, kBoxVendorId, kBoxProductId, number};
}

// Polls a condition the code under test changes on its own thread; gives up after 5 s so a
// fault fails the test instead of hanging it.
template <typename F>
bool eventually(F&& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// The stand-in in a known state, and node checks answered from tables instead of /dev.
class HidapiBackendTest : public ::testing::Test {
 protected:
  HidapiBackendTest() { standin::reset(); }
  ~HidapiBackendTest() override {
    link_.reset();
    backend_.reset();
    const standin::Counters c = standin::counters();
    EXPECT_TRUE(c.misuse.empty()) << c.misuse.front();
    EXPECT_EQ(c.opens, c.closes) << "a handle was left open";
    EXPECT_EQ(c.enumerate, c.freeEnumeration) << "an enumeration was not freed";
    standin::reset();
  }

  HidapiBackend& backend() {
    if (!backend_) {
      HidNodeProbe probe;
      probe.check = [this](const std::string& path) {
        std::lock_guard lock(mutex_);
        auto it = nodeState_.find(path);
        if (it == nodeState_.end() || it->second.empty()) return OpenError::None;
        const OpenError e = it->second.front();
        if (it->second.size() > 1) it->second.erase(it->second.begin());
        return e;
      };
      probe.whyOpenFailed = [this](const std::string& path) {
        std::lock_guard lock(mutex_);
        auto it = openFailure_.find(path);
        return it == openFailure_.end() ? OpenError::Other : it->second;
      };
      backend_ = std::make_unique<HidapiBackend>(std::move(probe));
    }
    return *backend_;
  }
  UsbLink& link() {
    if (!link_) link_ = std::make_unique<UsbLink>(backend(), clock_, state_);
    return *link_;
  }
  // What the node check answers for `path`, one answer per check, the last one repeating.
  void nodeSays(const std::string& path, std::vector<OpenError> answers) {
    std::lock_guard lock(mutex_);
    nodeState_[path] = std::move(answers);
  }
  void openFailsWith(const std::string& path, OpenError why) {
    std::lock_guard lock(mutex_);
    openFailure_[path] = why;
  }

  std::mutex mutex_;
  std::map<std::string, std::vector<OpenError>> nodeState_;
  std::map<std::string, OpenError> openFailure_;
  RealClock clock_;
  DeviceState state_;
  std::unique_ptr<HidapiBackend> backend_;
  std::unique_ptr<UsbLink> link_;
};

TEST_F(HidapiBackendTest, ListsEachNodeOnceWithItsIdsAndSkipsEntriesWithoutAPath) {
  standin::setInterfaces({
      {kKeyboard, 0x046d, 0xc31c, 0},
      boxInterface(kBoxA, 0),
      boxInterface(kBoxA, 0),  // the same node again for its second top-level usage
      {"", kBoxVendorId, kBoxProductId, 2},
      {kBoxB, kBoxVendorId, kBoxProductId, 1, L"AX7-\u00e9\U0001F600"},  // its second interface
  });
  const std::vector<HidInterfaceInfo> list = backend().enumerate();
  ASSERT_EQ(list.size(), 3u);
  // The serial number as UTF-8 (any character the descriptor may hold), empty when none.
  EXPECT_EQ(list[1].serial, "");
  EXPECT_EQ(list[2].serial, "AX7-\u00e9\U0001F600");
  EXPECT_EQ(list[0].path, kKeyboard);
  EXPECT_EQ(list[0].vendorId, 0x046d);
  EXPECT_EQ(list[0].productId, 0xc31c);
  EXPECT_EQ(list[1].path, kBoxA);
  EXPECT_EQ(list[2].path, kBoxB);
  for (const HidInterfaceInfo& i : list) EXPECT_TRUE(i.active);
  EXPECT_TRUE(backend().enumerate().size() == 3u);  // a second enumeration is freed as well

  standin::setInterfaces({});
  EXPECT_TRUE(backend().enumerate().empty());
}

// How open() ends for a node: the node check, hidapi's two opens (a reader and a writer
// handle) and the reason looked up after hidapi failed.
struct OpenCase {
  const char* name;
  OpenError node;       // what the node check says
  int openSuccesses;    // hid_open_path succeeds this many times ...
  int openFailures;     // ... then fails this many (-1: always)
  OpenError whyFailed;  // what the node says after hidapi failed
  OpenError expected;
  int handlesOpened;    // successful hid_open_path calls
};

class OpenOutcome : public HidapiBackendTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenOutcome, SaysWhyAndLeavesNoHandleOpen) {
  const OpenCase& c = GetParam();
  nodeSays(kBoxA, {c.node});
  openFailsWith(kBoxA, c.whyFailed);
  standin::failOpen(kBoxA, c.openFailures, c.openSuccesses);
  OpenError error = OpenError::Other;
  std::unique_ptr<HidDevice> device = backend().open(kBoxA, &error);
  EXPECT_EQ(error, c.expected);
  EXPECT_EQ(device != nullptr, c.expected == OpenError::None);
  EXPECT_EQ(standin::counters().opens, c.handlesOpened);
  // The fixture checks that every handle is closed once the device is gone.
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenOutcome,
    ::testing::Values(
        OpenCase{"Opens", OpenError::None, 0, 0, OpenError::Other, OpenError::None, 2},
        // The udev rule is missing: hidapi fails and the node refuses this user.
        OpenCase{"PermissionDenied", OpenError::None, 0, -1, OpenError::PermissionDenied,
                 OpenError::PermissionDenied, 0},
        // Already refused by the node check (stat): hidapi is not asked.
        OpenCase{"NodeRefusesUser", OpenError::PermissionDenied, 0, -1, OpenError::Other,
                 OpenError::PermissionDenied, 0},
        // Not a hidraw node (hidapi would crash on it) or gone: hidapi is not asked.
        OpenCase{"NotHidraw", OpenError::Other, 0, 0, OpenError::Other, OpenError::Other, 0},
        OpenCase{"NodeGone", OpenError::NotFound, 0, 0, OpenError::Other, OpenError::NotFound, 0},
        // The reader's handle opens, the writer's does not: the first is closed again.
        OpenCase{"WriterHandleFails", OpenError::None, 1, -1, OpenError::Other, OpenError::Other,
                 1},
        OpenCase{"UnplugBetweenTheOpens", OpenError::None, 1, -1, OpenError::NotFound,
                 OpenError::NotFound, 1}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST_F(HidapiBackendTest, APermissionProblemReachesTheLinkAndTheAdviceNamesTheRule) {
  standin::setInterfaces({{kKeyboard, 0x046d, 0xc31c, 0}, boxInterface(kBoxA)});
  standin::failOpen(kBoxA, -1);
  openFailsWith(kBoxA, OpenError::PermissionDenied);
  EXPECT_FALSE(link().OpenUsbDevice(nullptr));
  EXPECT_EQ(link().lastOpenError(), OpenError::PermissionDenied);
  // Only the box was tried, never the keyboard.
  EXPECT_TRUE(standin::counters().openedPaths.empty());
  for (int language : {0, 1}) {
    const std::string advice = permissionAdvice(language);
    EXPECT_NE(advice.find(kUdevRuleFile), std::string::npos) << advice;
    EXPECT_NE(advice.find("udevadm trigger"), std::string::npos) << advice;
    EXPECT_NE(advice.find("ax7ctl doctor"), std::string::npos) << advice;
  }
}

TEST_F(HidapiBackendTest, TwoInterfacesOfOneBoxTheFirstThatOpensIsUsed) {
  standin::setInterfaces({boxInterface(kBoxA, 0), boxInterface(kBoxB, 1)});
  standin::failOpen(kBoxA, -1);
  openFailsWith(kBoxA, OpenError::PermissionDenied);
  ASSERT_TRUE(link().OpenUsbDevice(nullptr));
  EXPECT_EQ(link().devicePath(), kBoxB);
  // A refusal on one interface is no reason for advice when another one opened.
  EXPECT_EQ(link().lastOpenError(), OpenError::None);
  const Report ping{0x02, 0x80};
  EXPECT_EQ(link().WriteUsbData(ping.data(), ping.size()), int(kReportSize));
  ASSERT_EQ(standin::written(kBoxB).size(), 1u);
  EXPECT_EQ(standin::written(kBoxB)[0].size(), kReportSize);
  EXPECT_EQ(standin::written(kBoxB)[0][1], 0x80);
  EXPECT_TRUE(standin::written(kBoxA).empty());
  link().CloseUsbDevice(false);
}

TEST_F(HidapiBackendTest, AReadThatFailsEndsTheLinkAsAnUnplug) {
  standin::setInterfaces({boxInterface(kBoxA)});
  ASSERT_TRUE(link().OpenUsbDevice(nullptr));
  standin::pushRead(kBoxA, {-1, {}});
  ASSERT_TRUE(eventually([&] { return link().readThreadEnded(); }));
  const Report ping{0x02, 0x80};
  EXPECT_EQ(link().WriteUsbData(ping.data(), ping.size()), 0);  // refused, nothing written
  EXPECT_TRUE(standin::written(kBoxA).empty());
  link().CloseUsbDevice(false);
}

TEST_F(HidapiBackendTest, AFailedWriteIsReportedAsShort) {
  standin::setInterfaces({boxInterface(kBoxA)});
  ASSERT_TRUE(link().OpenUsbDevice(nullptr));
  standin::setWriteResult(kBoxA, -1);
  const Report ping{0x02, 0x80};
  EXPECT_EQ(link().WriteUsbData(ping.data(), ping.size()), 0);
  link().CloseUsbDevice(false);
}

TEST_F(HidapiBackendTest, ShortReportsArriveAsTheyCameAndTheLinkReadsOn) {
  standin::setInterfaces({boxInterface(kBoxA)});
  std::mutex mutex;
  std::vector<Report> got;
  link().setReportHandler([&](const Report& r) {
    std::lock_guard lock(mutex);
    got.push_back(r);
  });
  ASSERT_TRUE(link().OpenUsbDevice(nullptr));
  // 60 bytes: the report without its number; 3 bytes: a truncated report; then a whole one.
  std::vector<uint8_t> withoutNumber(60, 0);
  withoutNumber[0] = 0x80;
  withoutNumber[1] = 'A';
  standin::pushRead(kBoxA, {60, withoutNumber});
  standin::pushRead(kBoxA, {3, {0x01, 0x7F, 0x05}});
  std::vector<uint8_t> whole(61, 0);
  whole[0] = 0x01;
  whole[1] = 0x0E;
  whole[60] = 0xAA;
  standin::pushRead(kBoxA, {61, whole});
  ASSERT_TRUE(eventually([&] {
    std::lock_guard lock(mutex);
    return got.size() == 3;
  }));
  EXPECT_EQ(link().readThreadEnded(), 0);
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(got[0][0], 0x00);
    EXPECT_EQ(got[0][1], 0x80);
    EXPECT_EQ(got[0][2], 'A');
    EXPECT_EQ(got[1][1], 0x7F);
    EXPECT_EQ(got[1][2], 0x05);
    EXPECT_EQ(got[1][3], 0x00);  // nothing left over from an earlier report
    EXPECT_EQ(got[2][1], 0x0E);
    EXPECT_EQ(got[2][60], 0xAA);
  }
  link().CloseUsbDevice(false);
}

TEST_F(HidapiBackendTest, InterruptEndsABlockedReadAndDataArrivingThenIsDropped) {
  nodeSays(kBoxA, {OpenError::None});
  OpenError error = OpenError::Other;
  std::unique_ptr<HidDevice> device = backend().open(kBoxA, &error);
  ASSERT_TRUE(device);
  standin::holdReads(kBoxA, true);
  std::atomic<int> result{1};
  std::thread reader([&] {
    uint8_t buf[kReportSize];
    result = device->read(buf, sizeof buf, 60000);
  });
  ASSERT_TRUE(eventually([] { return standin::readsWaiting(kBoxA) == 1; }));
  device->interrupt();
  // A report that comes in now belongs to no one: the close wins.
  standin::pushRead(kBoxA, {61, std::vector<uint8_t>(61, 0x01)});
  standin::holdReads(kBoxA, false);
  reader.join();
  EXPECT_EQ(result.load(), -1);
  uint8_t buf[kReportSize];
  EXPECT_EQ(device->read(buf, sizeof buf, 0), -1);  // and every later read
  EXPECT_EQ(device->write(buf, sizeof buf), -1);
  device.reset();  // both handles closed, none during a read (checked by the fixture)
}

TEST_F(HidapiBackendTest, ClosingTheLinkDuringABlockedReadClosesTheHandlesAfterTheRead) {
  standin::setInterfaces({boxInterface(kBoxA)});
  standin::holdReads(kBoxA, true);
  ASSERT_TRUE(link().OpenUsbDevice(nullptr));
  ASSERT_TRUE(eventually([] { return standin::readsWaiting(kBoxA) == 1; }));
  link().CloseUsbDevice(false);
  const standin::Counters c = standin::counters();
  EXPECT_EQ(c.readsRunning, 0);
  EXPECT_EQ(c.closes, 2);
  EXPECT_TRUE(c.misuse.empty()) << c.misuse.front();
  EXPECT_EQ(link().deviceOpen(), 0);
}

TEST_F(HidapiBackendTest, ABoxAppearingDuringEnumerationIsOpenedOnTheNextAttempt) {
  // The system is being enumerated when the box is plugged in: this list misses it.
  standin::setInterfaces({{kKeyboard, 0x046d, 0xc31c, 0}});
  standin::onEnumerate([] {
    standin::onEnumerate(nullptr);
    standin::setInterfaces({{kKeyboard, 0x046d, 0xc31c, 0}, boxInterface(kBoxA)});
  });
  EXPECT_FALSE(link().OpenUsbDevice(nullptr));
  EXPECT_EQ(link().lastOpenError(), OpenError::NotFound);
  // Next time it is listed, but udev has not made its node yet; then it is there.
  nodeSays(kBoxA, {OpenError::NotFound, OpenError::None});
  EXPECT_FALSE(link().OpenUsbDevice(nullptr));
  EXPECT_EQ(link().lastOpenError(), OpenError::Other);  // a box, but not openable: no advice
  ASSERT_TRUE(link().OpenUsbDevice(nullptr));
  EXPECT_EQ(link().devicePath(), kBoxA);
  link().CloseUsbDevice(false);
}

}  // namespace
}  // namespace ax7
