#include "zwave/zwave_relay.h"

#include <algorithm>
#include <cstdio>

#include "device/debug_log.h"

namespace ax7::zwave {

namespace {

constexpr uint8_t kReportId = 0x02;
constexpr uint8_t kCmdZWave = 0x12;
constexpr uint8_t kCmdPlugWrite = 0x13;
constexpr uint8_t kCmdPlugRead = 0x14;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kStartOfFrame = 0x01;
constexpr uint8_t kRequest = 0x00;
constexpr int kRequestFraming = 7;  // 02 12 len 01 n+2 00 ... checksum

// Input report 0x12: the module's frame from byte 3.
constexpr size_t kFrameStart = 3;
constexpr size_t kFunction = 6;
constexpr size_t kParam0 = 7;
constexpr size_t kParam1 = 8;
constexpr size_t kParam2 = 9;
constexpr size_t kBitmap = 10;
constexpr size_t kLastByte = kReportSize - 1;  // 60
// Input report 0x14: address high, low, length, data.
constexpr size_t kMemoryData = 5;
constexpr size_t kMemoryRoom = kReportSize - kMemoryData;

// Add-node and remove-node callback statuses.
constexpr uint8_t kAddLearnReady = 1;
constexpr uint8_t kAddProtocolDone = 5;
constexpr uint8_t kAddFailed = 7;
constexpr uint8_t kRemoveDone = 6;
// Send-data transmit statuses.
constexpr uint8_t kTransmitOk = 0;
constexpr uint8_t kTransmitNoAck = 1;

// Basic Get to node N: SEND_DATA, 2 command bytes, options ack | auto route | explore,
// callback id 0x25.
constexpr uint8_t kBasic = 0x20;
constexpr uint8_t kBasicGet = 0x02;
constexpr uint8_t kTransmitOptions = 0x25;
constexpr uint8_t kPollCallbackId = 0x25;
constexpr uint8_t kSetDefaultCallbackId = 0x02;

bool validNode(int node) {
  return node >= 1 && node <= kMaxNodeId;
}

}  // namespace

Report PlugMemoryWriteFrame(int address, const uint8_t* data, int length) {
  Report r{};
  length = std::clamp(length, 0, kMemoryChunkBytes);
  r[0] = kReportId;
  r[1] = kCmdPlugWrite;
  r[2] = uint8_t(address >> 8);
  r[3] = uint8_t(address);
  r[4] = uint8_t(length);
  if (data) std::copy_n(data, length, r.begin() + 5);
  return r;
}

Report PlugMemoryReadFrame(int address, int length) {
  Report r{};
  r[0] = kReportId;
  r[1] = kCmdPlugRead;
  r[2] = uint8_t(address >> 8);
  r[3] = uint8_t(address);
  r[4] = uint8_t(std::clamp(length, 0, kMemoryChunkBytes));
  return r;
}

std::optional<Report> RequestFrame(const uint8_t* payload, int n) {
  if (n < 1 || n > int(kReportSize) - kRequestFraming || payload == nullptr) return std::nullopt;
  Report r{};
  r[0] = kReportId;
  r[1] = kCmdZWave;
  r[2] = uint8_t(n + 4);
  r[3] = kStartOfFrame;
  r[4] = uint8_t(n + 2);
  r[5] = kRequest;
  std::copy(payload, payload + n, r.begin() + 6);
  uint8_t checksum = 0xFF;
  for (int i = 4; i < 6 + n; ++i) checksum ^= r[size_t(i)];
  r[size_t(6 + n)] = checksum;
  return r;
}

Report AckFrame() {
  Report r{};
  r[0] = kReportId;
  r[1] = kCmdZWave;
  r[2] = 0x01;
  r[3] = kAck;
  return r;
}

int PlugType(const PlugRecord& record) {
  return record[0];
}

std::u16string PlugName(const PlugRecord& record) {
  std::u16string name;
  for (int i = 0; i < kPlugNameChars; ++i) {
    const char16_t c = char16_t(record[size_t(4 + 2 * i)] | record[size_t(5 + 2 * i)] << 8);
    if (c == 0) break;
    name += c;
  }
  return name;
}

ZWaveRelay::ZWaveRelay(UsbLink& link, Clock& clock) : link_(link), clock_(clock) {}

ZWaveRelay::~ZWaveRelay() {
  stop();
  waitIdle();
}

void ZWaveRelay::stop() {
  clock_.notify([this] { stopping_.store(true); });
}

void ZWaveRelay::waitIdle() {
  std::lock_guard lock(workerMutex_);
  if (worker_.joinable()) worker_.join();
}

void ZWaveRelay::post(int function, intptr_t lParam) {
  if (ViewNotifier* n = notifier_.load()) n->post(kMsgZWaveFrame, function, lParam);
}

void ZWaveRelay::raise(std::atomic<int>& flag) {
  clock_.notify([&flag] { flag.store(1); });
}

bool ZWaveRelay::linkGone() const {
  return !link_.deviceOpen() || link_.readThreadEnded();
}

// ---- reader thread ----------------------------------------------------------------------

void ZWaveRelay::HandleZWaveFrame(const Report& r) {
  if (r[kFrameStart] == kAck) return;  // the module acknowledges one of our frames
  // Sent before the frame is looked at, and without the reply gate: this runs on the reader,
  // which only releases the gate once the handler has returned.
  const Report ack = AckFrame();
  link_.WriteUngated(ack.data(), ack.size());

  switch (r[kFunction]) {
    case kFuncGetInitData:
      handleNodeList(r);
      break;
    case kFuncAppCommand: {
      const int node = r[kParam1];
      const size_t length = r[kParam2];
      // A command the report cannot hold, or an empty one, has no last byte to take.
      if (!validNode(node) || length == 0 || kParam2 + length > kLastByte) break;
      const uint8_t value = r[kParam2 + length];
      {
        std::lock_guard lock(dataMutex_);
        nodes_[size_t(node)].value = value;
      }
      post(kFuncAppCommand, intptr_t(node) * 65536 + value);
      raise(g_bNodeAnswered);
      break;
    }
    case kFuncSendData: {
      const int callbackId = r[kParam0];
      const uint8_t status = r[kParam1];
      if (status == kTransmitOk) {
        raise(g_bSendDone);
        post(kFuncSendData, intptr_t(callbackId) * 65536);
      } else if (status == kTransmitNoAck) {
        clock_.notify([this] {
          g_bSendDone.store(1);
          g_bNodeAnswered.store(1);
        });
        post(kFuncSendData, intptr_t(callbackId) * 65536 + 1);
      }
      break;
    }
    case kFuncSetDefault:
      post(kFuncSetDefault, 0);
      raise(g_bSendDone);
      break;
    case kFuncAddNode: {
      const uint8_t status = r[kParam1];
      const int node = r[kParam2];
      if (status == kAddProtocolDone) {
        if (!validNode(node)) break;
        {
          std::lock_guard lock(dataMutex_);
          nodes_[size_t(node)].presence = uint8_t(node);
          std::copy(newPlug_.begin(), newPlug_.end(),
                    plugs_.begin() + size_t(node) * kPlugRecordSize);
        }
        post(kFuncAddNode, intptr_t(node) * 65536 + status);
      } else if (status == kAddLearnReady || status == kAddFailed) {
        post(kFuncAddNode, status);
      }
      break;
    }
    case kFuncRemoveNode: {
      const uint8_t status = r[kParam1];
      const int node = r[kParam2];
      if (status != kRemoveDone) {
        post(kFuncRemoveNode, status);
        break;
      }
      if (node > kMaxNodeId) break;  // no such node
      char text[32];
      std::snprintf(text, sizeof text, "REMOVE ID= %d\n", node);
      DebugLog(text);
      if (node != 0) {
        std::lock_guard lock(dataMutex_);
        nodes_[size_t(node)].presence = 0;
      }
      post(kFuncRemoveNode, intptr_t(node) * 65536 + status);
      break;
    }
    default:
      break;
  }
}

void ZWaveRelay::handleNodeList(const Report& r) {
  // The bitmap never reaches past the report, nor names ids above 232.
  const size_t length =
      std::min<size_t>({r[kParam2], kReportSize - kBitmap, size_t(kMaxNodeId + 7) / 8});
  {
    std::lock_guard lock(dataMutex_);
    nodes_.fill({});
    for (size_t i = 0; i < length; ++i) {
      for (int bit = 0; bit < 8; ++bit) {
        const int node = int(8 * i) + bit + 1;
        if (node <= kMaxNodeId && (r[kBitmap + i] >> bit & 1))
          nodes_[size_t(node)].presence = uint8_t(node);
      }
    }
  }
  raise(g_bZWaveInitDone);
}

void ZWaveRelay::ZWaveReadMemFunc(const Report& r) {
  const int address = r[2] << 8 | r[3];
  const size_t length = std::min<size_t>(r[4], kMemoryRoom);
  const uint8_t* data = &r[kMemoryData];
  struct Counted {  // counted once the answer is stored
    ZWaveRelay& relay;
    ~Counted() {
      relay.clock_.notify([this] { relay.memoryAnswers_.fetch_add(1); });
    }
  } counted{*this};
  std::lock_guard lock(dataMutex_);
  if (address < kSceneAddress) {
    // From the first byte of the record that holds the address, never past the last record.
    const size_t start = size_t(address / kPlugRecordSize) * kPlugRecordSize;
    std::copy_n(data, std::min(length, plugs_.size() - start), plugs_.begin() + start);
  } else if (address < kPlugMemoryEnd) {
    const size_t start = size_t((address - kSceneAddress) / kSceneRecordSize) * kSceneRecordSize;
    std::copy_n(data, std::min(length, scenes_.size() - start), scenes_.begin() + start);
  } else {
    DebugLog("ZWaveReadMemFunc over range");
  }
}

// ---- requests ---------------------------------------------------------------------------

bool ZWaveRelay::sendAndWait(std::atomic<int>& flag, const uint8_t* payload, int n,
                             int64_t timeoutMs) {
  if (stopping_.load()) return false;
  clock_.notify([&flag] { flag.store(0); });
  if (const auto r = RequestFrame(payload, n)) link_.WriteUsbData(r->data(), r->size());
  bool answered = false;
  clock_.waitFor(timeoutMs, [&] {
    answered = flag.load() != 0;
    return answered || stopping_.load() || linkGone();
  });
  return answered;
}

bool ZWaveRelay::ZWaveSetDefault() {
  const uint8_t payload[] = {kFuncSetDefault, kSetDefaultCallbackId};
  return sendAndWait(g_bSendDone, payload, sizeof payload, kSetDefaultWaitMs);
}

bool ZWaveRelay::ZWaveGetInitData() {
  const uint8_t payload[] = {kFuncGetInitData};
  return sendAndWait(g_bZWaveInitDone, payload, sizeof payload, kInitDataWaitMs);
}

void ZWaveRelay::ClearScenes() {
  {
    std::lock_guard lock(dataMutex_);
    scenes_.fill(0);
  }
  const SceneRecord zero{};
  for (int k = 0; k < kSceneCount && !stopping_.load(); ++k) {
    const Report r =
        PlugMemoryWriteFrame(kSceneAddress + kSceneRecordSize * k, zero.data(), kSceneRecordSize);
    link_.WriteUsbData(r.data(), r.size());
  }
}

void ZWaveRelay::ZWAVE_ReadAll() {
  DebugLog("ZWAVE_ReadAll\n");
  const auto nodes = nodeTable();
  for (int node = 2; node <= kMaxNodeId && !stopping_.load(); ++node) {
    if (nodes[size_t(node)].presence == 0) continue;
    const Report r = PlugMemoryReadFrame(kPlugRecordSize * node, kPlugRecordSize);
    link_.WriteUsbData(r.data(), r.size());
  }
  for (int node = 0; node <= kMaxNodeId && !stopping_.load(); ++node) {
    const uint8_t presence = nodes[size_t(node)].presence;
    if (presence == 0 || presence == kControllerNode) continue;
    const uint8_t poll[] = {kFuncSendData,    uint8_t(node),  2, kBasic, kBasicGet,
                            kTransmitOptions, kPollCallbackId};
    sendAndWait(g_bNodeAnswered, poll, sizeof poll, kNodePollWaitMs);
  }
  for (int k = 0; k < kSceneCount && !stopping_.load(); ++k) {
    const Report r = PlugMemoryReadFrame(kSceneAddress + kSceneRecordSize * k, kSceneRecordSize);
    link_.WriteUsbData(r.data(), r.size());
  }
}

void ZWaveRelay::PlugResetThread() {
  const bool forgot = ZWaveSetDefault();
  ClearScenes();
  const bool listed = ZWaveGetInitData();
  ZWAVE_ReadAll();
  clock_.waitFor(kResetEndPauseMs, [this] { return stopping_.load(); });
  const ResetOutcome outcome = linkGone()           ? kResetBoxGone
                               : !forgot && !listed ? kResetModuleSilent
                                                    : kResetDone;
  lastOutcome_.store(outcome);
  if (stopping_.load()) return;  // the program is going away; nobody waits for the end
  if (ViewNotifier* n = notifier_.load()) {
    n->send(kMsgPlugResetDone, kPlugResetDoneParam, outcome);
  }
}

bool ZWaveRelay::startPlugReset() {
  if (linkGone() || stopping_.load()) return false;
  if (resetRunning_.exchange(true)) return false;
  std::lock_guard lock(workerMutex_);
  if (worker_.joinable()) worker_.join();  // the last reset, which has ended
  DebugLog("Start thread:SynchronizeData\n");
  worker_ = clock_.startThread([this] {
    PlugResetThread();
    clock_.notify([this] { resetRunning_.store(false); });
  });
  return true;
}

// ---- copies -----------------------------------------------------------------------------

std::array<NodeEntry, kNodeCount> ZWaveRelay::nodeTable() const {
  std::lock_guard lock(dataMutex_);
  return nodes_;
}

PlugRecord ZWaveRelay::plugRecord(int node) const {
  PlugRecord out{};
  if (node < 0 || node >= kNodeCount) return out;
  std::lock_guard lock(dataMutex_);
  std::copy_n(plugs_.begin() + size_t(node) * kPlugRecordSize, kPlugRecordSize, out.begin());
  return out;
}

SceneRecord ZWaveRelay::sceneRecord(int scene) const {
  SceneRecord out{};
  if (scene < 0 || scene >= kSceneCount) return out;
  std::lock_guard lock(dataMutex_);
  std::copy_n(scenes_.begin() + size_t(scene) * kSceneRecordSize, kSceneRecordSize, out.begin());
  return out;
}

void ZWaveRelay::setNewPlugRecord(const PlugRecord& record) {
  std::lock_guard lock(dataMutex_);
  newPlug_ = record;
}

}  // namespace ax7::zwave
