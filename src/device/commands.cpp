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
constexpr int kMaxMemoryChunk = kMemoryChunkBytes;

constexpr uint8_t kCmdDspWrite = 0x09;
constexpr uint8_t kCmdDspRead = 0x0A;
constexpr uint8_t kCmdStatus = 0x0E;
constexpr uint8_t kCmdReset = 0x68;
constexpr uint8_t kResetConfirm = 0xAA;
constexpr uint8_t kCmdSaveMode = 0x03;
constexpr uint8_t kCmdSelectMode = 0x04;
constexpr uint8_t kCmdWriteMemory = 0x85;

constexpr int kMaxMode = kModeCount - 1;
constexpr int kFadeStepMs = 30;
constexpr int kSaveModePauseMs = 20;

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

Commands::Commands(ParameterMemory& mem, UsbLink& link, Clock& clock, FrameSink* sink)
    : mem_(mem), link_(link), clock_(clock), direct_(link, clock), sink_(sink ? *sink : direct_) {}

int Commands::sendFrame(const Report& frame, MergeKey key) {
  return sink_.send(frame, key);
}

void Commands::pause(int ms) {
  sink_.pause(ms);
}

void Commands::phase(const char* name) {
  sink_.phase(name);
}

// ---- base senders -------------------------------------------------------------------------

int Commands::SendCommand(std::initializer_list<int> codeAndArgs) {
  if (codeAndArgs.size() == 0) return 0;
  auto it = codeAndArgs.begin();
  Report r = newFrame(uint8_t(*it++));
  for (int n = 0; it != codeAndArgs.end() && *it != -1 && n < kMaxPayload; ++it, ++n) {
    r[2 + n] = uint8_t(*it);
  }
  return sendFrame(r, MergeKey::None());
}

int Commands::WriteDspWords(int block, int index, const uint32_t* words, int count) {
  if (count < 1 || count > kMaxDspWords || words == nullptr) return 0;
  Report r = newFrame(kCmdDspWrite);
  r[2] = 0x00;
  r[3] = uint8_t(block);
  r[4] = uint8_t(index);
  r[5] = uint8_t(count);
  for (int i = 0; i < count; ++i) putBe32(&r[kDspHeader + 4 * i], words[i]);
  return sendFrame(r, MergeKey::DspWords(block, index, count));
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
  return sendFrame(r, MergeKey::BoxMemory(address, length));
}

// ---- the parameter path -------------------------------------------------------------------

int Commands::writeWord(const ParamDesc& d, int instance, uint32_t word) {
  return WriteDspWords(d.blockOf(instance), d.indexOf(instance), &word, 1);
}

int Commands::writeValue(const ParamDesc& d, int instance, float value) {
  return WriteDspParam(d.blockOf(instance), d.indexOf(instance), value, d.count);
}

int Commands::WriteParamValue(Param p, int instance, float value) {
  const ParamDesc& d = Describe(p);
  if (!d.validInstance(instance)) return 0;
  return writeValue(d, instance, value);
}

int Commands::RequestParam(Param p, int instance) {
  const ParamDesc& d = Describe(p);
  if (!d.validInstance(instance)) return 0;
  return SendCommand(kCmdDspRead, 0x00, d.blockOf(instance), d.indexOf(instance), d.count);
}

int Commands::RequestStatus() {
  return sendFrame(newFrame(kCmdStatus), MergeKey::StatusRequest());
}

int Commands::ResetMachine() {
  return SendCommand(kCmdReset, kResetConfirm);
}

void Commands::SetParam(Param p, int instance, double value) {
  const ParamDesc& d = Describe(p);
  if (!d.validInstance(instance)) return;
  const auto asInt = [value] { return SaturateToInt32(value); };
  // Only shift values with a period exist; anything else leaves memory and the box alone.
  if ((d.encoding == Encoding::ShiftFreq || d.encoding == Encoding::ShiftPeriod) &&
      !(value >= 0 && value <= 5)) {
    return;
  }
  if (d.encoding == Encoding::Compressor) return;  // four values: SetCompressor
  noteEdit({EditKey::Kind::Param, int(d.id), instance});

  const size_t word = size_t(d.wordOf(instance));
  switch (d.encoding) {
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
      mem_.pc.setFloat(word, float(value));  // clamped by sendStored
      break;
    case Encoding::ReverbTime:
      mem_.pc.setFloat(word, float(asInt()));
      break;
    case Encoding::RawWord:
      mem_.pc.setRaw(word, uint32_t(value >= 0 && value <= 4294967295.0 ? int64_t(value) : 0));
      break;
    case Encoding::RoomTrim:
      PutRoomTrimDb(mem_, instance, float(value));
      break;
    default:
      mem_.pc.setInt(word, asInt());
      break;
  }
  SendParam(p, instance);
}

