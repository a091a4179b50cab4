#pragma once
// One description of every DSP parameter that the box holds and the PC block mirrors: the word
// that keeps it, where it lives on the box (block, index, word count), how its value travels
// (encoding) and the range its editors offer. The encoders, the synchronisation's request and
// send lists and the decoder of parameter answers all take addresses and encodings from here,
// so an address is written once. (The simulated box keeps its own, independent map.)
#include <cstdint>

namespace ax7 {

// How a parameter's value is stored in its word and sent in its report.
enum class Encoding : uint8_t {
  Level,         // int 0..100, sent as value / 100
  Gate,          // int, sent as value / 10000
  Master,        // int 0..100, sent as value / 100 + 0.0005
  ByteWord,      // int, sent as 00 00 00 low byte
  Switch,        // int, non-zero on: sent as 1.0 / 0.0 (the routing words hold 100 / 0)
  Mute,          // int, non-zero muted: sent as the gain 0.0 / 1.0
  Phase,         // int, non-zero inverted: sent as -1.0 / 1.0
  Predelay,      // float ms, at least 2, sent as samples at 48 kHz
  EchoTime,      // float ms, whole milliseconds, at least 40, sent as samples
  ChannelDelay,  // float ms, at least 1.5, sent as samples
  ReverbTime,    // float holding a whole number, sent as a level
  Pitch,         // int -5..5, sent as the byte word of value + 5
  RawWord,       // the word's 32 bits unchanged (music AGC level)
  ShiftFreq,     // int 0..5 Hz, sent as an angular frequency; 0 and 1 mean off
  ShiftPeriod,   // the shift oscillator's period (from the shift word), sent as samples
  ShiftOff,      // int 0/1 flag set with the shift; 1 also turns the shift word to 1
  MusicMute,     // as Mute, but unmuting fades in
  DelayMode,     // int: two float words, 1.0 and (mode 1 ? 0.0 : 1.0)
  Compressor,    // seven words from four floats (threshold, ratio, attack, release)
  RoomTrim,      // six words from the room trim block's entry; no PC word
};

enum class Param : uint8_t {
  // Block 1, microphones.
  MicVolume,  // per input 0..3
  MicGate,    // per input
  AutoSubSwitch,
  AutoSubAmount,
  MicMaster,
  MicMute,
  MicAEqBypass,
  MicToA,  // per input
  ShiftFreqA,
  ShiftPeriodA,
  ShiftOffA,
  EffectMaster,
  MicBEqBypass,
  MicToB,  // per input
  ShiftFreqB,
  ShiftPeriodB,
  ShiftOffB,
  EffectMasterB,  // the second copy of the effect master volume
  // Block 2, echo.
  EchoAEqBypass,
  EchoLevelA,
  EchoPredelayA,
  EchoTimeA,
  EchoStartVolA,
  EchoDecayA,
  EchoBEqBypass,
  EchoLevelB,
  EchoPredelayB,
  EchoTimeB,
  EchoStartVolB,
  EchoDecayB,
  EchoMaster,
  EchoMute,
  // Block 3, reverb.
  ReverbAEqBypass,
  ReverbLevelA,
  ReverbPredelayA,
  ReverbTimeA,
  ReverbTimeA2,  // the second index of reverb time A
  ReverbBEqBypass,
  ReverbLevelB,
  ReverbPredelayB,
  ReverbTimeB,
  ReverbTimeB2,
  ReverbMaster,
  ReverbMute,
  // Block 4, music.
  MusicEqBypass,
  MusicMaster,
  MusicMute,
  MusicAgcSwitch,
  MusicAgcLevel,
  MusicPitch,
  MusicNoiseGate,
  MusicSource,
  OpticalVolume,
  CoaxialVolume,
  Hdmi1Volume,
  Hdmi2Volume,
  Hdmi3Volume,
  Hdmi4Volume,
  BtVolume,
  AuxVolume,
  Aux2Volume,
  HdmiInput,
  // Blocks 5..12, output channels (per channel 0..7).
  OutEqBypass,
  SpeakerAssign,
  DelayMode,
  ChannelDelay,
  DelayOn,
  MixDirect,
  MixReverb,
  MixEcho,
  MixMusic,
  ChannelLevel,
  ChannelPhase,
  ChannelMute,
  Compressor,
  CompressorOn,
  RoomTrim,
  Count_
};

constexpr int kParamCount = int(Param::Count_);

// A parameter's name as a person reads it, in Chinese and English. Per input, %d stands for the
// input 1..4 ("Mic %d volume"); per channel, the name follows the channel's ("delay" after
// "CH-L"). Empty for the second addresses the program never shows on their own.
struct ShownName {
  const char* zh = nullptr;
  const char* en = nullptr;
};

struct ParamDesc {
  Param id;
  const char* name;  // for scripts, logs and tests
  ShownName shown;
  int word;          // PC block word of instance 0; -1: kept elsewhere
  int block;         // DSP block of instance 0
  int index;         // DSP index of instance 0
  int count;         // 32-bit words in one report
  Encoding encoding;
  int instances;           // 1, 4 microphone inputs or 8 output channels
  bool perChannel;         // instances step the block (outputs), else the index (inputs)
  bool readBack;           // a parameter answer for this address is stored in the word
  float minimum, maximum;  // what editors offer (not enforced by the encoders)

  int wordOf(int instance) const { return word < 0 ? -1 : word + instance; }
  int blockOf(int instance) const { return perChannel ? block + instance : block; }
  int indexOf(int instance) const {
    return perChannel || instances == 1 ? index : index + instance;
  }
  bool validInstance(int instance) const { return instance >= 0 && instance < instances; }
};

const ParamDesc& Describe(Param p);
// The parameter at a DSP address and which instance it is; nullptr when none is there.
const ParamDesc* FindParam(int block, int index, int* instance);
// Looks a parameter up by its name; nullptr when there is none.
const ParamDesc* FindParam(const char* name);

}  // namespace ax7
