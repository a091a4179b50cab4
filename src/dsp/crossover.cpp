#include "dsp/crossover.h"

namespace ax7::dsp {
namespace {

// Each cascade as {low-pass, high-pass} types of records 9..12; a type 1 (PEQ at 0 dB) slot is a
// flat section filling a position the entry does not need.
struct Cascade {
  std::array<int, 4> lowPass;
  std::array<int, 4> highPass;
};

constexpr std::array<Cascade, 12> kCascades = {{
    {{10, 10, 1, 1}, {11, 11, 1, 1}},      // LinkwitzRiely 12dB
    {{12, 12, 1, 1}, {13, 13, 1, 1}},      // LinkwitzRiely 24dB
    {{14, 10, 14, 10}, {15, 11, 15, 11}},  // LinkwitzRiely 36dB
    {{18, 20, 18, 20}, {19, 21, 19, 21}},  // LinkwitzRiely 48dB
    {{8, 1, 1, 1}, {9, 1, 1, 1}},          // Bessel 12dB
    {{8, 10, 1, 1}, {9, 11, 1, 1}},        // Bessel 18dB
    {{8, 8, 1, 1}, {9, 9, 1, 1}},          // Bessel 24dB
    {{12, 1, 1, 1}, {13, 1, 1, 1}},        // Butterworth 12dB
    {{14, 10, 1, 1}, {15, 11, 1, 1}},      // Butterworth 18dB
    {{18, 20, 1, 1}, {19, 21, 1, 1}},      // Butterworth 24dB
    {{6, 1, 1, 1}, {7, 1, 1, 1}},          // Chebyshev 12dB
    {{1, 1, 1, 1}, {1, 1, 1, 1}},          // flat, not in the list
}};

constexpr int kNamePeq = 1;
constexpr int kNameLp = 2;
constexpr int kNameHp = 3;
constexpr int kNameLs = 4;
constexpr int kNameHs = 5;

struct Row {
  int listIndex;
  std::array<int, 4> types;
  int nameIndex;
};

// The list's cascades, each low-pass row before its high-pass row, then the plain types the menu
// can put on the crossover band. First match wins.
constexpr std::array<Row, 25> kRows = [] {
  std::array<Row, 25> rows{};
  int r = 0;
  for (int i = 0; i < static_cast<int>(kCrossoverNames.size()); ++i) {
    rows[r++] = {i, kCascades[i].lowPass, kNameLp};
    rows[r++] = {i, kCascades[i].highPass, kNameHp};
  }
  rows[r++] = {11, {1, 1, 1, 1}, kNamePeq};
  rows[r++] = {12, {4, 1, 1, 1}, kNameLs};
  rows[r++] = {13, {5, 1, 1, 1}, kNameHs};
  return rows;
}();

}  // namespace

std::array<int, 4> expandCrossover(int listIndex, int currentType) {
  const Cascade& c = kCascades[listIndex >= 0 && listIndex <= 11 ? listIndex : 0];
  return currentType % 2 == 0 ? c.lowPass : c.highPass;
}

CrossoverMatch findCrossover(int t9, int t10, int t11, int t12, int currentNameIndex) {
  const std::array<int, 4> types = {t9, t10, t11, t12};
  for (const Row& row : kRows) {
    if (row.types == types) return {true, row.listIndex, row.nameIndex};
  }
  return {false, 0, currentNameIndex};
}

std::optional<std::array<int, 4>> plainCrossoverTypes(int plainType) {
  switch (plainType) {
    case 1:
      return std::array<int, 4>{1, 1, 1, 1};
    case 2:
      return kCascades[9].lowPass;
    case 3:
      return kCascades[9].highPass;
    case 4:
      return std::array<int, 4>{4, 1, 1, 1};
    case 5:
      return std::array<int, 4>{5, 1, 1, 1};
    default:
      return std::nullopt;
  }
}

}  // namespace ax7::dsp
