#include "history/settings_diff.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "device/sync.h"
#include "dsp/biquad.h"
#include "dsp/section_type.h"
#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/mode_file.h"
#include "params/room.h"
#include "params/write_plan.h"

namespace ax7::history {

namespace {

using P = Param;

constexpr int kChannels = 8;
constexpr int kSplitBands[] = {kSplitHighPassSlot, kSplitLowPassSlot};

// ---- what the full write sends, one target at a time -----------------------------------------

using Target = WriteStep;

const std::vector<Target>& writeOrder() {
  return FullWritePlan();
}

// PC words a target's reports are made from (and that its send may fix up).
std::vector<int> wordsOf(const Target& t) {
  const ParamDesc& d = Describe(t.param);
  switch (t.kind) {
    case Target::Kind::Routing:
      return {Describe(P::MicToA).wordOf(t.instance), Describe(P::MicToB).wordOf(t.instance)};
    case Target::Kind::Master:
      return {d.word};
    case Target::Kind::Param:
      break;
  }
  switch (d.encoding) {
    case Encoding::RoomTrim:
      return {};
    case Encoding::Compressor: {
      const int w = d.wordOf(t.instance);
      return {w, w + 8, w + 16, w + 24};
    }
    case Encoding::ShiftFreq:
      return {d.word, Describe(t.param == P::ShiftFreqA ? P::ShiftOffA : P::ShiftOffB).word};
    default:
      return {d.wordOf(t.instance)};
  }
}

// Box memory bytes a target owns besides its words: the split records of a channel travel with
// its delay mode, the channel's entry of the room trim block with its trim.
std::vector<std::pair<int, int>> bytesOf(const Target& t) {
  if (t.kind != Target::Kind::Param) return {};
  if (t.param == P::DelayMode) {
    std::vector<std::pair<int, int>> out;
    for (int band : kSplitBands)
      out.emplace_back(BandRecordOffset(5 + t.instance, band), kBandRecordSize);
    return out;
  }
  if (t.param == P::RoomTrim) return {{kRoomTrimAddress + 4 * t.instance, 4}};
  return {};
}

uint8_t byteAt(const ParameterMemory& mem, int address) {
  if (address < kRoomTrimAddress) return mem.boxImage.get(size_t(address));
  if (address < kRoomBlockAddress) return mem.roomTrim.get(size_t(address - kRoomTrimAddress));
  return mem.roomBlock.get(size_t(address - kRoomBlockAddress));
}

void setByteAt(ParameterMemory& mem, int address, uint8_t v) {
  if (address < kRoomTrimAddress) {
    mem.boxImage.set(size_t(address), v);
  } else if (address < kRoomBlockAddress) {
    mem.roomTrim.set(size_t(address - kRoomTrimAddress), v);
  } else {
    mem.roomBlock.set(size_t(address - kRoomBlockAddress), v);
  }
}

bool softStart(const ParameterMemory& mem) { return mem.dev.g_settingsCurrent.get(0) == 1; }

// What the full write's parameter phase does for one target, with the same encoders.
void sendTarget(Commands& cmd, EqSenders& eq, const Target& t) {
  if (t.kind != Target::Kind::Master) {
    SendWriteStep(cmd, eq, t);
    return;
  }
  if (!softStart(cmd.memory())) return;
  // Where the ramp ends, without the ramp: a switch between settings must not fade out.
  auto& pc = cmd.memory().pc;
  const int v = std::min(pc.getInt(size_t(Describe(t.param).word)), 100);
  cmd.WriteParamValue(t.param, 0, EncodeMaster(v));
}

// Reports are only counted: memory is what the scratch runs are for.
class CountingSink final : public FrameSink {
 public:
  int send(const Report&, MergeKey) override {
    ++count;
    return int(kReportSize);
  }
  void pause(int) override {}
  void phase(const char*) override {}
  int count = 0;
};

void copyMemory(ParameterMemory& to, const ParameterMemory& from) {
  LoadModeFileBytes(to, ModeFileBytes(from).data(), size_t(kModeFileSize));
  to.dev.g_settingsCurrent.set(0, from.dev.g_settingsCurrent.get(0));
}

// A copy of settings as the full write leaves them in memory (clamped times, one group per
// microphone, split records that follow the delay mode), with the reports of every target.
struct Normalised {
  ParameterMemory mem;
  std::vector<int> reports;  // per target of writeOrder()
};

void normalise(Normalised& n, const ParameterMemory& from, Commands& like, bool soft) {
  copyMemory(n.mem, from);
  n.mem.dev.g_settingsCurrent.set(0, soft ? 1 : 0);
  CountingSink sink;
  Commands cmd(n.mem, like.link(), like.clock(), &sink);
  EqSenders eq(cmd);
  n.reports.clear();
  for (const Target& t : writeOrder()) {
    const int before = sink.count;
    sendTarget(cmd, eq, t);
    n.reports.push_back(sink.count - before);
  }
}

bool targetDiffers(const Target& t, const ParameterMemory& a, const ParameterMemory& b) {
  for (int w : wordsOf(t))
    if (a.pc.raw(size_t(w)) != b.pc.raw(size_t(w))) return true;
  for (const auto& [address, length] : bytesOf(t))
    for (int i = 0; i < length; ++i)
      if (byteAt(a, address + i) != byteAt(b, address + i)) return true;
  return false;
}

void copyTarget(const Target& t, ParameterMemory& to, const ParameterMemory& from) {
  for (int w : wordsOf(t)) to.pc.setRaw(size_t(w), from.pc.raw(size_t(w)));
  for (const auto& [address, length] : bytesOf(t))
    for (int i = 0; i < length; ++i) setByteAt(to, address + i, byteAt(from, address + i));
}

// ---- texts ---------------------------------------------------------------------------------

struct Pair {
  const char* zh;
  const char* en;
};

const char* pick(const Pair& p, DiffLanguage l) { return l == DiffLanguage::Chinese ? p.zh : p.en; }

constexpr Pair kChannelNames[kChannels] = {
    {"前置左", "CH-L"},   {"前置右", "CH-R"}, {"后环绕左", "CH-SBL"}, {"后环绕右", "CH-SBR"},
    {"超低", "CH-SUB"},   {"中置", "CH-CEN"}, {"侧环绕左", "CH-SL"},  {"侧环绕右", "CH-SR"}};

constexpr Pair kSetNames[] = {
    {"话筒A 均衡", "Mic A EQ"},  {"话筒B 均衡", "Mic B EQ"},  {"混响A 均衡", "Reverb A EQ"},
    {"混响B 均衡", "Reverb B EQ"}, {"回声A 均衡", "Echo A EQ"}, {"回声B 均衡", "Echo B EQ"},
    {"音乐 均衡", "Music EQ"}};

// Room block entries after width and length: the listener, then the speakers in room order.
constexpr Pair kRoomPlaces[] = {{"听音位置", "Listener"}, {"前置左", "Speaker L"},
                                {"中置", "Speaker CEN"},  {"前置右", "Speaker R"},
                                {"后置左", "Speaker SBL"}, {"超低", "Speaker SUB"},
                                {"后置右", "Speaker SBR"}, {"顶置左", "Speaker SL"},
                                {"顶置右", "Speaker SR"}};

struct ParamName {
  P param;
  Pair name;  // %d: the microphone input 1..4
};

constexpr ParamName kParamNames[] = {
    {P::MicVolume, {"话筒%d 音量", "Mic %d volume"}},
    {P::MicGate, {"话筒%d 噪声门", "Mic %d gate"}},
    {P::AutoSubSwitch, {"自动超低", "Auto SUB"}},
    {P::AutoSubAmount, {"自动超低 强度", "Auto SUB amount"}},
    {P::MicMaster, {"话筒 总音量", "Mic master volume"}},
    {P::MicMute, {"话筒 静音", "Mic mute"}},
    {P::MicAEqBypass, {"话筒A 均衡 直通", "Mic A EQ bypass"}},
    {P::MicToA, {"话筒%d 接A组", "Mic %d to group A"}},
    {P::ShiftFreqA, {"话筒A 移频", "Mic A frequency shift"}},
    {P::EffectMaster, {"效果 总音量", "Effect master volume"}},
    {P::MicBEqBypass, {"话筒B 均衡 直通", "Mic B EQ bypass"}},
    {P::MicToB, {"话筒%d 接B组", "Mic %d to group B"}},
    {P::ShiftFreqB, {"话筒B 移频", "Mic B frequency shift"}},
    {P::EchoAEqBypass, {"回声A 均衡 直通", "Echo A EQ bypass"}},
    {P::EchoLevelA, {"回声A 音量", "Echo A level"}},
    {P::EchoPredelayA, {"回声A 预延时", "Echo A pre-delay"}},
    {P::EchoTimeA, {"回声A 时间", "Echo A time"}},
    {P::EchoStartVolA, {"回声A 起始音量", "Echo A start volume"}},
    {P::EchoDecayA, {"回声A 衰减", "Echo A decay"}},
    {P::EchoBEqBypass, {"回声B 均衡 直通", "Echo B EQ bypass"}},
    {P::EchoLevelB, {"回声B 音量", "Echo B level"}},
    {P::EchoPredelayB, {"回声B 预延时", "Echo B pre-delay"}},
    {P::EchoTimeB, {"回声B 时间", "Echo B time"}},
    {P::EchoStartVolB, {"回声B 起始音量", "Echo B start volume"}},
    {P::EchoDecayB, {"回声B 衰减", "Echo B decay"}},
    {P::EchoMaster, {"回声 总音量", "Echo master volume"}},
    {P::EchoMute, {"回声 静音", "Echo mute"}},
    {P::ReverbAEqBypass, {"混响A 均衡 直通", "Reverb A EQ bypass"}},
    {P::ReverbLevelA, {"混响A 音量", "Reverb A level"}},
    {P::ReverbPredelayA, {"混响A 预延时", "Reverb A pre-delay"}},
    {P::ReverbTimeA, {"混响A 时间", "Reverb A time"}},
    {P::ReverbBEqBypass, {"混响B 均衡 直通", "Reverb B EQ bypass"}},
    {P::ReverbLevelB, {"混响B 音量", "Reverb B level"}},
    {P::ReverbPredelayB, {"混响B 预延时", "Reverb B pre-delay"}},
    {P::ReverbTimeB, {"混响B 时间", "Reverb B time"}},
    {P::ReverbMaster, {"混响 总音量", "Reverb master volume"}},
    {P::ReverbMute, {"混响 静音", "Reverb mute"}},
    {P::MusicEqBypass, {"音乐 均衡 直通", "Music EQ bypass"}},
    {P::MusicMaster, {"音乐 总音量", "Music master volume"}},
    {P::MusicMute, {"音乐 静音", "Music mute"}},
    {P::MusicAgcSwitch, {"音乐 自动增益", "Music AGC"}},
    {P::MusicAgcLevel, {"音乐 自动增益 电平", "Music AGC level"}},
    {P::MusicPitch, {"音乐 变调", "Music pitch"}},
    {P::MusicNoiseGate, {"音乐 噪声门", "Music noise gate"}},
    {P::MusicSource, {"音乐 音源", "Music source"}},
    {P::OpticalVolume, {"光纤 音量", "Optical volume"}},
    {P::CoaxialVolume, {"同轴 音量", "Coaxial volume"}},
    {P::Hdmi1Volume, {"HDMI1 音量", "HDMI 1 volume"}},
    {P::Hdmi2Volume, {"HDMI2 音量", "HDMI 2 volume"}},
    {P::Hdmi3Volume, {"HDMI3 音量", "HDMI 3 volume"}},
    {P::Hdmi4Volume, {"HDMI4 音量", "HDMI 4 volume"}},
    {P::BtVolume, {"蓝牙 音量", "Bluetooth volume"}},
    {P::AuxVolume, {"AUX 音量", "AUX volume"}},
    {P::Aux2Volume, {"AUX2 音量", "AUX 2 volume"}},
    {P::HdmiInput, {"HDMI 输入", "HDMI input"}},
    // Per channel: after the channel's name.
    {P::OutEqBypass, {"均衡 直通", "EQ bypass"}},
    {P::SpeakerAssign, {"扬声器", "speaker"}},
    {P::DelayMode, {"延时方式", "delay mode"}},
    {P::ChannelDelay, {"延时", "delay"}},
    {P::DelayOn, {"延时开关", "delay switch"}},
    {P::MixDirect, {"直达声音量", "direct volume"}},
    {P::MixReverb, {"混响音量", "reverb volume"}},
    {P::MixEcho, {"回声音量", "echo volume"}},
    {P::MixMusic, {"音乐音量", "music volume"}},
    {P::ChannelLevel, {"音量", "level"}},
    {P::ChannelPhase, {"相位", "phase"}},
    {P::ChannelMute, {"静音", "mute"}},
    {P::Compressor, {"压限", "compressor"}},
    {P::CompressorOn, {"压限启用", "compressor switch"}},
    {P::RoomTrim, {"房间补偿", "room trim"}},
};

const Pair* paramName(P p) {
  for (const ParamName& n : kParamNames)
    if (n.param == p) return &n.name;
  return nullptr;
}

// Value words: the English form is what a Difference holds.
constexpr Pair kValueWords[] = {
    {"开", "on"},         {"关", "off"},       {"静音", "muted"},
    {"不静音", "not muted"}, {"整个通道", "whole channel"}, {"高频", "high frequencies"},
    {"阈值", "threshold"}, {"比例", "ratio"},    {"启动", "attack"},
    {"释放", "release"},
};

std::string format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}
std::string formatInt(const char* fmt, long long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

bool isSwitchLike(P p) {
  switch (p) {
    case P::MicAEqBypass: case P::MicBEqBypass: case P::EchoAEqBypass: case P::EchoBEqBypass:
    case P::ReverbAEqBypass: case P::ReverbBEqBypass: case P::MusicEqBypass:
    case P::OutEqBypass: case P::DelayOn: case P::CompressorOn: case P::MusicAgcSwitch:
    case P::AutoSubSwitch:
      return true;
    default:
      return false;
  }
}

std::string paramValue(const ParameterMemory& mem, P p, int instance) {
  const ParamDesc& d = Describe(p);
  const size_t w = size_t(d.wordOf(instance));
  const auto& pc = mem.pc;
  switch (d.encoding) {
    case Encoding::Level:
    case Encoding::Gate:
    case Encoding::Master:
      return formatInt("%lld", pc.getInt(w));
    case Encoding::ByteWord:
    case Encoding::ShiftOff:
      if (isSwitchLike(p)) return pc.getInt(w) != 0 ? "on" : "off";
      if (p == P::SpeakerAssign) {
        const int v = pc.getInt(w);
        if (v >= 0 && v < kChannels) return kChannelNames[v].en;
      }
      return formatInt("%lld", pc.getInt(w));
    case Encoding::Switch:
      return pc.getInt(w) != 0 ? "on" : "off";
    case Encoding::Mute:
    case Encoding::MusicMute:
      return pc.getInt(w) != 0 ? "muted" : "not muted";
    case Encoding::Phase:
      return pc.getInt(w) != 0 ? "180°" : "0°";
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
      return format("%.1f ms", pc.getFloat(w));
    case Encoding::ReverbTime:
      return format("%.0f", pc.getFloat(w));
    case Encoding::Pitch:
      return formatInt("%+lld", pc.getInt(w));
    case Encoding::RawWord: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%08X", unsigned(pc.raw(w)));
      return buf;
    }
    case Encoding::ShiftFreq:
    case Encoding::ShiftPeriod: {
      const int v = pc.getInt(w);
      return v == 0 || v == 1 ? "off" : formatInt("%lld Hz", v);
    }
    case Encoding::DelayMode:
      return pc.getInt(w) == 1 ? "whole channel" : "high frequencies";
    case Encoding::Compressor: {
      char buf[128];
      std::snprintf(buf, sizeof buf, "threshold %.2f, ratio %.2f, attack %.1f ms, release %.1f ms",
                    double(pc.getFloat(w)), double(pc.getFloat(w + 8)),
                    double(pc.getFloat(w + 16)), double(pc.getFloat(w + 24)));
      return buf;
    }
    case Encoding::RoomTrim:
      return format("%+.1f dB", RoomTrimDb(mem, instance));
  }
  return {};
}

std::string typeText(int type) {
  const dsp::SectionTypeName n = dsp::sectionTypeName(type);
  if (n.english.empty()) return formatInt("%lld", type);
  if (dsp::isCrossoverType(type)) return std::string(n.english) + formatInt(" (%lld)", type);
  return std::string(n.english);
}

// Longest words first, so "not muted" is not read as "muted". Built once: a list of a thousand
// differences would otherwise sort it two thousand times (and threads shared its strings).
const std::vector<Pair>& valueWordsLongestFirst() {
  static const std::array<std::string, 6> zh = [] {
    std::array<std::string, 6> a;
    for (int t = 0; t <= 5; ++t) a[size_t(t)] = std::string(dsp::sectionTypeName(t).chinese);
    return a;
  }();
  static const std::array<std::string, 6> en = [] {
    std::array<std::string, 6> a;
    for (int t = 0; t <= 5; ++t) a[size_t(t)] = std::string(dsp::sectionTypeName(t).english);
    return a;
  }();
  static const std::vector<Pair> words = [] {
    std::vector<Pair> w(std::begin(kValueWords), std::end(kValueWords));
    for (size_t t = 0; t < zh.size(); ++t) w.push_back({zh[t].c_str(), en[t].c_str()});
    std::stable_sort(w.begin(), w.end(), [](const Pair& a, const Pair& b) {
      return std::strlen(a.en) > std::strlen(b.en);
    });
    return w;
  }();
  return words;
}

std::string translateValue(const std::string& text, DiffLanguage l) {
  if (l == DiffLanguage::English) return text;
  std::string out = text;
  for (const Pair& w : valueWordsLongestFirst()) {
    const std::string en = w.en;
    for (size_t at = out.find(en); at != std::string::npos; at = out.find(en, at)) {
      // Whole words only ("on" inside "ratio" stays).
      const bool startOk = at == 0 || !std::isalpha(static_cast<unsigned char>(out[at - 1]));
      const size_t end = at + en.size();
      const bool endOk = end >= out.size() || !std::isalpha(static_cast<unsigned char>(out[end]));
      if (startOk && endOk) {
        out.replace(at, en.size(), w.zh);
        at += std::strlen(w.zh);
      } else {
        at = end;
      }
    }
  }
  return out;
}

// Two values that read the same at their usual precision (a time the box rounded to whole
// samples, a switch word of 2 instead of 1) still differ: their exact values are added.
std::string exactFloat(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", double(v));
  return buf;
}

void telApart(Difference& d, const std::string& exactFrom, const std::string& exactTo) {
  if (d.from != d.to) return;
  d.from += " (" + exactFrom + ")";
  d.to += " (" + exactTo + ")";
}

std::string exactWords(const ParameterMemory& mem, const std::vector<int>& words, bool floats) {
  std::string out;
  for (int w : words) {
    if (!out.empty()) out += ", ";
    out += floats ? exactFloat(mem.pc.getFloat(size_t(w))) : formatInt("%lld", mem.pc.getInt(size_t(w)));
  }
  return out;
}

bool floatWords(P p) {
  switch (Describe(p).encoding) {
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
    case Encoding::ReverbTime:
    case Encoding::Compressor:
      return true;
    default:
      return false;
  }
}

void diffParam(std::vector<Difference>& out, const ParameterMemory& a, const ParameterMemory& b,
               P p, int instance) {
  Target t{Target::Kind::Param, p, instance};
  if (p == P::MicToA || p == P::MicToB) t.kind = Target::Kind::Routing;
  std::vector<int> words = wordsOf(t);
  if (t.kind == Target::Kind::Routing) words = {Describe(p).wordOf(instance)};
  // The shift's off flag follows the shift value when it is sent: only the value counts.
  if (Describe(p).encoding == Encoding::ShiftFreq) words.resize(1);
  bool differs = false;
  for (int w : words) differs = differs || a.pc.raw(size_t(w)) != b.pc.raw(size_t(w));
  if (!differs) return;
  Difference d;
  d.kind = Difference::Kind::Param;
  d.param = p;
  d.instance = instance;
  d.from = paramValue(a, p, instance);
  d.to = paramValue(b, p, instance);
  telApart(d, exactWords(a, words, floatWords(p)), exactWords(b, words, floatWords(p)));
  out.push_back(std::move(d));
}

std::string bandFieldValue(const BandRecord& r, Difference::BandField f) {
  switch (f) {
    case Difference::BandField::Type:
      return typeText(r.type);
    case Difference::BandField::Gain:
      return format("%+.1f dB", r.gainDb);
    case Difference::BandField::Frequency:
      return format("%.0f Hz", r.frequency);
    case Difference::BandField::Q:
      return format("%.3f", r.q);
    case Difference::BandField::None:
      break;
  }
  return {};
}

void diffBand(std::vector<Difference>& out, const ParameterMemory& a, const ParameterMemory& b,
              int set, int band) {
  const EqSenders::BandAddress addr = EqSenders::AddressOf(set, band);
  const int offset = BandRecordOffset(addr.group, addr.band);
  PackedBand ra, rb;
  a.boxImage.copyOut(size_t(offset), ra.data(), ra.size());
  b.boxImage.copyOut(size_t(offset), rb.data(), rb.size());
  if (ra == rb) return;
  const BandRecord da = UnpackBandRecord(ra.data());
  const BandRecord db = UnpackBandRecord(rb.data());
  using F = Difference::BandField;
  // Fields compare by their bytes: type (6), gain (0..1), frequency (2..3), Q (4..5).
  const std::pair<F, std::pair<int, int>> fields[] = {
      {F::Type, {6, 1}}, {F::Gain, {0, 2}}, {F::Frequency, {2, 2}}, {F::Q, {4, 2}}};
  for (const auto& [field, span] : fields) {
    if (std::memcmp(ra.data() + span.first, rb.data() + span.first, size_t(span.second)) == 0)
      continue;
    Difference d;
    d.kind = Difference::Kind::Band;
    d.set = set;
    d.band = band;
    d.field = field;
    d.from = bandFieldValue(da, field);
    d.to = bandFieldValue(db, field);
    out.push_back(std::move(d));
  }
}

std::string roomEntryValue(const ParameterMemory& mem, int entry) {
  const uint8_t v = mem.roomBlock.get(size_t(entry));
  if (entry < 2) return formatInt("%lld m", v);
  return format("%.1f m", DecodeRoomCoordinate(v));
}

}  // namespace

