#include "device/dispatcher.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "params/byte_order.h"
#include "params/param_table.h"
#include "params/room.h"
#include "params/saturate.h"

namespace ax7 {

namespace {

// Report codes from the box.
enum : uint8_t {
  kCurrentMode = 0x07,
  kParamsChanged = 0x09,
  kParamReply = 0x0A,
  kLiveStatus = kLiveStatusReport,
  kZWaveFrame = 0x12,
  kZWaveMemory = 0x14,
  kKeyLearned = 0x60,
  kKeyTable = 0x62,
  kDspVersion = 0x7E,
  kCmdVersion = 0x7F,
  kModule = 0x80,
  kMcuVersion = 0x81,
  kMemoryAnswer = 0x86,
  kSettings = 0x92,
  kModeName = 0xDB,
};

constexpr size_t kMemoryData = 5;  // first data byte of a 0x86 answer
constexpr size_t kMemoryRoom = kReportSize - kMemoryData;
constexpr size_t kParamWords = 6;  // first word of a 0x0A answer
constexpr size_t kParamWordRoom = (kReportSize - kParamWords) / 4;
constexpr size_t kTextStart = 2;
constexpr size_t kTextMaxChars = 58;
constexpr size_t kModeNameStart = 5;
constexpr size_t kModeNameChars = 24;

// trunc(scale x (v +- half)) in single precision, so values sent as value / scale come back as
// the same whole number.
int roundScaled(float v, float scale, float half) {
  float shifted = v >= 0.0f ? v + half : v - half;
  float scaled = scale * shifted;
  return SaturateToInt32(scaled);
}

// Stores x in the word only when it is a finite single: a damaged compressor answer would
// otherwise leave inf or NaN in memory.
void setFiniteFloat(SharedWords<kPcWords>& pc, size_t word, double x) {
  if (std::isfinite(x) && std::fabs(x) <= double(FLT_MAX)) pc.setFloat(word, float(x));
}

// The values of one 0x0A answer in each of the encodings the box uses.
struct ParamValue {
  explicit ParamValue(const Report& r)
      : raw(getBe32(&r[kParamWords])), v(std::bit_cast<float>(raw)), a(r[kParamWords + 3]) {}
  int d() const { return roundScaled(v, 100.0f, 0.005f); }
  int g() const { return roundScaled(v, 10000.0f, 0.00005f); }
  // Samples at 48 kHz as milliseconds.
  float t() const { return float(double(raw) * 1000.0 / 48000.0); }
  // Angular frequency back to Hz.
  int f() const {
    return SaturateToInt32(double(v) * 48000.0 / (2.0 * std::numbers::pi) + 0.5);
  }
  // Mutes are sent as 0.0 for "muted".
  int inverted() const { return d() == 0 ? 1 : 0; }

