#include "sim/sim_zwave.h"

#include <algorithm>
#include <string>

namespace ax7::sim {

namespace {

constexpr uint8_t kSof = 0x01;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kRequest = 0x00;
constexpr uint8_t kResponse = 0x01;
constexpr uint8_t kFuncGetInitData = 0x02;
constexpr uint8_t kFuncAppCommand = 0x04;
constexpr uint8_t kFuncSendData = 0x13;
constexpr uint8_t kFuncSetDefault = 0x42;
constexpr uint8_t kFuncAddNode = 0x4A;
constexpr uint8_t kFuncRemoveNode = 0x4B;
constexpr uint8_t kUnsolicitedCallbackId = 0x00;
constexpr uint8_t kBasic = 0x20;
constexpr uint8_t kBasicSet = 0x01;
constexpr uint8_t kBasicGet = 0x02;
constexpr uint8_t kBasicReport = 0x03;
constexpr int kBitmapBytes = 29;

Report singleByteFrame(uint8_t b) {
  Report r{};
  r[0] = 0x01;
  r[1] = 0x12;
  r[2] = 1;
  r[3] = b;
  return r;
}

// body = function id and parameters; at most 53 bytes fit a report.
Report frame(uint8_t type, const std::vector<uint8_t>& body) {
  Report r{};
  const int len = int(body.size()) + 2;
  r[0] = 0x01;
  r[1] = 0x12;
  r[2] = uint8_t(len + 2);
  r[3] = kSof;
  r[4] = uint8_t(len);
  r[5] = type;
  std::copy(body.begin(), body.end(), r.begin() + 6);
  r[size_t(4 + len)] = SimZWave::checksum(&r[4], len);
  return r;
}

bool validNode(int node) {
  return node >= 1 && node < kZWaveNodes;
}

}  // namespace

uint8_t SimZWave::checksum(const uint8_t* fromLength, int count) {
  uint8_t c = 0xFF;
  for (int i = 0; i < count; ++i) c ^= fromLength[i];
  return c;
}

SimZWave::SimZWave() {
  present_[1] = true;
  setNode(2, true, 0xFF);
  setNode(3, true, 40);
  setNode(4, true, 0);
  for (int node = 2; node <= 4; ++node) {
    uint8_t* rec = &memory_[size_t(kPlugRecordSize * node)];
    rec[0] = node == 3 ? 2 : 1;  // 1 switch, 2 dimmer
    const std::string name = "Plug " + std::to_string(node);
    for (size_t i = 0; i < name.size(); ++i) rec[4 + 2 * i] = uint8_t(name[i]);  // UTF-16LE
  }
}

std::vector<Report> SimZWave::handleFrame(const Report& out) {
  const int count = out[2];
  if (count == 1) return {};  // the program's ACK (or NAK) of one of our frames
  // SOF, length L, type, function, parameters, checksum at 4 + L.
  const int len = out[4];
  if (out[3] != kSof || len < 3 || count != len + 2 || 4 + len >= int(kReportSize) ||
      checksum(&out[4], len) != out[size_t(4 + len)])
    return {singleByteFrame(kNak)};

  std::vector<Report> answers{singleByteFrame(kAck)};
  if (out[5] != kRequest) return answers;
  const uint8_t func = out[6];
  const uint8_t* params = &out[7];
  const int n = len - 3;
  switch (func) {
    case kFuncGetInitData: {
      std::vector<uint8_t> body{kFuncGetInitData, 0x05, 0x08, kBitmapBytes};
      body.resize(4 + kBitmapBytes);
      for (int node = 1; node < kZWaveNodes; ++node)
        if (present_[size_t(node)])
          body[size_t(4 + (node - 1) / 8)] |= uint8_t(1 << ((node - 1) % 8));
      body.push_back(0x05);  // chip type and version
      body.push_back(0x00);
      answers.push_back(frame(kResponse, body));
      break;
    }
    case kFuncSetDefault: {
      for (int node = 2; node < kZWaveNodes; ++node) setNode(node, false);
      silent_.fill(false);
      answers.push_back(frame(kRequest, {kFuncSetDefault, uint8_t(n >= 1 ? params[0] : 0)}));
      break;
    }
    case kFuncSendData: {
      auto more = sendData(params, n);
      answers.insert(answers.end(), more.begin(), more.end());
      break;
    }
    default:
      break;
  }
  return answers;
}

std::vector<Report> SimZWave::sendData(const uint8_t* params, int n) {
  // node, command length m, m command bytes, transmit options, callback id
  const int m = n >= 2 ? params[1] : 0;
  if (n < 2 || n < m + 4) return {frame(kResponse, {kFuncSendData, 0x00})};  // not accepted
  const int node = params[0];
  const uint8_t* cmd = params + 2;
  const uint8_t callbackId = params[m + 3];
  std::vector<Report> answers{frame(kResponse, {kFuncSendData, 0x01})};
  const bool reachable = validNode(node) && node != 1 && present_[size_t(node)];
  answers.push_back(frame(kRequest, {kFuncSendData, callbackId, uint8_t(reachable ? 0 : 1)}));
  if (!reachable || silent_[size_t(node)] || m < 2 || cmd[0] != kBasic) return answers;
  if (cmd[1] == kBasicSet && m >= 3) {
    value_[size_t(node)] = cmd[2];
  } else if (cmd[1] == kBasicGet) {
    answers.push_back(frame(kRequest, {kFuncAppCommand, 0x00, uint8_t(node), 3, kBasic,
                                       kBasicReport, value_[size_t(node)]}));
  }
  return answers;
}

void SimZWave::writeMemory(const Report& out) {
  const int address = out[2] << 8 | out[3];
  setPlugMemory(address, &out[5], std::min<int>(out[4], kMemoryChunkBytes));
}

Report SimZWave::readMemory(const Report& out) const {
  const int address = out[2] << 8 | out[3];
  int len = std::min<int>(out[4], kMemoryChunkBytes);
  len = std::clamp(kPlugMemorySize - address, 0, len);
  Report r{};
  r[0] = 0x01;
  r[1] = 0x14;
  r[2] = out[2];
  r[3] = out[3];
  r[4] = uint8_t(len);
  std::copy_n(memory_.begin() + std::min(address, kPlugMemorySize), len, r.begin() + 5);
  return r;
}

bool SimZWave::nodePresent(int node) const {
  return validNode(node) && present_[size_t(node)];
}

uint8_t SimZWave::nodeValue(int node) const {
  return validNode(node) ? value_[size_t(node)] : 0;
}

void SimZWave::setNode(int node, bool present, uint8_t value) {
  if (!validNode(node) || node == 1) return;
  present_[size_t(node)] = present;
  value_[size_t(node)] = present ? value : 0;
}

std::vector<int> SimZWave::nodes() const {
  std::vector<int> out;
  for (int node = 1; node < kZWaveNodes; ++node)
    if (present_[size_t(node)]) out.push_back(node);
  return out;
}

void SimZWave::setSilentNode(int node) {
  if (!validNode(node) || node == 1) return;
  present_[size_t(node)] = true;
  silent_[size_t(node)] = true;
}

bool SimZWave::silentNode(int node) const {
  return validNode(node) && silent_[size_t(node)];
}

std::vector<Report> SimZWave::addNode(int node) {
  if (!validNode(node) || node == 1) return {};
  setNode(node, true);
  const uint8_t id = uint8_t(node);
  // Status 5 carries the node information: basic device class routing slave, generic
  // binary switch.
  return {frame(kRequest, {kFuncAddNode, kUnsolicitedCallbackId, 1, 0, 0}),
          frame(kRequest, {kFuncAddNode, kUnsolicitedCallbackId, 5, id, 3, 0x04, 0x10, 0x01}),
          frame(kRequest, {kFuncAddNode, kUnsolicitedCallbackId, 6, id, 0})};
}

std::vector<Report> SimZWave::removeNode(int node) {
  if (!validNode(node) || node == 1) return {};
  setNode(node, false);
  silent_[size_t(node)] = false;
  return {frame(kRequest, {kFuncRemoveNode, kUnsolicitedCallbackId, 1, 0, 0}),
          frame(kRequest, {kFuncRemoveNode, kUnsolicitedCallbackId, 6, uint8_t(node), 0})};
}

void SimZWave::setPlugMemory(int address, const uint8_t* data, int length) {
  if (address < 0 || address >= kPlugMemorySize || length <= 0) return;
  length = std::min(length, kPlugMemorySize - address);
  std::copy_n(data, length, memory_.begin() + address);
}

}  // namespace ax7::sim