void Commands::SendParam(Param p, int instance) {
  const ParamDesc& d = Describe(p);
  if (!d.validInstance(instance)) return;
  switch (p) {
    case Param::EffectMaster:
      // Both effect groups take the same master volume.
      sendStored(d, instance);
      sendStored(Describe(Param::EffectMasterB), instance);
      return;
    case Param::ReverbTimeA:
      sendStored(d, instance);
      sendStored(Describe(Param::ReverbTimeA2), instance);
      return;
    case Param::ReverbTimeB:
      sendStored(d, instance);
      sendStored(Describe(Param::ReverbTimeB2), instance);
      return;
    default:
      sendStored(d, instance);
      return;
  }
}

void Commands::sendStored(const ParamDesc& d, int instance) {
  auto& pc = mem_.pc;
  const size_t word = size_t(d.wordOf(instance));
  switch (d.encoding) {
    case Encoding::Level:
      writeValue(d, instance, EncodeLevel(pc.getInt(word)));
      break;
    case Encoding::Gate:
      writeValue(d, instance, EncodeGate(pc.getInt(word)));
      break;
    case Encoding::Master:
      writeValue(d, instance, EncodeMaster(pc.getInt(word)));
      break;
    case Encoding::ByteWord:
    case Encoding::ShiftOff:
      writeWord(d, instance, ByteWord(pc.getInt(word)));
      break;
    case Encoding::Switch:
      writeValue(d, instance, pc.getInt(word) != 0 ? 1.0f : 0.0f);
      break;
    case Encoding::Mute:
      writeValue(d, instance, pc.getInt(word) != 0 ? 0.0f : 1.0f);
      break;
    case Encoding::Phase:
      writeValue(d, instance, pc.getInt(word) != 0 ? -1.0f : 1.0f);
      break;
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay: {
      float ms = pc.getFloat(word);
      // Whole milliseconds only for the echo time; NaN goes to the minimum like any too-short
      // time.
      if (d.encoding == Encoding::EchoTime) ms = std::trunc(ms);
      ms = atLeast(ms, d.minimum);
      pc.setFloat(word, ms);
      writeWord(d, instance, uint32_t(EncodeSamples(ms)));
      break;
    }
    case Encoding::ReverbTime: {
      const int v = SaturateToInt32(pc.getFloat(word));
      pc.setFloat(word, float(v));
      writeValue(d, instance, EncodeLevel(v));
      break;
    }
    case Encoding::Pitch:
      // The box takes the pitch as a byte word of 0..10; a wild word from a file keeps only
      // its low byte like every byte word (unsigned sum: no overflow).
      writeWord(d, instance, (pc.raw(word) + 5u) & 0xFFu);
      break;
    case Encoding::RawWord:
      writeWord(d, instance, pc.raw(word));
      break;
    case Encoding::ShiftFreq:
      sendShiftFreq(d);
      break;
    case Encoding::ShiftPeriod: {
      const int v = pc.getInt(word);
      if (v >= 0 && v <= 5) writeWord(d, instance, uint32_t(EncodeSamples(kShiftPeriodMs[v])));
      break;
    }
    case Encoding::MusicMute:
      sendMusicMute(d);
      break;
    case Encoding::DelayMode: {
      const uint32_t words[2] = {std::bit_cast<uint32_t>(1.0f),
                                 std::bit_cast<uint32_t>(pc.getInt(word) == 1 ? 0.0f : 1.0f)};
      WriteDspWords(d.blockOf(instance), d.indexOf(instance), words, 2);
      break;
    }
    case Encoding::Compressor: {
      const float threshold = pc.getFloat(word);
      const double ratio = pc.getFloat(word + 8);
      const double attackMs = pc.getFloat(word + 16);
      const double releaseMs = pc.getFloat(word + 24);
      const float values[7] = {
          threshold,
          0.0f,
          float(1.0 - 1.0 / ratio),
          20.0f,
          0.05f,
          float(1.0 - std::exp(-1.0 / (attackMs * 48.0))),
          float(1.0 - std::exp(-1.0 / (releaseMs * 48.0))),
      };
      uint32_t words[7];
      for (int i = 0; i < 7; ++i) words[i] = std::bit_cast<uint32_t>(values[i]);
      WriteDspWords(d.blockOf(instance), d.indexOf(instance), words, 7);
      break;
    }
    case Encoding::RoomTrim: {
      // The whole trim block goes to the box's memory, then the channel's six words.
      const auto block = mem_.roomTrim.snapshot();
      WriteBoxMemory(kRoomTrimAddress, block.data(), int(block.size()));
      const auto trim = PackRoomTrim(RoomTrimDb(mem_, instance));
      uint32_t words[6];
      for (int i = 0; i < 6; ++i) words[i] = std::bit_cast<uint32_t>(trim[size_t(i)]);
      WriteDspWords(d.blockOf(instance), d.indexOf(instance), words, 6);
      break;
    }
  }
}