std::vector<Difference> DiffSettings(const ParameterMemory& from, const ParameterMemory& to) {
  std::vector<Difference> out;
  for (const Target& t : writeOrder()) {
    if (t.kind == Target::Kind::Routing) {
      diffParam(out, from, to, P::MicToA, t.instance);
      diffParam(out, from, to, P::MicToB, t.instance);
    } else if (t.param != P::RoomTrim) {
      diffParam(out, from, to, t.param, t.instance);
    }
  }
  for (int set : kEqSetWriteOrder) {
    for (int band = 0; band < EqSetBandCount(set); ++band) diffBand(out, from, to, set, band);
    if (IsOutputEqSet(set))
      for (int band : kSplitBands) diffBand(out, from, to, set, band);
  }
  for (int ch = 0; ch < kChannels; ++ch) {
    if (std::memcmp(from.roomTrim.snapshot().data() + 4 * ch, to.roomTrim.snapshot().data() + 4 * ch,
                    4) == 0)
      continue;
    Difference d;
    d.kind = Difference::Kind::RoomTrim;
    d.param = P::RoomTrim;
    d.instance = ch;
    d.from = paramValue(from, P::RoomTrim, ch);
    d.to = paramValue(to, P::RoomTrim, ch);
    telApart(d, exactFloat(RoomTrimDb(from, ch)), exactFloat(RoomTrimDb(to, ch)));
    out.push_back(std::move(d));
  }
  for (int entry = 0; entry < kRoomBlockSize; ++entry) {
    if (from.roomBlock.get(size_t(entry)) == to.roomBlock.get(size_t(entry))) continue;
    Difference d;
    d.kind = Difference::Kind::RoomBlock;
    d.entry = entry;
    d.from = roomEntryValue(from, entry);
    d.to = roomEntryValue(to, entry);
    telApart(d, formatInt("0x%02llX", from.roomBlock.get(size_t(entry))),
             formatInt("0x%02llX", to.roomBlock.get(size_t(entry))));
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<Difference> DiffImages(const SettingsImage& from, const SettingsImage& to) {
  ParameterMemory a, b;
  if (!LoadImage(a, from) || !LoadImage(b, to)) return {};
  return DiffSettings(a, b);
}

std::string NameOf(const Difference& d, DiffLanguage language) {
  const bool zh = language == DiffLanguage::Chinese;
  switch (d.kind) {
    case Difference::Kind::Param: {
      const Pair* name = paramName(d.param);
      if (!name) return Describe(d.param).name;
      const ParamDesc& desc = Describe(d.param);
      if (desc.perChannel && d.instance >= 0 && d.instance < kChannels) {
        return std::string(pick(kChannelNames[d.instance], language)) + " " + pick(*name, language);
      }
      if (desc.instances > 1) return formatInt(pick(*name, language), d.instance + 1);
      return pick(*name, language);
    }
    case Difference::Kind::Band: {
      std::string owner;
      const bool output = IsOutputEqSet(d.set);
      const int channel = d.set - kFirstOutputEqSet;
      if (d.set >= 0 && d.set < kFirstOutputEqSet) {
        owner = pick(kSetNames[d.set], language);
      } else if (output) {
        owner = std::string(pick(kChannelNames[channel], language)) + (zh ? " 均衡" : " EQ");
      }
      std::string band;
      if (output && (d.band == kSplitHighPassSlot || d.band == kSplitLowPassSlot)) {
        owner = pick(kChannelNames[channel], language);
        band = d.band == kSplitHighPassSlot ? (zh ? "分频 高通" : "split high-pass")
                                            : (zh ? "分频 低通" : "split low-pass");
      } else {
        band = zh ? formatInt("第%lld段", d.band + 1) : formatInt("band %lld", d.band + 1);
      }
      const char* field = "";
      switch (d.field) {
        case Difference::BandField::Type: field = zh ? "类型" : "type"; break;
        case Difference::BandField::Gain: field = zh ? "增益" : "gain"; break;
        case Difference::BandField::Frequency: field = zh ? "频率" : "frequency"; break;
        case Difference::BandField::Q: field = zh ? "Q值" : "Q"; break;
        case Difference::BandField::None: break;
      }
      return owner + " " + band + (*field ? std::string(" ") + field : std::string());
    }
    case Difference::Kind::RoomTrim:
      if (d.instance < 0 || d.instance >= kChannels) return zh ? "房间补偿" : "room trim";
      return std::string(pick(kChannelNames[d.instance], language)) + (zh ? " 房间补偿" : " room trim");
    case Difference::Kind::RoomBlock: {
      if (d.entry == 0) return zh ? "房间 宽度" : "Room width";
      if (d.entry == 1) return zh ? "房间 长度" : "Room length";
      if (d.entry < 2 || d.entry >= kRoomBlockSize) return zh ? "房间" : "Room";
      const Pair& place = kRoomPlaces[(d.entry - 2) / 2];
      const bool x = (d.entry - 2) % 2 == 0;
      return std::string(zh ? "房间 " : "Room ") + pick(place, language) + (x ? " X" : " Y");
    }
  }
  return {};
}

std::string ValueText(const std::string& value, DiffLanguage language) {
  return translateValue(value, language);
}

// The write restores settings as a whole; none of its sends is an edit of the user's.
class EditHookAside {
 public:
  explicit EditHookAside(Commands& cmd) : cmd_(cmd), saved_(cmd.editHook()) {
    cmd.setEditHook({});
  }
  ~EditHookAside() { cmd_.setEditHook(std::move(saved_)); }
  EditHookAside(const EditHookAside&) = delete;
  EditHookAside& operator=(const EditHookAside&) = delete;

 private:
  Commands& cmd_;
  Commands::EditHook saved_;
};

int WriteDifferences(Commands& cmd, EqSenders& eq, const ParameterMemory& target,
                     MasterVolumes masters) {
  ParameterMemory& live = cmd.memory();
  const EditHookAside quiet(cmd);
  // Both sides as the full write would leave them: a target whose words only differ in what
  // the write fixes up anyway (a time below its minimum, both routing words set) is unchanged.
  Normalised from, to;
  normalise(from, live, cmd, softStart(live));
  normalise(to, target, cmd, softStart(live));

  int sent = 0;
  const auto& order = writeOrder();
  for (size_t i = 0; i < order.size(); ++i) {
    const Target& t = order[i];
    if (t.kind == Target::Kind::Master && masters == MasterVolumes::Restored) {
      if (!targetDiffers(t, from.mem, to.mem)) continue;
      // As the edit being taken back sent it.
      copyTarget(t, live, to.mem);
      cmd.SendParam(t.param);
      ++sent;
      continue;
    }
    // The full write leaves the box's master volumes alone unless it ramps them.
    if (t.kind == Target::Kind::Master && !softStart(live)) continue;
    if (!targetDiffers(t, from.mem, to.mem)) continue;
    copyTarget(t, live, to.mem);
    sendTarget(cmd, eq, t);
    sent += to.reports[i];
  }

  // Words that no report carries still follow the target, so memory holds what was loaded.
  std::array<bool, kPcWords> owned{};
  for (const Target& t : order)
    for (int w : wordsOf(t)) owned[size_t(w)] = true;
  for (P p : {P::MicMaster, P::MusicMaster}) owned[size_t(Describe(p).word)] = true;
  for (int w = 0; w < kPcWords; ++w)
    if (!owned[size_t(w)]) live.pc.setRaw(size_t(w), target.pc.raw(size_t(w)));

  // A changed band: its record as stored, then its section as the full write designs it.
  for (int set : kEqSetWriteOrder) {
    for (int band = 0; band < EqSetBandCount(set); ++band) {
      const EqSenders::BandAddress a = EqSenders::AddressOf(set, band);
      const int offset = BandRecordOffset(a.group, a.band);
      PackedBand have, want;
      live.boxImage.copyOut(size_t(offset), have.data(), have.size());
      target.boxImage.copyOut(size_t(offset), want.data(), want.size());
      if (have == want) continue;
      live.boxImage.copyIn(size_t(offset), want.data(), want.size());
      cmd.WriteBoxMemory(offset, want.data(), int(want.size()));
      const BandRecord r = UnpackBandRecord(want.data());
      cmd.WriteBiquad(a.block, a.index,
                      dsp::designSection(r.type, r.gainDb, double(int(r.frequency)), r.q));
      sent += 2;
    }
  }

  // The room layout goes with the trims it was measured for; the full write leaves it to the
  // room page, which would leave the box with the old layout under the new trims.
  const auto haveRoom = live.roomBlock.snapshot();
  const auto wantRoom = target.roomBlock.snapshot();
  if (haveRoom != wantRoom) {
    live.roomBlock.copyIn(0, wantRoom.data(), wantRoom.size());
    DecodeRoomBlock(live);
    cmd.WriteBoxMemory(kRoomBlockAddress, wantRoom.data(), int(wantRoom.size()));
    ++sent;
  }
  return sent;
}

int WriteDifferences(Commands& cmd, EqSenders& eq, const SettingsImage& target,
                     MasterVolumes masters) {
  ParameterMemory mem;
  if (!LoadImage(mem, target)) return 0;
  return WriteDifferences(cmd, eq, mem, masters);
}

}  // namespace ax7::history
