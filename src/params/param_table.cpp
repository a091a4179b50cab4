#include "params/param_table.h"

#include <array>
#include <cstring>

namespace ax7 {

namespace {

using E = Encoding;
using P = Param;

// One entry: id, name, shown name, word, block, index, count, encoding, instances, per channel,
// read back, range.
constexpr ParamDesc one(P id, const char* name, ShownName shown, int word, int block, int index,
                        E e, float lo, float hi, int count = 1, bool readBack = true) {
  return {id, name, shown, word, block, index, count, e, 1, false, readBack, lo, hi};
}
constexpr ParamDesc input(P id, const char* name, ShownName shown, int word, int index, E e,
                          float lo, float hi) {
  return {id, name, shown, word, 1, index, 1, e, 4, false, true, lo, hi};
}
constexpr ParamDesc output(P id, const char* name, ShownName shown, int word, int index, E e,
                           float lo, float hi, int count = 1) {
  return {id, name, shown, word, 5, index, count, e, 8, true, true, lo, hi};
}

// In the order of Param.
constexpr ParamDesc kTable[] = {
    input(P::MicVolume, "mic-volume", {"话筒%d 音量", "Mic %d volume"}, 19, 4, E::Level, 0, 100),
    input(P::MicGate, "mic-gate", {"话筒%d 噪声门", "Mic %d gate"}, 23, 8, E::Gate, 0, 100),
    one(P::AutoSubSwitch, "auto-sub", {"自动超低", "Auto SUB"}, 27, 1, 12, E::ByteWord, 0, 1),
    one(P::AutoSubAmount, "auto-sub-amount", {"自动超低 强度", "Auto SUB amount"}, 28, 1, 13,
        E::Level, 0, 100),
    one(P::MicMaster, "mic-master", {"话筒 总音量", "Mic master volume"}, 0, 1, 14, E::Master, 0,
        99),
    one(P::MicMute, "mic-mute", {"话筒 静音", "Mic mute"}, 17, 1, 15, E::Mute, 0, 1),
    one(P::MicAEqBypass, "mic-a-eq-bypass", {"话筒A 均衡 直通", "Mic A EQ bypass"}, 5, 1, 26,
        E::ByteWord, 0, 1),
    input(P::MicToA, "mic-to-a", {"话筒%d 接A组", "Mic %d to group A"}, 1, 27, E::Switch, 0, 100),
    one(P::ShiftFreqA, "shift-a", {"话筒A 移频", "Mic A frequency shift"}, 7, 1, 31, E::ShiftFreq,
        0, 5),
    one(P::ShiftPeriodA, "shift-period-a", {}, 7, 1, 32, E::ShiftPeriod, 0, 5, 1, false),
    one(P::ShiftOffA, "shift-off-a", {}, 8, 1, 33, E::ShiftOff, 0, 1),
    one(P::EffectMaster, "effect-master", {"效果 总音量", "Effect master volume"}, 18, 1, 34,
        E::Master, 0, 99),
    one(P::MicBEqBypass, "mic-b-eq-bypass", {"话筒B 均衡 直通", "Mic B EQ bypass"}, 13, 1, 45,
        E::ByteWord, 0, 1),
    input(P::MicToB, "mic-to-b", {"话筒%d 接B组", "Mic %d to group B"}, 9, 46, E::Switch, 0, 100),
    one(P::ShiftFreqB, "shift-b", {"话筒B 移频", "Mic B frequency shift"}, 15, 1, 50, E::ShiftFreq,
        0, 5),
    one(P::ShiftPeriodB, "shift-period-b", {}, 15, 1, 51, E::ShiftPeriod, 0, 5, 1, false),
    one(P::ShiftOffB, "shift-off-b", {}, 16, 1, 52, E::ShiftOff, 0, 1),
    one(P::EffectMasterB, "effect-master-b", {}, 18, 1, 53, E::Master, 0, 99, 1, false),

    one(P::EchoAEqBypass, "echo-a-eq-bypass", {"回声A 均衡 直通", "Echo A EQ bypass"}, 29, 2, 7,
        E::ByteWord, 0, 1),
    one(P::EchoLevelA, "echo-level-a", {"回声A 音量", "Echo A level"}, 30, 2, 8, E::Level, 0, 100),
    one(P::EchoPredelayA, "echo-predelay-a", {"回声A 预延时", "Echo A pre-delay"}, 31, 2, 9,
        E::Predelay, 2, 1000),
    one(P::EchoTimeA, "echo-time-a", {"回声A 时间", "Echo A time"}, 32, 2, 10, E::EchoTime, 40,
        1000),
    one(P::EchoStartVolA, "echo-start-a", {"回声A 起始音量", "Echo A start volume"}, 33, 2, 11,
        E::Level, 0, 100),
    one(P::EchoDecayA, "echo-decay-a", {"回声A 衰减", "Echo A decay"}, 34, 2, 12, E::Level, 0, 100),
    one(P::EchoBEqBypass, "echo-b-eq-bypass", {"回声B 均衡 直通", "Echo B EQ bypass"}, 35, 2, 20,
        E::ByteWord, 0, 1),
    one(P::EchoLevelB, "echo-level-b", {"回声B 音量", "Echo B level"}, 36, 2, 21, E::Level, 0, 100),
    one(P::EchoPredelayB, "echo-predelay-b", {"回声B 预延时", "Echo B pre-delay"}, 37, 2, 22,
        E::Predelay, 2, 1000),
    one(P::EchoTimeB, "echo-time-b", {"回声B 时间", "Echo B time"}, 38, 2, 23, E::EchoTime, 40,
        1000),
    one(P::EchoStartVolB, "echo-start-b", {"回声B 起始音量", "Echo B start volume"}, 39, 2, 24,
        E::Level, 0, 100),
    one(P::EchoDecayB, "echo-decay-b", {"回声B 衰减", "Echo B decay"}, 40, 2, 25, E::Level, 0, 100),
    one(P::EchoMaster, "echo-master", {"回声 总音量", "Echo master volume"}, 41, 2, 26, E::Level, 0,
        99),
    one(P::EchoMute, "echo-mute", {"回声 静音", "Echo mute"}, 42, 2, 27, E::Mute, 0, 1),

    one(P::ReverbAEqBypass, "reverb-a-eq-bypass", {"混响A 均衡 直通", "Reverb A EQ bypass"}, 43, 3,
        7, E::ByteWord, 0, 1),
    one(P::ReverbLevelA, "reverb-level-a", {"混响A 音量", "Reverb A level"}, 44, 3, 8, E::Level, 0,
        100),
    one(P::ReverbPredelayA, "reverb-predelay-a", {"混响A 预延时", "Reverb A pre-delay"}, 45, 3, 9,
        E::Predelay, 2, 1000),
    one(P::ReverbTimeA, "reverb-time-a", {"混响A 时间", "Reverb A time"}, 46, 3, 10, E::ReverbTime,
        0, 100),
    one(P::ReverbTimeA2, "reverb-time-a2", {}, 46, 3, 11, E::ReverbTime, 0, 100, 1, false),
    one(P::ReverbBEqBypass, "reverb-b-eq-bypass", {"混响B 均衡 直通", "Reverb B EQ bypass"}, 47, 3,
        19, E::ByteWord, 0, 1),
    one(P::ReverbLevelB, "reverb-level-b", {"混响B 音量", "Reverb B level"}, 48, 3, 20, E::Level, 0,
        100),
    one(P::ReverbPredelayB, "reverb-predelay-b", {"混响B 预延时", "Reverb B pre-delay"}, 49, 3, 21,
        E::Predelay, 2, 1000),
    one(P::ReverbTimeB, "reverb-time-b", {"混响B 时间", "Reverb B time"}, 50, 3, 22, E::ReverbTime,
        0, 100),
    one(P::ReverbTimeB2, "reverb-time-b2", {}, 50, 3, 23, E::ReverbTime, 0, 100, 1, false),
    one(P::ReverbMaster, "reverb-master", {"混响 总音量", "Reverb master volume"}, 51, 3, 24,
        E::Level, 0, 99, 2),
    one(P::ReverbMute, "reverb-mute", {"混响 静音", "Reverb mute"}, 52, 3, 25, E::Mute, 0, 1, 2),

    one(P::MusicEqBypass, "music-eq-bypass", {"音乐 均衡 直通", "Music EQ bypass"}, 61, 4, 10,
        E::ByteWord, 0, 1),
    one(P::MusicMaster, "music-master", {"音乐 总音量", "Music master volume"}, 53, 4, 11,
        E::Master, 0, 99),
    one(P::MusicMute, "music-mute", {"音乐 静音", "Music mute"}, 60, 4, 12, E::MusicMute, 0, 1),
    one(P::MusicAgcSwitch, "music-agc", {"音乐 自动增益", "Music AGC"}, 193, 4, 13, E::ByteWord, 0,
        1),
    one(P::MusicAgcLevel, "music-agc-level", {"音乐 自动增益 电平", "Music AGC level"}, 194, 4, 14,
        E::RawWord, 0, 0),
    one(P::MusicPitch, "music-pitch", {"音乐 变调", "Music pitch"}, 62, 4, 18, E::Pitch, -5, 5),
    one(P::MusicNoiseGate, "music-noise-gate", {"音乐 噪声门", "Music noise gate"}, 64, 4, 19,
        E::Gate, 0, 100),
    one(P::MusicSource, "music-source", {"音乐 音源", "Music source"}, 63, 4, 20, E::ByteWord, 0,
        5),
    one(P::OpticalVolume, "optical-volume", {"光纤 音量", "Optical volume"}, 54, 4, 21, E::Level, 0,
        100),
    one(P::CoaxialVolume, "coaxial-volume", {"同轴 音量", "Coaxial volume"}, 57, 4, 22, E::Level, 0,
        100),
    one(P::Hdmi1Volume, "hdmi1-volume", {"HDMI1 音量", "HDMI 1 volume"}, 55, 4, 23, E::Level, 0,
        100),
    one(P::Hdmi2Volume, "hdmi2-volume", {"HDMI2 音量", "HDMI 2 volume"}, 196, 4, 24, E::Level, 0,
        100),
    one(P::Hdmi3Volume, "hdmi3-volume", {"HDMI3 音量", "HDMI 3 volume"}, 197, 4, 25, E::Level, 0,
        100),
    one(P::Hdmi4Volume, "hdmi4-volume", {"HDMI4 音量", "HDMI 4 volume"}, 198, 4, 26, E::Level, 0,
        100),
    one(P::BtVolume, "bt-volume", {"蓝牙 音量", "Bluetooth volume"}, 56, 4, 27, E::Level, 0, 100),
    one(P::AuxVolume, "aux-volume", {"AUX 音量", "AUX volume"}, 58, 4, 28, E::Level, 0, 100),
    one(P::Aux2Volume, "aux2-volume", {"AUX2 音量", "AUX 2 volume"}, 59, 4, 29, E::Level, 0, 100),
    one(P::HdmiInput, "hdmi-input", {"HDMI 输入", "HDMI input"}, 195, 4, 30, E::ByteWord, 0, 3),

    output(P::OutEqBypass, "out-eq-bypass", {"均衡 直通", "EQ bypass"}, 105, 15, E::ByteWord, 0, 1),
    output(P::SpeakerAssign, "speaker", {"扬声器", "speaker"}, 97, 16, E::ByteWord, 0, 7),
    output(P::DelayMode, "delay-mode", {"延时方式", "delay mode"}, 169, 17, E::DelayMode, 0, 1, 2),
    output(P::ChannelDelay, "delay", {"延时", "delay"}, 153, 18, E::ChannelDelay, 1.5f, 1000),
    output(P::DelayOn, "delay-on", {"延时开关", "delay switch"}, 161, 19, E::ByteWord, 0, 1),
    output(P::MixDirect, "mix-direct", {"直达声音量", "direct volume"}, 65, 20, E::Level, 0, 100),
    output(P::MixReverb, "mix-reverb", {"混响音量", "reverb volume"}, 73, 21, E::Level, 0, 100),
    output(P::MixEcho, "mix-echo", {"回声音量", "echo volume"}, 81, 22, E::Level, 0, 100),
    output(P::MixMusic, "mix-music", {"音乐音量", "music volume"}, 89, 23, E::Level, 0, 100),
    output(P::ChannelLevel, "level", {"音量", "level"}, 199, 24, E::Level, 0, 100),
    output(P::ChannelPhase, "phase", {"相位", "phase"}, 185, 25, E::Phase, 0, 1),
    output(P::ChannelMute, "mute", {"静音", "mute"}, 177, 26, E::Mute, 0, 1),
    output(P::Compressor, "compressor", {"压限", "compressor"}, 121, 27, E::Compressor, 0, 0, 7),
    output(P::CompressorOn, "compressor-on", {"压限启用", "compressor switch"}, 113, 28,
           E::ByteWord, 0, 1),
    {P::RoomTrim,
     "room-trim",
     {"房间补偿", "room trim"},
     -1,
     5,
     29,
     6,
     E::RoomTrim,
     8,
     true,
     false,
     -15,
     15},
};

static_assert(std::size(kTable) == size_t(kParamCount), "one entry per parameter");

constexpr bool paramsInOrder() {
  for (int i = 0; i < kParamCount; ++i)
    if (int(kTable[i].id) != i) return false;
  return true;
}
static_assert(paramsInOrder(), "entries in the order of Param");

constexpr int kBlocks = 13;
constexpr int kIndexes = 64;

struct Slot {
  int8_t param = -1;
  int8_t instance = 0;
};

// Block x index -> parameter, built once.
const std::array<std::array<Slot, kIndexes>, kBlocks>& addressMap() {
  static const auto map = [] {
    std::array<std::array<Slot, kIndexes>, kBlocks> m{};
    for (const ParamDesc& d : kTable) {
      for (int i = 0; i < d.instances; ++i) {
        Slot& s = m[size_t(d.blockOf(i))][size_t(d.indexOf(i))];
        s.param = int8_t(d.id);
        s.instance = int8_t(i);
      }
    }
    return m;
  }();
  return map;
}

}  // namespace

const ParamDesc& Describe(Param p) {
  return kTable[size_t(p)];
}

const ParamDesc* FindParam(int block, int index, int* instance) {
  if (block < 0 || block >= kBlocks || index < 0 || index >= kIndexes) return nullptr;
  const Slot s = addressMap()[size_t(block)][size_t(index)];
  if (s.param < 0) return nullptr;
  if (instance) *instance = s.instance;
  return &kTable[size_t(s.param)];
}

const ParamDesc* FindParam(const char* name) {
  if (!name) return nullptr;
  for (const ParamDesc& d : kTable)
    if (std::strcmp(d.name, name) == 0) return &d;
  return nullptr;
}

}  // namespace ax7
