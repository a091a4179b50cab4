#pragma once
// The link to one box: open/close, the reader thread, and the reply gate that keeps at most
// one command in flight.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/clock.h"
#include "device/hid_backend.h"
#include "device/report.h"
#include "device/report_trace.h"
#include "device/view_notifier.h"
#include "params/memory.h"

namespace ax7 {

constexpr int kReplyTimeoutMs = 1800;
constexpr int kReaderExitTimeoutMs = 1000;
constexpr int kMaxInterfaces = 32;

class UsbLink {
 public:
  using ReportHandler = std::function<void(const Report&)>;

  // `state` is the device state whose live status record is cleared on close.
  UsbLink(HidBackend& backend, Clock& clock, DeviceState& state);
  ~UsbLink();  // closes without notifying the box
  UsbLink(const UsbLink&) = delete;
  UsbLink& operator=(const UsbLink&) = delete;

  // Every incoming report goes here on the reader thread (the dispatcher).
  void setReportHandler(ReportHandler handler);
  void setTrace(ReportTrace* trace);

  // Only the box whose serial number or HID path equals `selector` is opened (also after a
  // re-plug); empty: the first box found. Set before opening.
  void setDeviceSelector(std::string selector);
  bool OpenUsbDevice(ViewNotifier* window);
  bool FindUsbDevice();
  void CloseUsbDevice(bool notify);
  // Sends one report (length is always 61; shorter frames are zero-padded). Returns 61 on
  // success, 0 (or the short count) on failure.
  int WriteUsbData(const uint8_t* frame, size_t length);
  // Sends one report at once, without waiting for the reply gate and without taking its
  // signal: for reports the box never answers (the Z-Wave acknowledgement), sent from the
  // reader thread, which must not stall while it waits for a reply only it can deliver.
  int WriteUngated(const uint8_t* frame, size_t length);
  // Releases the next writer at once (used before 0x61, which must not wait for a reply).
  void SetReplyEvent();

  std::string devicePath() const;        // g_szDevicePath
  ViewNotifier* mainWindow() const;      // g_hMainWnd
  // Why the last FindUsbDevice failed; PermissionDenied means a box is there but cannot be
  // opened (the udev rule is missing).
  OpenError lastOpenError() const;
  Clock& clock() { return clock_; }
  // Reports handed to WriteUsbData so far, sent or not (progress of long transfers).
  uint64_t writeCount() const { return writeCount_.load(); }
  // Reports WriteUsbData could not send: no box, the reader had ended, the device refused.
  uint64_t failedWriteCount() const { return failedWrites_.load(); }
  // Waits up to timeoutMs for a report from the box after the last report WriteUsbData sent.
  // True when one came; false when the box went away or stayed silent first. With one command
  // in flight, that answer is the box's acknowledgement of everything sent before it.
  bool waitForAnswerToLastWrite(int64_t timeoutMs);
  ReportTrace* trace() const { return trace_.load(); }

  // A box is open (set by open, cleared by close).
  bool deviceOpen() const { return g_bDeviceOpen.load() != 0; }
  // The reader has ended because the box failed; writes are refused until the next open.
  bool readThreadEnded() const { return g_bReadThreadEnd.load() != 0; }
  // The periodic status request may go out: off while a synchronisation runs and while any
  // pause is held (the remote learning window).
  bool statusPollAllowed() const {
    return g_bStatusPoll.load() != 0 && statusPollPauses_.load() == 0;
  }
  void setStatusPoll(bool allowed) { g_bStatusPoll = allowed ? 1 : 0; }
  // Pauses are counted apart from the flag, so a synchronisation that ends meanwhile does not
  // resume polling under a pause, and the last pause to end leaves the flag as it is now.
  void pauseStatusPoll() { statusPollPauses_.fetch_add(1); }
  void resumeStatusPoll() {
    int n = statusPollPauses_.load();
    while (n > 0 && !statusPollPauses_.compare_exchange_weak(n, n - 1)) {
    }
  }

 private:
  std::atomic<int> g_bDeviceOpen{0};
  std::atomic<int> g_bReadThreadEnd{0};
  std::atomic<int> g_bStatusPoll{1};
  std::atomic<int> statusPollPauses_{0};

  struct Reader;  // one reader thread and the device it reads (usb_link.cpp)

  void InitUsbEvents();
  bool ReadUsbReport(Reader& reader);
  void ReadUsbThreadProc(Reader& reader);
  std::shared_ptr<HidDevice> currentDevice() const;
  // Joins readers that outlived their close: those that have ended, or all of them.
  void reapReaders(bool all);

  HidBackend& backend_;
  Clock& clock_;
  DeviceState& state_;
  ReportHandler handler_;
  std::atomic<ReportTrace*> trace_{nullptr};
  std::atomic<ViewNotifier*> mainWnd_{nullptr};

  // Guards device_, devicePath_ and the readers' closed flags.
  mutable std::mutex stateMutex_;
  std::shared_ptr<HidDevice> device_;  // g_hUsbDevice; the reader holds its own reference
  std::string devicePath_;
  std::string selector_;
  std::atomic<OpenError> lastOpenError_{OpenError::None};

  // g_hReplyEvent, an auto-reset event kept under the clock's lock, with one addition: a
  // close opens the gate for every writer still waiting, so none of them holds up the end.
  bool replySet_ = true;
  bool gateClosed_ = false;
  bool waitForReply();
  int writeNow(const uint8_t* frame, size_t length);  // under the write lock, traced

  AutoResetEvent readExitEvent_;  // g_hReadExitEvent
  std::mutex writeMutex_;         // g_csUsbWrite: one device write at a time
  // Orders the trace. Separate from the write lock, so a write that blocks in the backend
  // never keeps the reader from tracing and dispatching what arrives.
  std::mutex traceMutex_;
  std::optional<Report> untraced_;  // the report being written, until it is traced

  std::mutex lifecycleMutex_;  // open and close, and the reader records below
  std::shared_ptr<Reader> reader_;
  std::vector<std::shared_ptr<Reader>> staleReaders_;
  std::atomic<uint64_t> writeCount_{0};
  std::atomic<uint64_t> failedWrites_{0};
  std::atomic<uint64_t> answers_{0};             // reports read and handled
  std::atomic<uint64_t> answersAtLastWrite_{0};  // answers_ when the last gated write went out
};

}  // namespace ax7
