#pragma once
// Random valid mode files (version 5, 2130 bytes), made from the file layout alone: every word
// holds a value its editor could have set, every band record a band the EQ editor could have
// made. Written apart from the program's own tables on purpose, so a fault shared by those
// tables and the code under test does not hide itself.
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace ax7::test {

class RandomModeFile {
 public:
  static constexpr size_t kSize = 2130;
  static constexpr size_t kPcAt = 4;       // 207 little-endian words
  static constexpr size_t kImageAt = 832;  // 178 band records of 7 bytes
  static constexpr size_t kTrimAt = 2078;  // 8 big-endian floats
  static constexpr size_t kRoomAt = 2110;  // 20 bytes

  explicit RandomModeFile(uint32_t seed) : rng_(seed) {}

  std::vector<uint8_t> make() {
    std::vector<uint8_t> f(kSize, 0);
    putLe(f, 0, 5);
    auto word = [&](int n, uint32_t v) { putLe(f, kPcAt + 4 * size_t(n), v); };
    auto fword = [&](int n, float v) {
      uint32_t u;
      std::memcpy(&u, &v, 4);
      word(n, u);
    };
    auto range = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); };
    auto tenths = [&](int lo, int hi) { return float(range(lo, hi)) / 10.0f; };

    word(0, uint32_t(range(0, 99)));  // microphone master
    for (int i = 0; i < 4; ++i) {     // each input on exactly one group
      const bool a = range(0, 1) == 1;
      word(1 + i, a ? 100 : 0);
      word(9 + i, a ? 0 : 100);
    }
    for (int n : {5, 13, 29, 35, 43, 47, 61, 17, 42, 52, 60, 27, 193}) word(n, uint32_t(range(0, 1)));
    for (int n : {7, 15}) {  // frequency shift and its off flag
      const int shift = range(0, 5);
      word(n, uint32_t(shift));
      word(n + 1, shift == 1 ? 1u : 0u);
    }
    for (int n : {18, 41, 51, 53}) word(n, uint32_t(range(0, 99)));
    for (int n = 19; n <= 26; ++n) word(n, uint32_t(range(0, 100)));
    for (int n : {28, 30, 33, 34, 36, 39, 40, 44, 48, 54, 55, 56, 57, 58, 59, 64, 196, 197, 198})
      word(n, uint32_t(range(0, 100)));
    for (int n : {31, 37, 45, 49}) fword(n, tenths(20, 10000));    // pre-delays, ms
    for (int n : {32, 38}) fword(n, float(range(40, 1000)));        // echo times, whole ms
    for (int n : {46, 50}) fword(n, float(range(0, 100)));          // reverb times
    word(62, uint32_t(range(-5, 5)));                               // pitch
    word(63, uint32_t(range(0, 5)));                                // music source
    word(194, uint32_t(rng_()));                                    // AGC level, raw
    word(195, uint32_t(range(0, 3)));                               // HDMI input
    for (int ch = 0; ch < 8; ++ch) {
      for (int n : {65, 73, 81, 89, 199}) word(n + ch, uint32_t(range(0, 100)));
      word(97 + ch, uint32_t(range(0, 7)));
      for (int n : {105, 113, 161, 169, 177, 185}) word(n + ch, uint32_t(range(0, 1)));
      fword(121 + ch, tenths(-300, 0));    // threshold
      fword(129 + ch, tenths(10, 200));    // ratio
      fword(137 + ch, float(range(1, 200)));
      fword(145 + ch, float(range(10, 1000)));
      fword(153 + ch, tenths(15, 10000));  // delay, ms
    }

    for (int record = 0; record < 178; ++record) {
      const size_t at = kImageAt + 7 * size_t(record);
      putBe16(f, at, uint16_t(range(0, 300)));        // (dB + 15) x 10
      putBe16(f, at + 2, uint16_t(range(20, 20000)));  // Hz
      putBe16(f, at + 4, uint16_t(range(100, 30000)));  // Q x 1000
      f[at + 6] = uint8_t(range(0, 5));
    }
    for (int ch = 0; ch < 8; ++ch) {
      const float db = tenths(-150, 150);
      uint32_t u;
      std::memcpy(&u, &db, 4);
      for (int i = 0; i < 4; ++i) f[kTrimAt + 4 * size_t(ch) + size_t(i)] = uint8_t(u >> (24 - 8 * i));
    }
    f[kRoomAt] = uint8_t(range(1, 20));
    f[kRoomAt + 1] = uint8_t(range(1, 20));
    for (size_t i = 2; i < 20; ++i) f[kRoomAt + i] = uint8_t(range(0, 255));
    return f;
  }

  // Word n of a file's PC block.
  static uint32_t wordOf(const std::vector<uint8_t>& f, int n) {
    const size_t at = kPcAt + 4 * size_t(n);
    return uint32_t(f[at]) | uint32_t(f[at + 1]) << 8 | uint32_t(f[at + 2]) << 16 |
           uint32_t(f[at + 3]) << 24;
  }
  static void setWord(std::vector<uint8_t>& f, int n, uint32_t v) { putLe(f, kPcAt + 4 * size_t(n), v); }
  static void setFloatWord(std::vector<uint8_t>& f, int n, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    setWord(f, n, u);
  }
  std::mt19937& rng() { return rng_; }

 private:
  static void putLe(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + size_t(i)] = uint8_t(v >> (8 * i));
  }
  static void putBe16(std::vector<uint8_t>& f, size_t at, uint16_t v) {
    f[at] = uint8_t(v >> 8);
    f[at + 1] = uint8_t(v);
  }

  std::mt19937 rng_;
};

}  // namespace ax7::test
