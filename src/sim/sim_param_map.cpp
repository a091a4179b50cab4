#include "sim/sim_param_map.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "device/commands.h"
#include "params/byte_order.h"

namespace ax7::sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

uint32_t floatWord(double v) {
  return std::bit_cast<uint32_t>(float(v));
}
// The box holds what the program's encoders send.
uint32_t level(int v) {
  return std::bit_cast<uint32_t>(EncodeLevel(v));
}
uint32_t gate(int v) {
  return std::bit_cast<uint32_t>(EncodeGate(v));
}
uint32_t master(int v) {
  return std::bit_cast<uint32_t>(EncodeMaster(v));
}
// Saturates instead of overflowing: PC blocks from mode files may hold any bit pattern.
int32_t truncToInt(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;  // also NaN
  if (v > 2147483647.0) return INT32_MAX;
  return int32_t(v);
}
uint32_t samples(double ms) {
  return uint32_t(truncToInt(ms * 48 + 0.5));
}
uint32_t byteWord(int64_t v) {
  return uint32_t(v) & 0xFF;
}
uint32_t onOff(int v) {
  return floatWord(v != 0 ? 1.0 : 0.0);
}
uint32_t mute(int v) {
  return floatWord(v != 0 ? 0.0 : 1.0);
}
uint32_t phase(int v) {
  return floatWord(v != 0 ? -1.0 : 1.0);
}

// Period of the frequency shift, by shift value 0..5.
double shiftPeriodMs(int value) {
  static constexpr double kPeriods[] = {0, 0, 100, 58.333, 37.5, 25};
  return value >= 0 && value <= 5 ? kPeriods[value] : 0;
}

std::vector<uint32_t> compressorWords(float threshold, float ratio, float attackMs,
                                      float releaseMs) {
  return {std::bit_cast<uint32_t>(threshold),
          floatWord(0.0),
          floatWord(1.0 - 1.0 / ratio),
          floatWord(20.0),
          floatWord(0.05),
          floatWord(1.0 - std::exp(-1.0 / (attackMs * 48.0))),
          floatWord(1.0 - std::exp(-1.0 / (releaseMs * 48.0)))};
}

std::vector<uint32_t> roomTrimWords(float g) {
  const float g2 = float(double(g) * double(g));
  const double c1 = std::pow(10.0, (0.0022594517 * g2 + 0.799902 * g) / 20.0);
  const double c2 = std::pow(10.0, g / 20.0);
  return {floatWord(c1), floatWord(c2), 0x3F7EFF25u, 0xBFFF7EF1u, floatWord(c1), floatWord(c2)};
}

class Encoder {
 public:
  Encoder(const ParameterMemory& mem, DspParams& out) : mem_(mem), out_(out) {}

  int w(int n) const { return mem_.pc.getInt(size_t(n)); }
  float f(int n) const { return mem_.pc.getFloat(size_t(n)); }
  void put(int block, int index, std::vector<uint32_t> words) {
    out_[{block, index}] = std::move(words);
  }
  void one(int block, int index, uint32_t word) { put(block, index, {word}); }
  void biquads(int block, int first, int count) {
    for (int i = 0; i < count; ++i) put(block, first + i, {0, 0, floatWord(1.0), 0, 0});
  }
  // Group A: word 7/8 at indexes 31..33; group B: words 15/16 at 50..52.
  void shift(int block, int firstIndex, int valueWord, int offWord) {
    const int value = w(valueWord);
    const bool active = value >= 2 && value <= 5;
    one(block, firstIndex, floatWord(kTwoPi * (active ? value : 0) / 48000.0));
    one(block, firstIndex + 1, samples(shiftPeriodMs(value)));
    one(block, firstIndex + 2, byteWord(w(offWord)));
  }
  const ParameterMemory& mem() const { return mem_; }

 private:
  const ParameterMemory& mem_;
  DspParams& out_;
};

void encodeMicrophones(Encoder& e) {
  for (int i = 0; i < 4; ++i) {
    e.one(1, 4 + i, level(e.w(19 + i)));
    e.one(1, 8 + i, gate(e.w(23 + i)));
    e.one(1, 27 + i, onOff(e.w(1 + i)));
    e.one(1, 46 + i, onOff(e.w(9 + i)));
  }
  e.one(1, 12, byteWord(e.w(27)));
  e.one(1, 13, level(e.w(28)));
  e.one(1, 14, master(e.w(0)));
  e.one(1, 15, mute(e.w(17)));
  e.biquads(1, 16, 10);
  e.one(1, 26, byteWord(e.w(5)));
  e.shift(1, 31, 7, 8);
  e.one(1, 34, master(e.w(18)));
  e.biquads(1, 35, 10);
  e.one(1, 45, byteWord(e.w(13)));
  e.shift(1, 50, 15, 16);
  e.one(1, 53, master(e.w(18)));
}

void encodeEcho(Encoder& e) {
  // Group A from word 29 at index 0, group B from word 35 at index 13.
  for (int g = 0; g < 2; ++g) {
    const int word = 29 + 6 * g;
    const int index = 13 * g;
    e.biquads(2, index, 7);
    e.one(2, index + 7, byteWord(e.w(word)));
    e.one(2, index + 8, level(e.w(word + 1)));
    e.one(2, index + 9, samples(std::max(e.f(word + 2), 2.0f)));
    e.one(2, index + 10, samples(std::max(std::trunc(e.f(word + 3)), 40.0f)));
    e.one(2, index + 11, level(e.w(word + 4)));
    e.one(2, index + 12, level(e.w(word + 5)));
  }
  e.one(2, 26, level(e.w(41)));
  e.one(2, 27, mute(e.w(42)));
}

