#include "device/commands.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

#include "params/byte_order.h"
#include "params/room.h"
#include "params/saturate.h"

namespace ax7 {

namespace {

constexpr uint8_t kReportId = 0x02;
constexpr int kMaxPayload = int(kReportSize) - 2;                  // 59
constexpr int kDspHeader = 6;                                      // 02 09 00 block index count
constexpr int kMaxDspWords = (int(kReportSize) - kDspHeader) / 4;  // 13
constexpr int kMemHeader = 5;                                      // 02 85 hi lo length
constexpr int kMaxMemoryChunk = 56;

constexpr uint8_t kCmdDspWrite = 0x09;
constexpr uint8_t kCmdSaveMode = 0x03;
constexpr uint8_t kCmdSelectMode = 0x04;
constexpr uint8_t kCmdZWave = 0x12;
constexpr uint8_t kCmdWriteMemory = 0x85;

constexpr int kChannels = 8;
constexpr int kMicInputs = 4;
constexpr int kMaxMode = 3;
constexpr int kFadeStepMs = 30;
constexpr int kSaveModePauseMs = 20;

// Block 1 (microphones), 2 (echo), 3 (reverb), 4 (music); outputs are 5 + channel.
constexpr int kMicBlock = 1;
constexpr int kEchoBlock = 2;
constexpr int kReverbBlock = 3;
constexpr int kMusicBlock = 4;
constexpr int outputBlock(int channel) {
  return 5 + channel;
}

bool validChannel(int channel) {
  return channel >= 0 && channel < kChannels;
}

Report newFrame(uint8_t code) {
  Report r{};
  r[0] = kReportId;
  r[1] = code;
  return r;
}

// Minimum clamps that also catch NaN, so memory never keeps a value the box cannot take.
float atLeast(float v, float minimum) {
  return v >= minimum ? v : minimum;
}

// Period of the shift oscillator, by shift value 0..5, in ms.
constexpr float kShiftPeriodMs[] = {0.0f, 0.0f, 100.0f, 58.333f, 37.5f, 25.0f};

}  // namespace

float EncodeLevel(int value) {
  return float(value) / 100.0f;
}
float EncodeGate(int value) {
  return float(value) / 10000.0f;
}
float EncodeMaster(int value) {
  // Worked out exactly, then rounded once to a single: 80 gives the single nearest 0.8005.
  return float(double(value) / 100.0 + 0.0005);
}
int32_t EncodeSamples(float ms) {
  // A wild time (NaN, infinite, huge) saturates rather than reaching an undefined conversion.
  return SaturateToInt32(double(ms) * 48.0 + 0.5);
}
uint32_t ByteWord(int value) {
  return uint32_t(value) & 0xFFu;
}
float EncodeAngularFrequency(double hz) {
  return float(2.0 * std::numbers::pi * hz / 48000.0);
}

std::array<float, 6> PackRoomTrim(float gainDb) {
  const double g = gainDb;
  // The square is held in single precision before it is scaled; the box's tables were made
  // that way, and the words must match them bit for bit.
  const float g2 = float(g * g);
  const float c1 = float(std::pow(10.0, (0.0022594517 * double(g2) + 0.799902 * g) / 20.0));
  const float c2 = float(std::pow(10.0, g / 20.0));
  const float k1 = std::bit_cast<float>(uint32_t(0x3F7EFF25));  // 0.99608070
  const float k2 = std::bit_cast<float>(uint32_t(0xBFFF7EF1));  // -1.99606144
  return {c1, c2, k1, k2, c1, c2};
}

Commands::Commands(ParameterMemory& mem, UsbLink& link, Clock& clock)
    : mem_(mem), link_(link), clock_(clock) {}

int Commands::sendFrame(const Report& frame) {
  return link_.WriteUsbData(frame.data(), frame.size());
}

// ---- base senders -------------------------------------------------------------------------

int Commands::SendCommand(std::initializer_list<int> codeAndArgs) {
  if (codeAndArgs.size() == 0) return 0;
  auto it = codeAndArgs.begin();
  Report r = newFrame(uint8_t(*it++));
  for (int n = 0; it != codeAndArgs.end() && *it != -1 && n < kMaxPayload; ++it, ++n) {
    r[2 + n] = uint8_t(*it);
  }
  return sendFrame(r);
}

int Commands::WriteDspWords(int block, int index, const uint32_t* words, int count) {
  if (count < 1 || count > kMaxDspWords || words == nullptr) return 0;
  Report r = newFrame(kCmdDspWrite);
  r[2] = 0x00;
  r[3] = uint8_t(block);
  r[4] = uint8_t(index);
  r[5] = uint8_t(count);
  for (int i = 0; i < count; ++i) putBe32(&r[kDspHeader + 4 * i], words[i]);
  return sendFrame(r);
}

int Commands::WriteDspParam(int block, int index, float value, int count) {
  if (count < 1 || count > kMaxDspWords) return 0;
  std::array<uint32_t, kMaxDspWords> words;
  words.fill(std::bit_cast<uint32_t>(value));
  return WriteDspWords(block, index, words.data(), count);
}

int Commands::WriteBiquad(int block, int index, const dsp::BiquadCoefficients& c) {
  const std::array<float, 5> f = dsp::boxWords(c);
  std::array<uint32_t, 5> words;
  for (size_t i = 0; i < f.size(); ++i) words[i] = std::bit_cast<uint32_t>(f[i]);
  return WriteDspWords(block, index, words.data(), int(words.size()));
}

int Commands::WriteBoxMemory(int address, const uint8_t* data, int length) {
  if (length < 0 || address < 0 || address > 0xFFFF) return 0;
  length = std::min(length, kMaxMemoryChunk);
  if (length > 0 && data == nullptr) return 0;
  Report r = newFrame(kCmdWriteMemory);
  r[2] = uint8_t(address >> 8);
  r[3] = uint8_t(address);
  r[4] = uint8_t(length);
  std::copy(data, data + length, r.begin() + kMemHeader);
  return sendFrame(r);
}

// ---- shared encoder shapes ----------------------------------------------------------------

void Commands::setByteWord(int word, int block, int index, int v) {
  mem_.pc.setInt(size_t(word), v);
  const uint32_t w = ByteWord(v);
  WriteDspWords(block, index, &w, 1);
}

void Commands::setLevel(int word, int block, int index, int v) {
  mem_.pc.setInt(size_t(word), v);
  WriteDspParam(block, index, EncodeLevel(v), 1);
}

void Commands::setPredelay(int word, int block, int index, float ms) {
  ms = atLeast(ms, 2.0f);
  mem_.pc.setFloat(size_t(word), ms);
  const uint32_t w = uint32_t(EncodeSamples(ms));
  WriteDspWords(block, index, &w, 1);
}

void Commands::setEchoTime(int word, int block, int index, float ms) {
  // Whole milliseconds only; NaN goes to the minimum like any too-short time.
  ms = atLeast(std::trunc(ms), 40.0f);
  mem_.pc.setFloat(size_t(word), ms);
  const uint32_t w = uint32_t(EncodeSamples(ms));
  WriteDspWords(block, index, &w, 1);
}

void Commands::setReverbTime(int word, int block, int index, int v) {
  mem_.pc.setFloat(size_t(word), float(v));
  const float level = EncodeLevel(v);
  WriteDspParam(block, index, level, 1);
  WriteDspParam(block, index + 1, level, 1);
}

void Commands::setShiftFreq(int word, int offWord, int block, int firstIndex, int value) {
  if (value < 0 || value > 5) return;  // no period for other values
  mem_.pc.setInt(size_t(word), value);
  const int offIndex = firstIndex + 2;
  if (value == 1) {
    mem_.pc.setInt(size_t(offWord), 1);
    const uint32_t off = ByteWord(1);
    WriteDspWords(block, offIndex, &off, 1);
    return;
  }
  mem_.pc.setInt(size_t(offWord), 0);
  const uint32_t on = ByteWord(0);
  WriteDspWords(block, offIndex, &on, 1);
  WriteDspParam(block, firstIndex, EncodeAngularFrequency(value), 1);
  const uint32_t period = uint32_t(EncodeSamples(kShiftPeriodMs[value]));
  WriteDspWords(block, firstIndex + 1, &period, 1);
}

// ---- byte words ---------------------------------------------------------------------------

void Commands::SetMicAEqBypass(int v) {
  setByteWord(5, kMicBlock, 26, v);
}
void Commands::SetMicBEqBypass(int v) {
  setByteWord(13, kMicBlock, 45, v);
}
void Commands::SetEchoAEqBypass(int v) {
  setByteWord(29, kEchoBlock, 7, v);
}
void Commands::SetEchoBEqBypass(int v) {
  setByteWord(35, kEchoBlock, 20, v);
}
void Commands::SetReverbAEqBypass(int v) {
  setByteWord(43, kReverbBlock, 7, v);
}
void Commands::SetReverbBEqBypass(int v) {
  setByteWord(47, kReverbBlock, 19, v);
}
void Commands::SetMusicEqBypass(int v) {
  setByteWord(61, kMusicBlock, 10, v);
}
void Commands::SetMusicSource(int v) {
  setByteWord(63, kMusicBlock, 20, v);
}

void Commands::SetDelayOn(int channel, int v) {
  if (validChannel(channel)) setByteWord(161 + channel, outputBlock(channel), 19, v);
}

void Commands::SetCompressorOn(int channel, int v) {
  if (validChannel(channel)) setByteWord(113 + channel, outputBlock(channel), 28, v);
}

// ---- levels -------------------------------------------------------------------------------

void Commands::SetMicVolume(int input, int v) {
  if (input >= 0 && input < kMicInputs) setLevel(19 + input, kMicBlock, 4 + input, v);
}

void Commands::SetMicGate(int input, int v) {
  if (input < 0 || input >= kMicInputs) return;
  mem_.pc.setInt(size_t(23 + input), v);
  WriteDspParam(kMicBlock, 8 + input, EncodeGate(v), 1);
}

void Commands::SetEchoLevelA(int v) {
  setLevel(30, kEchoBlock, 8, v);
}
void Commands::SetEchoLevelB(int v) {
  setLevel(36, kEchoBlock, 21, v);
}
void Commands::SetEchoStartVolA(int v) {
  setLevel(33, kEchoBlock, 11, v);
}
void Commands::SetEchoStartVolB(int v) {
  setLevel(39, kEchoBlock, 24, v);
}
void Commands::SetEchoDecayA(int v) {
  setLevel(34, kEchoBlock, 12, v);
}
void Commands::SetEchoDecayB(int v) {
  setLevel(40, kEchoBlock, 25, v);
}
void Commands::SetReverbLevelA(int v) {
  setLevel(44, kReverbBlock, 8, v);
}
void Commands::SetReverbLevelB(int v) {
  setLevel(48, kReverbBlock, 20, v);
}
void Commands::SetOpticalVolume(int v) {
  setLevel(54, kMusicBlock, 21, v);
}
void Commands::SetHdmiVolume(int v) {
  setLevel(55, kMusicBlock, 23, v);
}
void Commands::SetBtVolume(int v) {
  setLevel(56, kMusicBlock, 27, v);
}

// ---- times --------------------------------------------------------------------------------

void Commands::SetEchoPredelayA(float ms) {
  setPredelay(31, kEchoBlock, 9, ms);
}
void Commands::SetEchoPredelayB(float ms) {
  setPredelay(37, kEchoBlock, 22, ms);
}
void Commands::SetReverbPredelayA(float ms) {
  setPredelay(45, kReverbBlock, 9, ms);
}
void Commands::SetReverbPredelayB(float ms) {
  setPredelay(49, kReverbBlock, 21, ms);
}
void Commands::SetEchoTimeA(float ms) {
  setEchoTime(32, kEchoBlock, 10, ms);
}
void Commands::SetEchoTimeB(float ms) {
  setEchoTime(38, kEchoBlock, 23, ms);
}
void Commands::SetReverbTimeA(int v) {
  setReverbTime(46, kReverbBlock, 10, v);
}
void Commands::SetReverbTimeB(int v) {
  setReverbTime(50, kReverbBlock, 22, v);
}

void Commands::SetChannelDelay(int channel, float ms) {
  if (!validChannel(channel)) return;
  ms = atLeast(ms, 1.5f);
  mem_.pc.setFloat(size_t(153 + channel), ms);
  const uint32_t w = uint32_t(EncodeSamples(ms));
  WriteDspWords(outputBlock(channel), 18, &w, 1);
}

// ---- the rest -----------------------------------------------------------------------------

void Commands::SetShiftFreqA(int value) {
  setShiftFreq(7, 8, kMicBlock, 31, value);
}
void Commands::SetShiftFreqB(int value) {
  setShiftFreq(15, 16, kMicBlock, 50, value);
}

void Commands::SetMusicMute(int muted) {
  mem_.pc.setInt(60, muted);
  if (muted != 0) {
    WriteDspParam(kMusicBlock, 12, 0.0f, 1);
    return;
  }
  // Fade in, so unmuting does not click.
  for (int step = 0; step <= 8; ++step) {
    WriteDspParam(kMusicBlock, 12, float(step) / 10.0f, 1);
    clock_.sleepFor(kFadeStepMs);
  }
  WriteDspParam(kMusicBlock, 12, 1.0f, 1);
}

void Commands::SetMusicAgcLevel(uint32_t raw) {
  mem_.pc.setRaw(194, raw);
  WriteDspWords(kMusicBlock, 14, &raw, 1);
}

void Commands::SetCompressor(int channel, float threshold, float ratio, float attackMs,
                             float releaseMs) {
  if (!validChannel(channel)) return;
  mem_.pc.setFloat(size_t(121 + channel), threshold);
  mem_.pc.setFloat(size_t(129 + channel), ratio);
  mem_.pc.setFloat(size_t(137 + channel), attackMs);
  mem_.pc.setFloat(size_t(145 + channel), releaseMs);
  const float values[7] = {
      threshold,
      0.0f,
      float(1.0 - 1.0 / double(ratio)),
      20.0f,
      0.05f,
      float(1.0 - std::exp(-1.0 / (double(attackMs) * 48.0))),
      float(1.0 - std::exp(-1.0 / (double(releaseMs) * 48.0))),
  };
  uint32_t words[7];
  for (int i = 0; i < 7; ++i) words[i] = std::bit_cast<uint32_t>(values[i]);
  WriteDspWords(outputBlock(channel), 27, words, 7);
}

void Commands::SetRoomTrim(int channel, float trimDb) {
  if (!validChannel(channel)) return;
  PutRoomTrimDb(mem_, channel, trimDb);
  const auto block = mem_.roomTrim.snapshot();
  WriteBoxMemory(kRoomTrimAddress, block.data(), int(block.size()));
  const auto trim = PackRoomTrim(trimDb);
  uint32_t words[6];
  for (int i = 0; i < 6; ++i) words[i] = std::bit_cast<uint32_t>(trim[size_t(i)]);
  WriteDspWords(outputBlock(channel), 29, words, 6);
}

void Commands::SelectBoxMode(int mode) {
  mode = std::clamp(mode, 0, kMaxMode);
  mem_.dev.g_bParamsChanged.store(0);
  mem_.dev.g_nCurrentMode.store(mode);
  SendCommand(kCmdSelectMode, mode);
}

void Commands::SaveBoxMode(int mode) {
  if (ReportTrace* trace = link_.trace()) trace->phase("SaveBoxMode");
  mode = std::clamp(mode, 0, kMaxMode);
  mem_.dev.g_nCurrentMode.store(mode);
  SendCommand(kCmdSaveMode, mode);
  clock_.sleepFor(kSaveModePauseMs);
  // Both halves name the same mode, even if a mode report from the box arrived in the pause.
  SendCommand(kCmdSelectMode, mode);
}

int Commands::SendZWaveFrame(const uint8_t* payload, int n) {
  // 02 12 len | 01 n+2 00 payload checksum: 7 bytes around the payload.
  if (n < 1 || n > int(kReportSize) - 7 || payload == nullptr) return 0;
  Report r = newFrame(kCmdZWave);
  r[2] = uint8_t(n + 4);
  r[3] = 0x01;  // start of frame
  r[4] = uint8_t(n + 2);
  r[5] = 0x00;  // request
  std::copy(payload, payload + n, r.begin() + 6);
  uint8_t checksum = 0xFF;
  for (int i = 4; i < 6 + n; ++i) checksum ^= r[size_t(i)];
  r[size_t(6 + n)] = checksum;
  return sendFrame(r);
}

void Commands::StoreRoomBlock() {
  const auto block = EncodeRoomBlock(mem_);
  mem_.roomBlock.copyIn(0, block.data(), block.size());
  WriteBoxMemory(kRoomBlockAddress, block.data(), int(block.size()));
}

void Commands::ResetRoom() {
  for (int ch = 0; ch < kChannels; ++ch) SetRoomTrim(ch, 0.0f);
  mem_.roomBlock.copyIn(0, kDefaultRoomBlock.data(), kDefaultRoomBlock.size());
  DecodeRoomBlock(mem_);
  StoreRoomBlock();
}

}  // namespace ax7