void Commands::sendShiftFreq(const ParamDesc& d) {
  // The shift word, its off flag and the oscillator's period travel together.
  const bool groupA = d.id == Param::ShiftFreqA;
  const ParamDesc& off = Describe(groupA ? Param::ShiftOffA : Param::ShiftOffB);
  const ParamDesc& period = Describe(groupA ? Param::ShiftPeriodA : Param::ShiftPeriodB);
  const int value = mem_.pc.getInt(size_t(d.word));
  if (value < 0 || value > 5) return;  // no period for other values
  if (value == 1) {
    mem_.pc.setInt(size_t(off.word), 1);
    writeWord(off, 0, ByteWord(1));
    return;
  }
  mem_.pc.setInt(size_t(off.word), 0);
  writeWord(off, 0, ByteWord(0));
  writeValue(d, 0, EncodeAngularFrequency(value));
  writeWord(period, 0, uint32_t(EncodeSamples(kShiftPeriodMs[value])));
}

void Commands::sendMusicMute(const ParamDesc& d) {
  if (mem_.pc.getInt(size_t(d.word)) != 0) {
    writeValue(d, 0, 0.0f);
    return;
  }
  // Fade in, so unmuting does not click.
  for (int step = 0; step <= 8; ++step) {
    writeValue(d, 0, float(step) / 10.0f);
    pause(kFadeStepMs);
  }
  writeValue(d, 0, 1.0f);
}

// ---- named encoders -----------------------------------------------------------------------

void Commands::SetMicAEqBypass(int v) {
  SetParam(Param::MicAEqBypass, v);
}
void Commands::SetMicBEqBypass(int v) {
  SetParam(Param::MicBEqBypass, v);
}
void Commands::SetEchoAEqBypass(int v) {
  SetParam(Param::EchoAEqBypass, v);
}
void Commands::SetEchoBEqBypass(int v) {
  SetParam(Param::EchoBEqBypass, v);
}
void Commands::SetReverbAEqBypass(int v) {
  SetParam(Param::ReverbAEqBypass, v);
}
void Commands::SetReverbBEqBypass(int v) {
  SetParam(Param::ReverbBEqBypass, v);
}
void Commands::SetMusicEqBypass(int v) {
  SetParam(Param::MusicEqBypass, v);
}
void Commands::SetMusicSource(int v) {
  SetParam(Param::MusicSource, v);
}
void Commands::SetDelayOn(int channel, int v) {
  SetParam(Param::DelayOn, channel, v);
}
void Commands::SetCompressorOn(int channel, int v) {
  SetParam(Param::CompressorOn, channel, v);
}

void Commands::SetMicVolume(int input, int v) {
  SetParam(Param::MicVolume, input, v);
}
void Commands::SetMicGate(int input, int v) {
  SetParam(Param::MicGate, input, v);
}
void Commands::SetEchoLevelA(int v) {
  SetParam(Param::EchoLevelA, v);
}
void Commands::SetEchoLevelB(int v) {
  SetParam(Param::EchoLevelB, v);
}
void Commands::SetEchoStartVolA(int v) {
  SetParam(Param::EchoStartVolA, v);
}
void Commands::SetEchoStartVolB(int v) {
  SetParam(Param::EchoStartVolB, v);
}
void Commands::SetEchoDecayA(int v) {
  SetParam(Param::EchoDecayA, v);
}
void Commands::SetEchoDecayB(int v) {
  SetParam(Param::EchoDecayB, v);
}
void Commands::SetReverbLevelA(int v) {
  SetParam(Param::ReverbLevelA, v);
}
void Commands::SetReverbLevelB(int v) {
  SetParam(Param::ReverbLevelB, v);
}
void Commands::SetOpticalVolume(int v) {
  SetParam(Param::OpticalVolume, v);
}
void Commands::SetHdmiVolume(int v) {
  SetParam(Param::Hdmi1Volume, v);
}
void Commands::SetBtVolume(int v) {
  SetParam(Param::BtVolume, v);
}

