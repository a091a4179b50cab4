#pragma once
// Outgoing commands: the frame layout, the value encodings and every encoder. An encoder
// stores its value in parameter memory first and then sends its reports; nothing waits for an
// answer, and without a box the report is dropped while memory keeps the value. Addresses and
// encodings of the parameters come from the parameter table (params/param_table.h).
//
// Reports go to a FrameSink: straight through the reply gate (the synchronisation workers,
// ax7ctl) or into the window's outgoing queue (Core::ui), which never blocks.
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "device/clock.h"
#include "device/frame_sink.h"
#include "device/report.h"
#include "device/usb_link.h"
#include "dsp/biquad.h"
#include "params/memory.h"
#include "params/param_table.h"

namespace ax7 {

// Value encodings of DSP parameter words.
float EncodeLevel(int value);                // value / 100
float EncodeGate(int value);                 // value / 10000
float EncodeMaster(int value);               // value / 100 + 0.0005
int32_t EncodeSamples(float ms);             // trunc(ms x 48 + 0.5)
uint32_t ByteWord(int value);                // the low byte in the last of four bytes
float EncodeAngularFrequency(double hz);     // 2 pi f / 48000
std::array<float, 6> PackRoomTrim(float gainDb);

// What one edit touches, so that the edit journal can tell a run of edits of one control from
// an edit of another.
struct EditKey {
  enum class Kind : uint8_t { Param, Band, EqSet, Room };
  Kind kind = Kind::Param;
  int id = 0;        // Param: the parameter's number; Band and EqSet: the EQ set 0..14;
                     // Room: 0 (the room block)
  int instance = 0;  // Param: input or channel; Band: the band
  bool operator==(const EditKey&) const = default;
};

class Commands {
 public:
  // Without a sink, reports go straight to the link and pauses sleep on the calling thread.
  Commands(ParameterMemory& mem, UsbLink& link, Clock& clock, FrameSink* sink = nullptr);
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  // The path of every edit, whoever makes it (ribbon, page, tool window, ax7ctl, script):
  // stores the value in parameter memory with the clamps of its encoding and sends it.
  // `instance` is the microphone input or output channel of per-input and per-channel
  // parameters, 0 for the others; the value is the word's value (ms for times, dB for a room
  // trim, the raw 32 bits for the AGC level). The compressor takes four values: SetCompressor.
  void SetParam(Param p, int instance, double value);
  void SetParam(Param p, double value) { SetParam(p, 0, value); }
  // Runs before an edit changes memory (memory still holds the old values): the one place
  // where the edit journal (undo/redo) hooks in. Synchronisations do not pass here; the EQ
  // encoders announce their band, set and room edits through noteEdit.
  using EditHook = std::function<void(const EditKey&)>;
  void setEditHook(EditHook hook) { editHook_ = std::move(hook); }
  const EditHook& editHook() const { return editHook_; }
  void noteEdit(const EditKey& key) {
    if (editHook_) editHook_(key);
  }

  // Sends what memory holds for the parameter (synchronisation); a word outside its clamps is
  // stored back clamped, as an edit of that value would.
  void SendParam(Param p, int instance = 0);
  // `value` in every word of the parameter's address, memory untouched (soft start).
  int WriteParamValue(Param p, int instance, float value);
  // Asks the box for the parameter (answered by a parameter report).
  int RequestParam(Param p, int instance = 0);
  // Asks the box for its live status record.
  int RequestStatus();
  // Factory reset of the box (the user restarts it by hand afterwards).
  int ResetMachine();
  // A pause between two reports, on the sink (a wait in the queue, a sleep when direct).
  void pause(int ms);
  // Marks a phase in the trace, in its place among the reports.
  void phase(const char* name);

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

  // Room block from the room values, stored and written to the box; and the room reset.
  void StoreRoomBlock();
  void ResetRoom();
  // Sounds the test signal on the speaker with this code (0..7), 8 stops it. Not kept in
  // memory: it is an action, not a setting.
  void LocateSpeaker(int code);

  ParameterMemory& memory() { return mem_; }
  UsbLink& link() { return link_; }
  Clock& clock() { return clock_; }

 private:
  int sendFrame(const Report& frame, MergeKey key);
  int writeWord(const ParamDesc& d, int instance, uint32_t word);
  int writeValue(const ParamDesc& d, int instance, float value);
  // One address of the parameter, encoded from memory.
  void sendStored(const ParamDesc& d, int instance);
  void sendShiftFreq(const ParamDesc& d);
  void sendMusicMute(const ParamDesc& d);

  ParameterMemory& mem_;
  UsbLink& link_;
  Clock& clock_;
  DirectSink direct_;
  FrameSink& sink_;
  EditHook editHook_;
};

}  // namespace ax7