  uint32_t raw;
  float v;
  int a;
};

// Inverts the seven compressor words: threshold, 0, 1 - 1/ratio, 20, 0.05,
// 1 - e^(-1/(48 attack)), 1 - e^(-1/(48 release)). Threshold, ratio, attack and release are
// four words, eight apart.
void decodeCompressor(SharedWords<kPcWords>& pc, size_t word, const Report& r) {
  auto value = [&r](size_t k) { return getBeFloat(&r[kParamWords + 4 * k]); };
  pc.setRaw(word, getBe32(&r[kParamWords]));
  setFiniteFloat(pc, word + 8, 1.0 / (1.0 - double(value(2))));
  setFiniteFloat(pc, word + 16, -1.0 / (48.0 * std::log(1.0 - double(value(5)))));
  setFiniteFloat(pc, word + 24, -1.0 / (48.0 * std::log(1.0 - double(value(6)))));
}

// Stores one parameter answer in the word the parameter table names, by its encoding.
void decodeParam(SharedWords<kPcWords>& pc, const ParamDesc& d, int instance, const Report& r,
                 const ParamValue& p) {
  const size_t word = size_t(d.wordOf(instance));
  switch (d.encoding) {
    case Encoding::Level:
    case Encoding::Master:
    case Encoding::Switch:
      pc.setInt(word, p.d());
      break;
    case Encoding::Gate:
      pc.setInt(word, p.g());
      break;
    case Encoding::ByteWord:
      pc.setInt(word, p.a);
      break;
    case Encoding::ShiftOff:
      pc.setInt(word, p.a);
      // Off is also the shift value 1, which the shift word then shows.
      if (p.a == 1) {
        const Param shift = d.id == Param::ShiftOffA ? Param::ShiftFreqA : Param::ShiftFreqB;
        pc.setInt(size_t(Describe(shift).word), 1);
      }
      break;
    case Encoding::Mute:
    case Encoding::MusicMute:
      pc.setInt(word, p.inverted());
      break;
    case Encoding::Phase:
      pc.setInt(word, p.d() <= 0 ? 1 : 0);  // -1.0 is the inverted phase
      break;
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
      pc.setFloat(word, p.t());
      break;
    case Encoding::ReverbTime:
      pc.setFloat(word, float(p.d()));  // the reverb time word holds a float
      break;
    case Encoding::Pitch:
      pc.setInt(word, p.a - 5);  // pitch is sent offset by 5
      break;
    case Encoding::RawWord:
      pc.setRaw(word, p.raw);  // the AGC level travels as its own 32 bits
      break;
    case Encoding::ShiftFreq:
      pc.setInt(word, p.f());
      break;
    case Encoding::DelayMode: {
      // The second word is 0.0 when the whole channel is delayed.
      const float second = getBeFloat(&r[kParamWords + 4]);
      pc.setInt(word, SaturateToInt32(second) == 0 ? 1 : 0);
      break;
    }
    case Encoding::Compressor:
      decodeCompressor(pc, word, r);
      break;
    case Encoding::ShiftPeriod:
    case Encoding::RoomTrim:
      break;  // not read back
  }
}

// A version or model text: one byte per character, up to a zero byte. The targets keep room
// for a terminating zero, so a longer text is cut to what fits before it.
template <size_t N>
void storeText(SharedText<N>& target, const Report& r) {
  std::u16string text;
  for (size_t i = kTextStart; i < kReportSize && text.size() < kTextMaxChars; ++i) {
    if (r[i] == 0) break;
    text += char16_t(r[i]);
  }
  if (text.size() > N - 1) text.resize(N - 1);
  target.set(text);
}

}  // namespace

Dispatcher::Dispatcher(ParameterMemory& mem) : mem_(mem) {}

void Dispatcher::setNotifier(ViewNotifier* notifier) {
  notifier_.store(notifier);
}

void Dispatcher::setZWaveHandlers(FrameHandler frame, FrameHandler memory) {
  zwaveFrame_ = std::move(frame);
  zwaveMemory_ = std::move(memory);
}

void Dispatcher::DispatchReport(const Report& r) {
  DeviceState& dev = mem_.dev;
  switch (r[1]) {
    case kCurrentMode:
      // Mode numbers index the four mode names; a number the box cannot have is not stored.
      if (r[2] < kModeCount) dev.g_nCurrentMode.store(r[2]);
      break;
    case kParamsChanged:
      dev.g_bParamsChanged.store(1);
      break;
    case kParamReply:
      if (r[2] != 0 && dev.g_bParamErrorShown.exchange(1) == 0) {
        char text[128];
        std::snprintf(text, sizeof text, "参数错误,代码0x:%02X,指令1:0x%02X,指令2:0x%02X ", r[2],
                      r[3], r[4]);
        if (ViewNotifier* n = notifier_.load()) n->showError(text, "Error");
      }
      DecodeParamReply(r);
      break;
    case kLiveStatus:
      dev.g_liveStatus.copyIn(0, &r[2], kLiveStatusSize);
      break;
    case kZWaveFrame:
      if (zwaveFrame_) zwaveFrame_(r);
      break;
    case kZWaveMemory:
      if (zwaveMemory_) zwaveMemory_(r);
      break;
    case kKeyLearned: {
      // Byte 0 takes b2 first, so key number 0 leaves the code there. A key number beyond the
      // table stores no code, but the view is still told, so the learning dialog does not wait
      // for an answer that will never come.
      dev.g_remoteKeys.set(0, r[2]);
      if (r[3] < kRemoteKeysSize) dev.g_remoteKeys.set(r[3], r[4]);
      if (ViewNotifier* n = notifier_.load()) n->send(kMsgKeyLearned, r[4], 0);
      break;
    }
    case kKeyTable:
      dev.g_remoteKeys.copyIn(0, &r[2], 16);  // bytes 16 and 17 are not reported
      break;
    case kDspVersion:
      storeText(dev.g_szDspVersion, r);
      break;
    case kCmdVersion:
      dev.g_nCmdVersion.store(r[2]);
      break;
    case kModule:
      storeText(dev.g_szModule, r);
      break;
    case kMcuVersion:
      storeText(dev.g_szMcuVersion, r);
      break;
    case kMemoryAnswer: {
      int address = r[2] << 8 | r[3];
      // Never more than the report carries; copyIn cuts what passes the end of the block.
      size_t length = std::min<size_t>(r[4], kMemoryRoom);
      const uint8_t* data = &r[kMemoryData];
      if (address < kBoxImageSize) {
        if (data[0] == 0xFF && data[1] == 0xFF) {
          mem_.boxImage.fill(0);  // the box's memory is blank
        } else {
          mem_.boxImage.copyIn(size_t(address), data, length);
        }
      } else if (address == kRoomTrimAddress) {
        mem_.roomTrim.copyIn(0, data, length);
      } else if (address == kRoomBlockAddress) {
        mem_.roomBlock.copyIn(0, data, length);
        DecodeRoomBlock(mem_);
      }
      break;
    }
    case kSettings:
      dev.g_settingsCurrent.copyIn(0, &r[2], kSettingsSize);
      dev.g_settingsEdit.copyIn(0, &r[2], kSettingsSize);
      break;
    case kModeName: {
      if (r[5] == 0xFF && r[6] == 0xFF && r[7] == 0xFF && r[8] == 0xFF) break;  // never named
      int slot;
      switch (r[2] << 8 | r[3]) {
        case 0x0F00:
          slot = 0;
          break;
        case 0x0F40:
          slot = 1;
          break;
        case 0x0F80:
          slot = 2;
          break;
        case 0x0FC0:
          slot = 3;
          break;
        default:
          slot = -1;
          break;
      }
      if (slot < 0) break;
      std::u16string name;
      size_t count = r[4];
      for (size_t pos = kModeNameStart, read = 0;
           read < count && pos + 1 < kReportSize && name.size() < kModeNameChars;
           pos += 2, read += 2) {
        char16_t c = getBe16(&r[pos]);
        if (c == 0) break;
        name += c;
      }
      dev.g_szModeName[size_t(slot)].set(name);
      break;
    }
    default:
      break;
  }
}

void Dispatcher::DecodeParamReply(const Report& r) {
  if (r[5] > kParamWordRoom) return;  // claims more words than a report can hold
  int instance = 0;
  const ParamDesc* d = FindParam(r[3], r[4], &instance);
  if (!d || !d->readBack) return;
  decodeParam(mem_.pc, *d, instance, r, ParamValue(r));
}

}  // namespace ax7
