#pragma once
// The Z-Wave controller module of the simulated box and the plug memory beside it.
//
// The program wraps Serial API frames (0x01 SOF, length, type, function id, parameters, XOR
// checksum) in report 0x12; every frame the module sends back travels in an input report
// 0x12: byte 2 the frame's byte count, the frame from byte 3. The module knows just enough to
// serve the program's plug reset and plug poll:
//   0x02 SERIAL_API_GET_INIT_DATA -> response with the node bitmap (29 bytes)
//   0x42 SET_DEFAULT (callback id) -> callback 0x42; the network shrinks to the controller
//   0x13 SEND_DATA (node, length, command, options, callback id) -> response (accepted),
//        callback with transmit status 0, or 1 (no acknowledgement) for an absent node; for
//        Basic Get a Basic Report from the node follows (function 0x04), Basic Set stores the
//        node's value.
// A valid request is first acknowledged with a one-byte 0x06 frame, a frame with a bad
// checksum or length is answered with 0x15 (NAK). Single-byte frames from the program (its
// ACKs of the module's frames) get no answer, as on a real module. Other function ids are
// acknowledged only.
//
// For fault injection: a silent node is in the network and takes its radio frames (transmit
// status 0) but never reports a value; addNode and removeNode give the callbacks the module
// sends on its own when a plug joins or leaves (function 0x4A, 0x4B).
#include <array>
#include <cstddef>  // report.h uses size_t
#include <cstdint>
#include <vector>

#include "device/report.h"

namespace ax7::sim {

constexpr int kZWaveNodes = 233;       // node ids 0..232; 1 is the controller
constexpr int kPlugMemorySize = 6748;  // 233 plug records of 28 bytes, 4 scenes of 56
constexpr int kPlugRecordSize = 28;

class SimZWave {
 public:
  // The controller (node 1) with a switch plug at node 2 (on), a dimmer at 3 (value 40)
  // and a switch plug at 4 (off), their plug records named "Plug 2".."Plug 4".
  SimZWave();

  // Answers to one output report 0x12.
  std::vector<Report> handleFrame(const Report& out);
  // Output report 0x13 (address high, low, length, data): writes plug memory.
  void writeMemory(const Report& out);
  // Output report 0x14 (address high, low, length): answer 0x14 with address, length, data.
  Report readMemory(const Report& out) const;

  bool nodePresent(int node) const;
  uint8_t nodeValue(int node) const;
  // Adds (or removes) a node; node 1 stays the controller.
  void setNode(int node, bool present, uint8_t value = 0);
  std::vector<int> nodes() const;
  // Puts the node in the network as a plug that never answers a Basic Get.
  void setSilentNode(int node);
  bool silentNode(int node) const;
  // The node joins (or leaves) the network; returns the module's unsolicited callbacks:
  // add-node status 1 (ready), 5 (protocol done, with the node), 6 (done); remove-node
  // status 1 (ready), 6 (done, with the node).
  std::vector<Report> addNode(int node);
  std::vector<Report> removeNode(int node);

  const std::array<uint8_t, kPlugMemorySize>& plugMemory() const { return memory_; }
  void setPlugMemory(int address, const uint8_t* data, int length);

  // XOR checksum of a Serial API frame over the bytes from the length byte on, started at 0xFF.
  static uint8_t checksum(const uint8_t* fromLength, int count);

 private:
  std::vector<Report> sendData(const uint8_t* params, int n);

  std::array<bool, kZWaveNodes> present_{};
  std::array<uint8_t, kZWaveNodes> value_{};
  std::array<bool, kZWaveNodes> silent_{};
  std::array<uint8_t, kPlugMemorySize> memory_{};
};

}  // namespace ax7::sim