void encodeReverb(Encoder& e) {
  // Group A from word 43 at index 0, group B from word 47 at index 12.
  for (int g = 0; g < 2; ++g) {
    const int word = 43 + 4 * g;
    const int index = 12 * g;
    e.biquads(3, index, 7);
    e.one(3, index + 7, byteWord(e.w(word)));
    e.one(3, index + 8, level(e.w(word + 1)));
    e.one(3, index + 9, samples(std::max(e.f(word + 2), 2.0f)));
    const uint32_t time = level(truncToInt(e.f(word + 3)));
    e.one(3, index + 10, time);
    e.one(3, index + 11, time);
  }
  e.put(3, 24, {level(e.w(51)), level(e.w(51))});
  e.put(3, 25, {mute(e.w(52)), mute(e.w(52))});
}

void encodeMusic(Encoder& e) {
  e.biquads(4, 0, 10);
  e.one(4, 10, byteWord(e.w(61)));
  e.one(4, 11, master(e.w(53)));
  e.one(4, 12, mute(e.w(60)));
  e.one(4, 13, byteWord(e.w(193)));
  e.one(4, 14, e.mem().pc.raw(194));
  e.one(4, 18, byteWord(int64_t(e.w(62)) + 5));
  e.one(4, 19, gate(e.w(64)));
  e.one(4, 20, byteWord(e.w(63)));
  static constexpr int kInputWords[][2] = {{21, 54},  {22, 57}, {23, 55}, {24, 196}, {25, 197},
                                           {26, 198}, {27, 56}, {28, 58}, {29, 59}};
  for (const auto& [index, word] : kInputWords) e.one(4, index, level(e.w(word)));
  e.one(4, 30, byteWord(e.w(195)));
  e.one(4, 31, 0);
}

void encodeOutputs(Encoder& e) {
  for (int ch = 0; ch < 8; ++ch) {
    const int b = 5 + ch;
    e.biquads(b, 0, 15);
    e.one(b, 15, byteWord(e.w(105 + ch)));
    e.one(b, 16, byteWord(e.w(97 + ch)));
    e.put(b, 17, {floatWord(1.0), floatWord(e.w(169 + ch) == 1 ? 0.0 : 1.0)});
    e.one(b, 18, samples(std::max(e.f(153 + ch), 1.5f)));
    e.one(b, 19, byteWord(e.w(161 + ch)));
    e.one(b, 20, level(e.w(65 + ch)));
    e.one(b, 21, level(e.w(73 + ch)));
    e.one(b, 22, level(e.w(81 + ch)));
    e.one(b, 23, level(e.w(89 + ch)));
    e.one(b, 24, level(e.w(199 + ch)));
    e.one(b, 25, phase(e.w(185 + ch)));
    e.one(b, 26, mute(e.w(177 + ch)));
    e.put(b, 27, compressorWords(e.f(121 + ch), e.f(129 + ch), e.f(137 + ch), e.f(145 + ch)));
    e.one(b, 28, byteWord(e.w(113 + ch)));
    uint8_t trim[4];
    e.mem().roomTrim.copyOut(size_t(4 * ch), trim, 4);
    e.put(b, 29, roomTrimWords(getBeFloat(trim)));
  }
}

}  // namespace

void LoadFactoryPcBlock(ParameterMemory& mem) {
  auto& pc = mem.pc;
  pc.clear();
  pc.setInt(0, 50);   // microphone master
  pc.setInt(1, 100);  // inputs 0 and 1 feed group A
  pc.setInt(2, 100);
  pc.setInt(11, 100);  // inputs 2 and 3 feed group B
  pc.setInt(12, 100);
  for (int n : {7, 8, 15, 16}) pc.setInt(n, 1);  // frequency shift off
  pc.setInt(18, 60);                             // effect master
  for (int n = 19; n <= 22; ++n) pc.setInt(n, 80);
  for (int g = 0; g < 2; ++g) {  // echo A and B
    const int w = 29 + 6 * g;
    pc.setInt(w + 1, 50);
    pc.setFloat(w + 2, 2.0f);
    pc.setFloat(w + 3, 217.0f);
    pc.setInt(w + 4, 60);
    pc.setInt(w + 5, 40);
  }
  pc.setInt(41, 60);
  for (int g = 0; g < 2; ++g) {  // reverb A and B
    const int w = 43 + 4 * g;
    pc.setInt(w + 1, 40);
    pc.setFloat(w + 2, 2.0f);
    pc.setFloat(w + 3, 50.0f);
  }
  pc.setInt(51, 60);
  pc.setInt(53, 50);  // music master
  for (int n = 54; n <= 59; ++n) pc.setInt(n, 80);
  pc.setInt(63, 2);  // HDMI
  for (int n = 196; n <= 198; ++n) pc.setInt(n, 80);
  for (int ch = 0; ch < 8; ++ch) {
    for (int mix : {65, 73, 81, 89}) pc.setInt(mix + ch, 100);
    pc.setInt(97 + ch, ch);
    pc.setFloat(121 + ch, 0.0f);
    pc.setFloat(129 + ch, 1.0f);
    pc.setFloat(137 + ch, 10.0f);
    pc.setFloat(145 + ch, 100.0f);
    pc.setFloat(153 + ch, 1.5f);
    pc.setInt(169 + ch, 1);
    pc.setInt(199 + ch, 100);
  }
}

DspParams EncodeDspParams(const ParameterMemory& mem) {
  DspParams out;
  Encoder e(mem, out);
  encodeMicrophones(e);
  encodeEcho(e);
  encodeReverb(e);
  encodeMusic(e);
  encodeOutputs(e);
  return out;
}

}  // namespace ax7::sim
