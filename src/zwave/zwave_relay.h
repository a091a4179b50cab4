#pragma once
// The box's Z-Wave controller module, reached through the box: Serial API frames go out in
// command 0x12 and come back in input report 0x12. Beside the module the box keeps plug memory
// (a 28-byte record per node, four 56-byte scene records), written with 0x13 and read with
// 0x14. The relay keeps the program's copies (node table, plug and scene records), handles the
// module's frames and memory answers on the reader thread, and runs the plug-data reset on a
// worker of its own.
//
// Everything the box sends is bounded before it is used: node ids outside 1..232 are ignored,
// lengths are cut to the report and to the arrays. Every wait has a limit and ends early when
// the link closes or the relay goes away.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "device/clock.h"
#include "device/report.h"
#include "device/usb_link.h"
#include "device/view_notifier.h"

namespace ax7::zwave {

constexpr int kNodeCount = 233;  // node ids 0..232; 0 is never used, 1 is the controller
constexpr int kMaxNodeId = 232;
constexpr int kControllerNode = 1;
constexpr int kPlugRecordSize = 28;
constexpr int kPlugRecordBytes = kNodeCount * kPlugRecordSize;  // 6524
constexpr int kSceneCount = 4;
constexpr int kSceneRecordSize = 56;
constexpr int kSceneBytes = kSceneCount * kSceneRecordSize;  // 224
constexpr int kSceneAddress = kPlugRecordBytes;              // 6524
constexpr int kPlugMemoryEnd = kSceneAddress + kSceneBytes;  // 6748, one past the last address
constexpr int kPlugNameChars = 12;

// Serial API function ids the relay uses or handles.
enum Function : uint8_t {
  kFuncGetInitData = 0x02,
  kFuncAppCommand = 0x04,
  kFuncSendData = 0x13,
  kFuncSetDefault = 0x42,
  kFuncAddNode = 0x4A,
  kFuncRemoveNode = 0x4B,
};

// Waits: the first two are the module's own answers (600 x 10 ms, 200 x 30 ms); the node poll
// is bounded too, so a silent plug cannot hold the reset for ever.
constexpr int kSetDefaultWaitMs = 6000;
constexpr int kInitDataWaitMs = 6000;
constexpr int kNodePollWaitMs = 3000;
constexpr int kResetEndPauseMs = 100;
// wParam of the reset's end message; its lParam says how the reset ended.
constexpr int kPlugResetDoneParam = 8;
enum ResetOutcome : int {
  kResetDone = 0,
  kResetBoxGone = 1,       // the link closed before the end
  kResetModuleSilent = 2,  // the module answered neither set-default nor the node list
};

struct NodeEntry {
  uint8_t presence = 0;  // the node's id when the module lists it, else 0
  uint8_t value = 0;     // the last value the node reported
};

using PlugRecord = std::array<uint8_t, kPlugRecordSize>;
using SceneRecord = std::array<uint8_t, kSceneRecordSize>;

// Reports of plug memory: 02 13 hi lo length data (at most 56 bytes), 02 14 hi lo length.
Report PlugMemoryWriteFrame(int address, const uint8_t* data, int length);
Report PlugMemoryReadFrame(int address, int length);
// A Serial API request to the module (payload[0] is the function id): 02 12 len, then the
// module's frame 01 n+2 00 payload checksum. Empty when the payload is missing, empty or
// longer than the 54 bytes a report can frame.
std::optional<Report> RequestFrame(const uint8_t* payload, int n);
// The one-byte acknowledgement frame 02 12 01 06.
Report AckFrame();
// Plug type byte and the name (UTF-16LE, up to its zero) of a plug record.
int PlugType(const PlugRecord& record);
std::u16string PlugName(const PlugRecord& record);

class ZWaveRelay {
 public:
  // Writes straight through the link's reply gate: the worker blocks on it, not the UI.
  ZWaveRelay(UsbLink& link, Clock& clock);
  // Ends every wait and joins the reset worker.
  ~ZWaveRelay();
  ZWaveRelay(const ZWaveRelay&) = delete;
  ZWaveRelay& operator=(const ZWaveRelay&) = delete;

  void setNotifier(ViewNotifier* notifier) { notifier_.store(notifier); }

  // Input report 0x12, on the reader thread.
  void HandleZWaveFrame(const Report& r);
  // Input report 0x14, on the reader thread.
  void ZWaveReadMemFunc(const Report& r);

  // Requests with their waits; true when the answer came in time.
  bool ZWaveSetDefault();
  bool ZWaveGetInitData();
  void ClearScenes();
  // Reads every plug record, polls every plug, reads the scene records.
  void ZWAVE_ReadAll();
  // The reset procedure, on the calling thread: set default, clear the scenes, read the node
  // list, read everything, then tell the view (3025) and wait until it has handled it.
  void PlugResetThread();

  // Starts PlugResetThread on the relay's worker. False when no box is open or a reset is
  // already running (a second request is ignored).
  bool startPlugReset();
  // Changes under the clock's lock, so a Clock::waitFor predicate may test it.
  bool resetRunning() const { return resetRunning_.load(); }
  // How the last reset ended (kResetDone before any).
  ResetOutcome lastResetOutcome() const { return lastOutcome_.load(); }
  // Waits until the worker has ended.
  void waitIdle();
  // Ends every wait at once and starts nothing more; the program is going away.
  void stop();

  // Copies for the UI and ax7ctl.
  std::array<NodeEntry, kNodeCount> nodeTable() const;
  PlugRecord plugRecord(int node) const;
  SceneRecord sceneRecord(int scene) const;
  void setNewPlugRecord(const PlugRecord& record);

  // The flags (for tests and ax7ctl).
  bool initDone() const { return g_bZWaveInitDone.load() != 0; }
  bool sendDone() const { return g_bSendDone.load() != 0; }
  bool nodeAnswered() const { return g_bNodeAnswered.load() != 0; }
  // Plug-memory answers handled so far; changes under the clock's lock.
  uint64_t memoryAnswers() const { return memoryAnswers_.load(); }

 private:
  void post(int function, intptr_t lParam);
  // Sets a flag under the clock's lock, so a waiter tests it again.
  void raise(std::atomic<int>& flag);
  // Clears the flag, sends, then waits for it, for the link to close or the relay to stop.
  bool sendAndWait(std::atomic<int>& flag, const uint8_t* payload, int n, int64_t timeoutMs);
  bool linkGone() const;
  void handleNodeList(const Report& r);

  UsbLink& link_;
  Clock& clock_;
  std::atomic<ViewNotifier*> notifier_{nullptr};

  std::atomic<int> g_bZWaveInitDone{0};
  std::atomic<int> g_bSendDone{0};
  std::atomic<int> g_bNodeAnswered{0};
  std::atomic<bool> stopping_{false};  // changed under the clock's lock
  std::atomic<uint64_t> memoryAnswers_{0};

  mutable std::mutex dataMutex_;  // the tables below
  std::array<NodeEntry, kNodeCount> nodes_{};
  std::array<uint8_t, kPlugRecordBytes> plugs_{};
  std::array<uint8_t, kSceneBytes> scenes_{};
  PlugRecord newPlug_{};

  std::atomic<bool> resetRunning_{false};
  std::atomic<ResetOutcome> lastOutcome_{kResetDone};
  std::mutex workerMutex_;
  std::thread worker_;
};

}  // namespace ax7::zwave