void Commands::SetEchoPredelayA(float ms) {
  SetParam(Param::EchoPredelayA, ms);
}
void Commands::SetEchoPredelayB(float ms) {
  SetParam(Param::EchoPredelayB, ms);
}
void Commands::SetReverbPredelayA(float ms) {
  SetParam(Param::ReverbPredelayA, ms);
}
void Commands::SetReverbPredelayB(float ms) {
  SetParam(Param::ReverbPredelayB, ms);
}
void Commands::SetEchoTimeA(float ms) {
  SetParam(Param::EchoTimeA, ms);
}
void Commands::SetEchoTimeB(float ms) {
  SetParam(Param::EchoTimeB, ms);
}
void Commands::SetReverbTimeA(int v) {
  SetParam(Param::ReverbTimeA, v);
}
void Commands::SetReverbTimeB(int v) {
  SetParam(Param::ReverbTimeB, v);
}
void Commands::SetChannelDelay(int channel, float ms) {
  SetParam(Param::ChannelDelay, channel, ms);
}

void Commands::SetShiftFreqA(int value) {
  SetParam(Param::ShiftFreqA, value);
}
void Commands::SetShiftFreqB(int value) {
  SetParam(Param::ShiftFreqB, value);
}

void Commands::SetMusicMute(int muted) {
  SetParam(Param::MusicMute, muted);
}

void Commands::SetMusicAgcLevel(uint32_t raw) {
  SetParam(Param::MusicAgcLevel, double(raw));
}

void Commands::SetCompressor(int channel, float threshold, float ratio, float attackMs,
                             float releaseMs) {
  const ParamDesc& d = Describe(Param::Compressor);
  if (!d.validInstance(channel)) return;
  noteEdit({EditKey::Kind::Param, int(d.id), channel});
  // Threshold, ratio, attack and release are four words, eight apart.
  const size_t word = size_t(d.wordOf(channel));
  mem_.pc.setFloat(word, threshold);
  mem_.pc.setFloat(word + 8, ratio);
  mem_.pc.setFloat(word + 16, attackMs);
  mem_.pc.setFloat(word + 24, releaseMs);
  SendParam(Param::Compressor, channel);
}

void Commands::SetRoomTrim(int channel, float trimDb) {
  SetParam(Param::RoomTrim, channel, trimDb);
}

void Commands::SelectBoxMode(int mode) {
  mode = std::clamp(mode, 0, kMaxMode);
  mem_.dev.g_bParamsChanged.store(0);
  mem_.dev.g_nCurrentMode.store(mode);
  SendCommand(kCmdSelectMode, mode);
}

void Commands::SaveBoxMode(int mode) {
  phase("SaveBoxMode");
  mode = std::clamp(mode, 0, kMaxMode);
  mem_.dev.g_nCurrentMode.store(mode);
  SendCommand(kCmdSaveMode, mode);
  pause(kSaveModePauseMs);
  // Both halves name the same mode, even if a mode report from the box arrived in the pause.
  SendCommand(kCmdSelectMode, mode);
}

void Commands::StoreRoomBlock() {
  noteEdit({EditKey::Kind::Room, 0, 0});
  const auto block = EncodeRoomBlock(mem_);
  mem_.roomBlock.copyIn(0, block.data(), block.size());
  WriteBoxMemory(kRoomBlockAddress, block.data(), int(block.size()));
}

void Commands::ResetRoom() {
  noteEdit({EditKey::Kind::Room, 0, 0});
  for (int ch = 0; ch < Describe(Param::RoomTrim).instances; ++ch) SetRoomTrim(ch, 0.0f);
  mem_.roomBlock.copyIn(0, kDefaultRoomBlock.data(), kDefaultRoomBlock.size());
  DecodeRoomBlock(mem_);
  StoreRoomBlock();
}

void Commands::LocateSpeaker(int code) {
  constexpr int kLocateBlock = 4;
  constexpr int kLocateIndex = 31;
  const uint32_t word = ByteWord(code);
  WriteDspWords(kLocateBlock, kLocateIndex, &word, 1);
}

}  // namespace ax7
