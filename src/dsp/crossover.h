// The crossover list of an output channel's crossover band and its four-section cascades.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ax7::dsp {

// Record 9 of an output EQ set is the crossover band; records 9..12 hold its cascade.
inline constexpr int kCrossoverBand = 9;
inline constexpr int kCrossoverSections = 4;
inline constexpr int kOutputBandCount = 13;

inline constexpr std::array<std::string_view, 11> kCrossoverNames = {
    "LinkwitzRiely 12dB", "LinkwitzRiely 24dB", "LinkwitzRiely 36dB", "LinkwitzRiely 48dB",
    "Bessel 12dB",        "Bessel 18dB",        "Bessel 24dB",        "Butterworth 12dB",
    "Butterworth 18dB",   "Butterworth 24dB",   "Chebyshev 12dB",
};

// The list entry's name, or empty for an index outside the list.
constexpr std::string_view crossoverName(int listIndex) {
  return listIndex >= 0 && listIndex < static_cast<int>(kCrossoverNames.size())
             ? kCrossoverNames[listIndex]
             : std::string_view{};
}

// Section types of records 9..12 for a list entry. The low-pass variant is taken when the band's
// current type is even, the high-pass one when it is odd. Index 11 is the flat cascade (four PEQ
// sections); any index outside 0..11 gives entry 0.
std::array<int, 4> expandCrossover(int listIndex, int currentType);

struct CrossoverMatch {
  bool found;
  int listIndex;  // entry of the list; 11 flat PEQ, 12 low shelf, 13 high shelf
  int nameIndex;  // type word to show: 1 PEQ, 2 LP, 3 HP, 4 LS, 5 HS
};

// Recognises the cascade held in records 9..12. Without a match the result is list index 0 with
// the caller's current name index left as it was.
CrossoverMatch findCrossover(int t9, int t10, int t11, int t12, int currentNameIndex);

// The cascade for a plain type chosen from the type menu on the crossover band: PEQ, LP and HP
// (the latter two the Butterworth 24dB pair), LS, HS. Nothing for types outside 1..5.
std::optional<std::array<int, 4>> plainCrossoverTypes(int plainType);

}  // namespace ax7::dsp
