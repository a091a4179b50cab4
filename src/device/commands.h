#pragma once
// Outgoing commands: the frame layout, the value encodings and every encoder. An encoder
// stores its value in parameter memory first and then sends one report; nothing waits for an
// answer, and without a box the report is dropped while memory keeps the value.
#include <array>
#include <cstdint>
#include <initializer_list>

#include "device/clock.h"
#include "device/report.h"
#include "device/usb_link.h"
#include "dsp/biquad.h"
#include "params/memory.h"

namespace ax7 {

// Value encodings of DSP parameter words.
float EncodeLevel(int value);                // value / 100
float EncodeGate(int value);                 // value / 10000
float EncodeMaster(int value);               // value / 100 + 0.0005
int32_t EncodeSamples(float ms);             // trunc(ms x 48 + 0.5)
uint32_t ByteWord(int value);                // the low byte in the last of four bytes
float EncodeAngularFrequency(double hz);     // 2 pi f / 48000
std::array<float, 6> PackRoomTrim(float gainDb);

class Commands {
 public:
  Commands(ParameterMemory& mem, UsbLink& link, Clock& clock);

  // Code, then byte arguments up to (not including) the first -1; at most 59 bytes go out.
  int SendCommand(std::initializer_list<int> codeAndArgs);
  template <typename... A>
  int SendCommand(int code, A... args) {
    return SendCommand({code, int(args)...});
  }
  int WriteDspParam(int block, int index, float value, int count);
  // Command 0x09 with the given raw words (big-endian on the wire).
  int WriteDspWords(int block, int index, const uint32_t* words, int count);
  int WriteBiquad(int block, int index, const dsp::BiquadCoefficients& c);
  int WriteBoxMemory(int address, const uint8_t* data, int length);

  // Byte-word encoders.
  void SetMicAEqBypass(int v);
  void SetMicBEqBypass(int v);
  void SetEchoAEqBypass(int v);
  void SetEchoBEqBypass(int v);
  void SetReverbAEqBypass(int v);
  void SetReverbBEqBypass(int v);
  void SetMusicEqBypass(int v);
  void SetMusicSource(int v);
  void SetDelayOn(int channel, int v);
  void SetCompressorOn(int channel, int v);

  // Level encoders.
  void SetMicVolume(int input, int v);
  void SetMicGate(int input, int v);
  void SetEchoLevelA(int v);
  void SetEchoLevelB(int v);
  void SetEchoStartVolA(int v);
  void SetEchoStartVolB(int v);
  void SetEchoDecayA(int v);
  void SetEchoDecayB(int v);
  void SetReverbLevelA(int v);
  void SetReverbLevelB(int v);
  void SetOpticalVolume(int v);
  void SetHdmiVolume(int v);
  void SetBtVolume(int v);

  // Time encoders.
  void SetEchoPredelayA(float ms);
  void SetEchoPredelayB(float ms);
  void SetReverbPredelayA(float ms);
  void SetReverbPredelayB(float ms);
  void SetEchoTimeA(float ms);
  void SetEchoTimeB(float ms);
  void SetReverbTimeA(int v);
  void SetReverbTimeB(int v);
  void SetChannelDelay(int channel, float ms);

  void SetShiftFreqA(int value);
  void SetShiftFreqB(int value);
  void SetMusicMute(int muted);  // fades in over 270 ms when unmuting
  void SetMusicAgcLevel(uint32_t raw);
  void SetCompressor(int channel, float threshold, float ratio, float attackMs, float releaseMs);
  void SetRoomTrim(int channel, float trimDb);

  void SelectBoxMode(int mode);
  void SaveBoxMode(int mode);  // 0x03, 20 ms, 0x04
  // payload[0] is the Z-Wave function id.
  int SendZWaveFrame(const uint8_t* payload, int n);

  // Room block from the room values, stored and written to the box; and the room reset.
  void StoreRoomBlock();
  void ResetRoom();

  ParameterMemory& memory() { return mem_; }
  UsbLink& link() { return link_; }
  Clock& clock() { return clock_; }

 private:
  int sendFrame(const Report& frame);
  void setByteWord(int word, int block, int index, int v);
  void setLevel(int word, int block, int index, int v);
  void setPredelay(int word, int block, int index, float ms);
  void setEchoTime(int word, int block, int index, float ms);
  void setReverbTime(int word, int block, int index, int v);
  void setShiftFreq(int word, int offWord, int block, int firstIndex, int value);

  ParameterMemory& mem_;
  UsbLink& link_;
  Clock& clock_;
};

}  // namespace ax7
