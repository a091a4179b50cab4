#include "device/dispatcher.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "params/byte_order.h"
#include "params/room.h"
#include "params/saturate.h"

namespace ax7 {

namespace {

// Report codes from the box.
enum : uint8_t {
  kCurrentMode = 0x07,
  kParamsChanged = 0x09,
  kParamReply = 0x0A,
  kLiveStatus = 0x0E,
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
constexpr int kMaxMode = 3;

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

void decodeMic(SharedWords<kPcWords>& pc, int index, const ParamValue& p) {
  if (index >= 4 && index <= 7) {
    pc.setInt(size_t(15 + index), p.d());
  } else if (index >= 8 && index <= 11) {
    pc.setInt(size_t(15 + index), p.g());
  } else if (index >= 27 && index <= 30) {
    pc.setInt(size_t(index - 26), p.d());
  } else if (index >= 46 && index <= 49) {
    pc.setInt(size_t(index - 37), p.d());
  } else {
    switch (index) {
      case 12:
        pc.setInt(27, p.a);
        break;
      case 13:
        pc.setInt(28, p.d());
        break;
      case 14:
        pc.setInt(0, p.d());
        break;
      case 15:
        pc.setInt(17, p.inverted());
        break;
      case 26:
        pc.setInt(5, p.a);
        break;
      case 31:
        pc.setInt(7, p.f());
        break;
      case 33:
        pc.setInt(8, p.a);
        if (p.a == 1) pc.setInt(7, 1);
        break;
      case 34:
        pc.setInt(18, p.d());
        break;
      case 45:
        pc.setInt(13, p.a);
        break;
      case 50:
        pc.setInt(15, p.f());
        break;
      case 52:
        pc.setInt(16, p.a);
        if (p.a == 1) pc.setInt(15, 1);
        break;
      default:
        break;
    }
  }
}

void decodeEcho(SharedWords<kPcWords>& pc, int index, const ParamValue& p) {
  switch (index) {
    case 7:
      pc.setInt(29, p.a);
      break;
    case 8:
      pc.setInt(30, p.d());
      break;
    case 9:
      pc.setFloat(31, p.t());
      break;
    case 10:
      pc.setFloat(32, p.t());
      break;
    case 11:
      pc.setInt(33, p.d());
      break;
    case 12:
      pc.setInt(34, p.d());
      break;
    case 20:
      pc.setInt(35, p.a);
      break;
    case 21:
      pc.setInt(36, p.d());
      break;
    case 22:
      pc.setFloat(37, p.t());
      break;
    case 23:
      pc.setFloat(38, p.t());
      break;
    case 24:
      pc.setInt(39, p.d());
      break;
    case 25:
      pc.setInt(40, p.d());
      break;
    case 26:
      pc.setInt(41, p.d());
      break;
    case 27:
      pc.setInt(42, p.inverted());
      break;
    default:
      break;
  }
}

void decodeReverb(SharedWords<kPcWords>& pc, int index, const ParamValue& p) {
  switch (index) {
    case 7:
      pc.setInt(43, p.a);
      break;
    case 8:
      pc.setInt(44, p.d());
      break;
    case 9:
      pc.setFloat(45, p.t());
      break;
    case 10:
      pc.setFloat(46, float(p.d()));
      break;  // the reverb time word holds a float
    case 19:
      pc.setInt(47, p.a);
      break;
    case 20:
      pc.setInt(48, p.d());
      break;
    case 21:
      pc.setFloat(49, p.t());
      break;
    case 22:
      pc.setFloat(50, float(p.d()));
      break;
    case 24:
      pc.setInt(51, p.d());
      break;
    case 25:
      pc.setInt(52, p.inverted());
      break;
    default:
      break;
  }
}

void decodeMusic(SharedWords<kPcWords>& pc, int index, const ParamValue& p) {
  switch (index) {
    case 10:
      pc.setInt(61, p.a);
      break;
    case 11:
      pc.setInt(53, p.d());
      break;
    case 12:
      pc.setInt(60, p.inverted());
      break;
    case 13:
      pc.setInt(193, p.a);
      break;
    case 14:
      pc.setRaw(194, p.raw);
      break;  // the AGC level travels as its own 32 bits
    case 18:
      pc.setInt(62, p.a - 5);
      break;  // pitch is sent offset by 5
    case 19:
      pc.setInt(64, p.g());
      break;
    case 20:
      pc.setInt(63, p.a);
      break;
    case 21:
      pc.setInt(54, p.d());
      break;
    case 22:
      pc.setInt(57, p.d());
      break;
    case 23:
      pc.setInt(55, p.d());
      break;
    case 24:
      pc.setInt(196, p.d());
      break;
    case 25:
      pc.setInt(197, p.d());
      break;
    case 26:
      pc.setInt(198, p.d());
      break;
    case 27:
      pc.setInt(56, p.d());
      break;
    case 28:
      pc.setInt(58, p.d());
      break;
    case 29:
      pc.setInt(59, p.d());
      break;
    case 30:
      pc.setInt(195, p.a);
      break;
    default:
      break;
  }
}

// Inverts the seven compressor words: threshold, 0, 1 - 1/ratio, 20, 0.05,
// 1 - e^(-1/(48 attack)), 1 - e^(-1/(48 release)).
void decodeCompressor(SharedWords<kPcWords>& pc, size_t ch, const Report& r) {
  auto word = [&r](size_t k) { return getBeFloat(&r[kParamWords + 4 * k]); };
  pc.setRaw(121 + ch, getBe32(&r[kParamWords]));
  setFiniteFloat(pc, 129 + ch, 1.0 / (1.0 - double(word(2))));
  setFiniteFloat(pc, 137 + ch, -1.0 / (48.0 * std::log(1.0 - double(word(5)))));
  setFiniteFloat(pc, 145 + ch, -1.0 / (48.0 * std::log(1.0 - double(word(6)))));
}

void decodeOutput(SharedWords<kPcWords>& pc, size_t ch, int index, const Report& r,
                  const ParamValue& p) {
  switch (index) {
    case 15:
      pc.setInt(105 + ch, p.a);
      break;
    case 16:
      pc.setInt(97 + ch, p.a);
      break;
    case 17: {
      // The second word is 0.0 when the whole channel is delayed.
      float second = getBeFloat(&r[kParamWords + 4]);
      pc.setInt(169 + ch, SaturateToInt32(second) == 0 ? 1 : 0);
      break;
    }
    case 18:
      pc.setFloat(153 + ch, p.t());
      break;
    case 19:
      pc.setInt(161 + ch, p.a);
      break;
    case 20:
      pc.setInt(65 + ch, p.d());
      break;
    case 21:
      pc.setInt(73 + ch, p.d());
      break;
    case 22:
      pc.setInt(81 + ch, p.d());
      break;
    case 23:
      pc.setInt(89 + ch, p.d());
      break;
    case 24:
      pc.setInt(199 + ch, p.d());
      break;
    case 25:
      pc.setInt(185 + ch, p.d() <= 0 ? 1 : 0);
      break;  // -1.0 is the inverted phase
    case 26:
      pc.setInt(177 + ch, p.inverted());
      break;
    case 27:
      decodeCompressor(pc, ch, r);
      break;
    case 28:
      pc.setInt(113 + ch, p.a);
      break;
    default:
      break;
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
      if (r[2] <= kMaxMode) dev.g_nCurrentMode.store(r[2]);
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
  int block = r[3];
  int index = r[4];
  if (block < 1 || block > 12) return;
  if (r[5] > kParamWordRoom) return;  // claims more words than a report can hold
  SharedWords<kPcWords>& pc = mem_.pc;
  ParamValue p(r);
  switch (block) {
    case 1:
      decodeMic(pc, index, p);
      break;
    case 2:
      decodeEcho(pc, index, p);
      break;
    case 3:
      decodeReverb(pc, index, p);
      break;
    case 4:
      decodeMusic(pc, index, p);
      break;
    default:
      decodeOutput(pc, size_t(block - 5), index, r, p);
      break;
  }
}

}  // namespace ax7
