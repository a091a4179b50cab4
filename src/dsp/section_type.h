// Section type codes: the type byte of a band record and of every in-memory band.
#pragma once

#include <string_view>

namespace ax7::dsp {

// Bands keep the raw code as an int (a record may hold any byte value), so the functions of this
// library take int; the enum names the codes for readers and callers.
enum class SectionType : int {
  kOff = 0,       // all-pass, never drawn
  kPeq = 1,       // peaking
  kLowPass = 2,   // 2nd order, band Q
  kHighPass = 3,  // 2nd order, band Q
  kLowShelf = 4,
  kHighShelf = 5,
  // Crossover sections (6..21): even codes low-pass, odd codes high-pass, partner = code + 1.
  kChebyshevLowPass = 6,
  kChebyshevHighPass = 7,
  kLowPassQ058 = 8,  // Q 1/sqrt(3), the Bessel sections
  kHighPassQ058 = 9,
  kFirstOrderLowPass = 10,
  kFirstOrderHighPass = 11,
  kLowPassQ071 = 12,  // Q 1/sqrt(2)
  kHighPassQ071 = 13,
  kLowPassQ100 = 14,  // Q 1/(2 sin(pi/6))
  kHighPassQ100 = 15,
  kLowPassQ050 = 16,  // Q 1/(2 sin(pi/2))
  kHighPassQ050 = 17,
  kLowPassQ131 = 18,  // Q 1/(2 sin(pi/8))
  kHighPassQ131 = 19,
  kLowPassQ054 = 20,  // Q 1/(2 sin(3pi/8))
  kHighPassQ054 = 21,
};

inline constexpr int kMaxSectionType = 21;

constexpr int code(SectionType t) {
  return static_cast<int>(t);
}

// Codes 6..21 exist only inside the crossover band's cascade.
constexpr bool isCrossoverType(int type) {
  return type >= 6 && type <= kMaxSectionType;
}

// Low-pass or high-pass of any kind; the graph fills these down to the bottom edge.
constexpr bool isPassType(int type) {
  return type == 2 || type == 3 || isCrossoverType(type);
}

// Types whose gain is pinned to 0 dB by the gain rule: the pass types and every code above 5.
constexpr bool hasFixedZeroGain(int type) {
  return type == 2 || type == 3 || type > 5;
}

struct SectionTypeName {
  std::string_view chinese;
  std::string_view english;
};

// The type word shown for a code: 0..5 their own, 6..21 "LP" or "HP" by parity, empty otherwise.
constexpr SectionTypeName sectionTypeName(int type) {
  constexpr SectionTypeName kNames[] = {
      {"关闭", "OFF"}, {"参量", "PEQ"}, {"低通", "LP"},
      {"高通", "HP"},  {"低架", "LS"},  {"高架", "HS"},
  };
  if (type >= 0 && type <= 5) return kNames[type];
  if (isCrossoverType(type)) return kNames[type % 2 == 0 ? 2 : 3];
  return {};
}

}  // namespace ax7::dsp
