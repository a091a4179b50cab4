#pragma once
// The simulated box: the box side of the protocol as a plain state machine. One output
// report in, the input reports the box sends back out; no threads, no time (the backend adds
// both). Copyable: a copy is a complete snapshot of the box.
//
// What it answers (every input report has byte 0 = 0x01, byte 1 = the code):
//   0x03/0x04 N  store the live parameters and memory as mode N, N becomes current; ack
//   0x05 N       recall mode N into the live state, N becomes current; ack
//   0x06 N       mode N back to factory and recalled, N becomes current; ack
//   0x07         0x07 with the current mode
//   0x09         stores the words; answers 0x09 (the box saw a change)
//   0x0A         0x0A: status 0, block, index, count, the words (zeros where none are stored)
//   0x0E         0x0E with the 15-byte live status (moving levels) and mic 2's battery
//   0x12         Z-Wave frames (sim_zwave.h)
//   0x13/0x14    plug memory write (ack) / read (0x14 with address, length, data)
//   0x60 k       after learnDelayMs(): 0x60 with the code byte, k and the learned code
//   0x61         stops learning; ack
//   0x62/0x63    remote key table read (16 bytes) / write (18 bytes, ack)
//   0x68 0xAA    factory reset of everything but the Z-Wave side; ack
//   0x7F         0x7F with the protocol version
//   0x80         0x80 with the module name; 0x81 with the MCU version, then 0x7E with the
//                DSP version
//   0x85/0x86    box memory write (ack) / read (0x86 with address, length, data)
//   0x91/0x92    settings record write (ack) / read (0x92 with the 13 bytes)
//   0x95         four 0xDB reports with the mode names
// Every other report, and every malformed one, is acknowledged by a report with the same
// code and no payload, so the program's reply gate never waits on a live box.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/report.h"
#include "params/memory.h"
#include "sim/sim_param_map.h"
#include "sim/sim_zwave.h"

namespace ax7::sim {

constexpr int kBoxMemorySize = 1298;  // box image 0..1245, room trim 1246..1277, room 1278..1297
constexpr int kModeNameChars = 24;
constexpr int kDefaultLearnDelayMs = 500;
constexpr uint8_t kLearnCodeByte = 0x20;  // byte 2 of every learn answer

using BoxMemory = std::array<uint8_t, kBoxMemorySize>;

// What a stored mode keeps.
struct SimModeState {
  DspParams params;
  BoxMemory memory{};
  bool operator==(const SimModeState&) const = default;
};

struct SimIdentity {
  std::string module = "AX7";
  uint8_t cmdVersion = 17;
  std::string mcuVersion = "2024-05-18";
  std::string dspVersion = "2024-05-20";
};

// One answer and how long after the request it leaves the box. A learn answer carries the
// ticket that completeLearning() checks when it is due.
struct SimReply {
  Report report{};
  int delayMs = 0;
  uint32_t learnTicket = 0;
};

class SimBox {
 public:
  SimBox();  // the factory state

  // The answers to one output report, all at once (a learn answer counts as learned).
  std::vector<Report> handle(const Report& out);
  // The same with delays: a learn answer comes after learnDelayMs() and only counts when
  // completeLearning(ticket) is true at that time (0x61 or another 0x60 cancel it).
  std::vector<SimReply> respond(const Report& out);
  bool completeLearning(uint32_t ticket);

  // The factory state of the live parameters and memory (what 0x06 and 0x68 restore).
  static const SimModeState& factoryState();

  std::vector<uint32_t> dspParam(int block, int index) const;
  void setDspParam(int block, int index, std::vector<uint32_t> words);
  const DspParams& dspParams() const { return live_.params; }
  // Replaces the live parameters with those encoded from a PC block and room trim block
  // (for example a mode file loaded into parameter memory), and box memory with its box
  // image, room trim block and room block.
  void loadParameterMemory(const ParameterMemory& mem);

  const BoxMemory& memory() const { return live_.memory; }
  void setMemory(int address, const uint8_t* data, int length);
  // Erased memory reads 0xFF, which the program takes for a blank box.
  void eraseMemory();

  int currentMode() const { return currentMode_; }
  void setCurrentMode(int mode);
  const SimModeState& storedMode(int mode) const;
  void setStoredMode(int mode, SimModeState state);
  const SimModeState& liveState() const { return live_; }

  const std::array<uint8_t, kSettingsSize>& settings() const { return settings_; }
  void setSettings(const std::array<uint8_t, kSettingsSize>& s) { settings_ = s; }
  const std::array<uint8_t, kRemoteKeysSize>& remoteKeys() const { return keys_; }
  void setRemoteKeys(const std::array<uint8_t, kRemoteKeysSize>& k) { keys_ = k; }
  // The code the box "receives" when key k is learned.
  static uint8_t learnedCode(int key) { return uint8_t(0x40 + key); }
  int learnDelayMs() const { return learnDelayMs_; }
  void setLearnDelayMs(int ms) { learnDelayMs_ = ms < 0 ? 0 : ms; }
  bool learning() const { return learningKey_ != 0; }

  std::u16string modeName(int mode) const;
  void setModeName(int mode, std::u16string name);  // at most 24 characters are kept

  const SimIdentity& identity() const { return identity_; }
  void setIdentity(SimIdentity id) { identity_ = std::move(id); }

  // Music format flags of the live status (bit 0 DOLBY, 1 DTS, 2 multichannel LPCM).
  void setMusicFormat(uint8_t flags) { musicFormat_ = flags; }
  int statusRequests() const { return statusRequests_; }

  SimZWave& zwave() { return zwave_; }
  const SimZWave& zwave() const { return zwave_; }

 private:
  Report liveStatus();
  Report paramAnswer(const Report& out) const;
  Report memoryAnswer(const Report& out) const;
  void writeDsp(const Report& out);
  void resetToFactory();

  SimModeState live_;
  std::array<SimModeState, kModeCount> modes_;
  int currentMode_ = 0;
  std::array<uint8_t, kSettingsSize> settings_{};
  std::array<uint8_t, kRemoteKeysSize> keys_{};
  std::array<std::u16string, kModeCount> modeNames_;
  SimIdentity identity_;
  int learnDelayMs_ = kDefaultLearnDelayMs;
  int learningKey_ = 0;  // 0: not learning
  uint32_t learnTicket_ = 0;
  uint8_t musicFormat_ = 0x01;
  int statusRequests_ = 0;
  SimZWave zwave_;
};

}  // namespace ax7::sim
