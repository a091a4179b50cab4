#include "device/usb_link.h"

#include <algorithm>

#include "device/debug_log.h"

namespace ax7 {

namespace {

// The reader waits at most this long per read, so that a close ends it promptly even on a
// backend whose interrupt is only noticed between reads.
constexpr int kReadPollMs = 100;
constexpr uint8_t kCmdLeaving = 0x8A;

}  // namespace

// One reader thread with the device it reads. A close that times out (the reader is blocked
// in a synchronous call into the view) leaves the record behind until the thread has ended;
// `closed` then keeps that thread away from the state of the link's next connection.
struct UsbLink::Reader {
  std::shared_ptr<HidDevice> device;
  std::atomic<bool> closed{false};  // its connection was closed; set under stateMutex_
  std::atomic<bool> exited{false};  // the thread procedure has returned
  std::thread thread;
};

UsbLink::UsbLink(HidBackend& backend, Clock& clock, DeviceState& state)
    : backend_(backend),
      clock_(clock),
      state_(state),
      readExitEvent_(clock, false) {}

UsbLink::~UsbLink() {
  CloseUsbDevice(false);
  std::lock_guard life(lifecycleMutex_);
  reapReaders(true);
}

void UsbLink::setReportHandler(ReportHandler handler) {
  handler_ = std::move(handler);
}
void UsbLink::setTrace(ReportTrace* trace) {
  trace_.store(trace);
}

std::string UsbLink::devicePath() const {
  std::lock_guard lock(stateMutex_);
  return devicePath_;
}

ViewNotifier* UsbLink::mainWindow() const {
  return mainWnd_.load();
}
OpenError UsbLink::lastOpenError() const {
  return lastOpenError_.load();
}
void UsbLink::SetReplyEvent() {
  clock_.notify([this] { replySet_ = true; });
}

bool UsbLink::waitForReply() {
  return clock_.waitFor(kReplyTimeoutMs, [this] {
    if (gateClosed_) return true;
    if (!replySet_) return false;
    replySet_ = false;
    return true;
  });
}

std::shared_ptr<HidDevice> UsbLink::currentDevice() const {
  std::lock_guard lock(stateMutex_);
  return device_;
}

void UsbLink::InitUsbEvents() {
  clock_.notify([this] {
    replySet_ = true;
    gateClosed_ = false;
  });
  readExitEvent_.reset();
}

bool UsbLink::OpenUsbDevice(ViewNotifier* window) {
  std::lock_guard life(lifecycleMutex_);
  if (g_bDeviceOpen.load()) return false;
  reapReaders(false);
  mainWnd_.store(window);
  InitUsbEvents();
  if (!FindUsbDevice()) return false;

  auto reader = std::make_shared<Reader>();
  reader->device = currentDevice();
  // The reader clears this too, but only once it runs; a write issued right after the open
  // (the synchronisation starts at once) must not be refused for the previous link's failure.
  g_bReadThreadEnd.store(0);
  g_bDeviceOpen.store(1);
  Reader* r = reader.get();  // the record outlives the thread: it is joined before release
  reader->thread = clock_.startThread([this, r] { ReadUsbThreadProc(*r); });
  reader_ = std::move(reader);
  return true;
}

void UsbLink::setDeviceSelector(std::string selector) {
  std::lock_guard lock(stateMutex_);
  selector_ = std::move(selector);
}

bool UsbLink::FindUsbDevice() {
  // Looking for a second box while one is open would take the device from under the reader.
  if (g_bDeviceOpen.load()) return false;
  std::string selector;
  {
    std::lock_guard lock(stateMutex_);
    selector = selector_;
  }

  bool sawBox = false;
  bool permissionDenied = false;
  const std::vector<HidInterfaceInfo> interfaces = backend_.enumerate();
  DebugLog("开始枚举usb设备");
  for (size_t index = 0; index < size_t(kMaxInterfaces); ++index) {
    if (index >= interfaces.size()) {
      DebugLog("枚举usb设备出错,usb设备接口可能枚举完成了");
      break;
    }
    DebugLog("枚举usb设备成功");
    const HidInterfaceInfo& info = interfaces[index];
    if (!info.active) continue;

    DebugLog("设备路径:\r\n" + info.path);
    // hidapi reports the ids before anything is opened, so only the box itself is opened,
    // rather than every HID device of the system being opened and closed again.
    if (info.vendorId != kBoxVendorId || info.productId != kBoxProductId) continue;
    // With several boxes on one computer, another one is never taken instead.
    if (!selector.empty() && info.path != selector && info.serial != selector) continue;

    sawBox = true;
    DebugLog("尝试打开通信端口....");
    OpenError error = OpenError::None;
    std::unique_ptr<HidDevice> device = backend_.open(info.path, &error);
    if (!device) {
      if (error == OpenError::PermissionDenied) permissionDenied = true;
      DebugLog("无法打开通信端口。不能读取设备信息!(设备连接可能不正确?)\n");
      continue;
    }
    DebugLog("打开通信端口成功!\n");
    {
      std::lock_guard lock(stateMutex_);
      device_ = std::move(device);
      devicePath_ = info.path;
    }
    lastOpenError_.store(OpenError::None);
    DebugLog("连接目标设备成功!");
    return true;
  }
  lastOpenError_.store(permissionDenied ? OpenError::PermissionDenied
                       : sawBox         ? OpenError::Other
                                        : OpenError::NotFound);
  DebugLog("连接目标设备失败，没有找到目标设备");
  return false;
}

int UsbLink::WriteUsbData(const uint8_t* frame, size_t length) {
  writeCount_.fetch_add(1);
  int count = 0;
  if (!g_bDeviceOpen.load()) {
  } else if (g_bReadThreadEnd.load()) {
    DebugLog("g_bReadThreadEnd == TRUE ,WriteUsbData return \n");
  } else {
    // The outcome is deliberately ignored: after a time-out the report goes out all the same.
    // Only a close ends the wait early, and then nothing is sent.
    waitForReply();
    // Taken before the write: an answer can arrive while the write call is still under way.
    answersAtLastWrite_.store(answers_.load());
    count = writeNow(frame, length);
  }
  if (count != int(kReportSize)) failedWrites_.fetch_add(1);
  return count;
}

bool UsbLink::waitForAnswerToLastWrite(int64_t timeoutMs) {
  auto answered = [this] { return answers_.load() > answersAtLastWrite_.load(); };
  clock_.waitFor(timeoutMs, [&] {
    return answered() || g_bReadThreadEnd.load() != 0 || g_bDeviceOpen.load() == 0;
  });
  return answered();
}

int UsbLink::WriteUngated(const uint8_t* frame, size_t length) {
  if (!g_bDeviceOpen.load() || g_bReadThreadEnd.load()) return 0;
  return writeNow(frame, length);
}

int UsbLink::writeNow(const uint8_t* frame, size_t length) {
  if (!g_bDeviceOpen.load()) return 0;
  Report buffer{};
  if (frame) std::copy_n(frame, std::min(length, kReportSize), buffer.begin());

  int count = 0;
  const std::shared_ptr<HidDevice> device = currentDevice();
  {
    std::lock_guard lock(writeMutex_);
    ReportTrace* trace = trace_.load();
    if (trace) {
      std::lock_guard traceLock(traceMutex_);
      untraced_ = buffer;
    }
    if (device) count = std::max(device->write(buffer.data(), buffer.size()), 0);
    if (trace) {
      std::lock_guard traceLock(traceMutex_);
      if (untraced_) {
        if (count == int(kReportSize)) trace->written(*untraced_);
      } else if (count != int(kReportSize)) {
        trace->phase("write failed");  // the reader traced it already, as an answer came
      }
      untraced_.reset();
    }
  }
  if (count == int(kReportSize)) return count;
  DebugLog("usb数据写入出错");
  return count;
}

bool UsbLink::ReadUsbReport(Reader& reader) {
  uint8_t raw[kReportSize] = {};
  const int n = reader.device->read(raw, kReportSize, kReadPollMs);
  if (n < 0) {
    // A read ended by our own close is no error of the box.
    if (g_bDeviceOpen.load() && !reader.closed.load()) DebugLog("Read Usb Error will return !\n");
    return false;
  }
  if (n == 0) return true;  // nothing arrived within the poll period

  Report report{};
  if (n == int(kReportSize) - 1)
    std::copy_n(raw, n, report.begin() + 1);  // delivered without the report number
  else
    std::copy_n(raw, std::min(size_t(n), kReportSize), report.begin());

  if (ReportTrace* trace = trace_.load()) {
    std::lock_guard lock(traceMutex_);
    // An answer while a write is still under way: the request goes into the trace first, so
    // a trace never shows an answer before its request.
    if (untraced_) trace->written(*untraced_);
    untraced_.reset();
    trace->read(report);
  }
  if (handler_) handler_(report);
  answers_.fetch_add(1);
  if (!reader.closed.load()) SetReplyEvent();
  return true;
}

void UsbLink::ReadUsbThreadProc(Reader& reader) {
  {
    std::lock_guard lock(stateMutex_);
    if (!reader.closed.load()) {
      g_bReadThreadEnd.store(0);
      readExitEvent_.reset();
    }
  }
  DebugLog("start thread: ReadUsbThreadProc \n");

  while (g_bDeviceOpen.load() && !reader.closed.load()) {
    if (!ReadUsbReport(reader)) {
      std::lock_guard lock(stateMutex_);
      if (g_bDeviceOpen.load() && !reader.closed.load()) {
        g_bStatusPoll.store(0);
        g_bReadThreadEnd.store(1);
        SetReplyEvent();  // a writer waiting for a reply goes on at once
      }
      break;
    }
  }

  {
    std::lock_guard lock(stateMutex_);
    if (!reader.closed.load()) readExitEvent_.set();
  }
  reader.exited.store(true);
}

void UsbLink::CloseUsbDevice(bool notify) {
  std::lock_guard life(lifecycleMutex_);
  if (!g_bDeviceOpen.load()) return;

  state_.g_liveStatus.fill(0);
  if (notify) {
    Report leaving{};
    leaving[0] = 0x02;
    leaving[1] = kCmdLeaving;
    WriteUsbData(leaving.data(), leaving.size());
  }
  g_bDeviceOpen.store(0);
  // Writers still waiting for a reply give up now rather than after the full reply time.
  clock_.notify([this] { gateClosed_ = true; });

  std::shared_ptr<Reader> reader = std::move(reader_);
  if (reader) reader->device->interrupt();  // a blocked read ends now
  const bool ended = readExitEvent_.wait(kReaderExitTimeoutMs);
  if (!ended) DebugLog("wait read thread exited time out !\n");
  {
    std::lock_guard lock(stateMutex_);
    if (reader) reader->closed.store(true);
    device_.reset();  // the path stays: a later removal of this box is still recognised
  }
  if (reader) {
    // A reader that did not end (blocked in a call into the view, or this is its own thread)
    // is joined later, at the next open or when the link goes away.
    if (ended && reader->thread.get_id() != std::this_thread::get_id())
      reader->thread.join();
    else
      staleReaders_.push_back(std::move(reader));
  }
  reapReaders(false);
}

void UsbLink::reapReaders(bool all) {
  for (auto it = staleReaders_.begin(); it != staleReaders_.end();) {
    Reader& r = **it;
    // A thread cannot wait for itself; the link must not be destroyed from its reader.
    if ((!all && !r.exited.load()) || r.thread.get_id() == std::this_thread::get_id()) {
      ++it;
      continue;
    }
    if (r.thread.joinable()) r.thread.join();
    it = staleReaders_.erase(it);
  }
}

}  // namespace ax7
