#include "cli/band_labels.h"

namespace ax7::cli {

const char* const kSpeakerNames[8] = {"L", "CEN", "R", "SBL", "SUB", "SBR", "SL", "SR"};

BandLabel bandLabel(int record) {
  struct Range {
    int first;
    int count;
    int eqSet;
    const char* name;
  };
  static constexpr Range kRanges[] = {
      {0, 10, 0, "microphone A"}, {10, 10, 1, "microphone B"}, {20, 7, 4, "echo A"},
      {27, 7, 5, "echo B"},       {34, 7, 2, "reverb A"},      {41, 7, 3, "reverb B"},
      {48, 10, 6, "music"},
  };
  for (const Range& r : kRanges) {
    if (record >= r.first && record < r.first + r.count) return {r.eqSet, r.name, record - r.first};
  }
  const int channel = (record - 58) / 15;
  const int band = (record - 58) % 15;
  const std::string name = "output CH" + std::to_string(channel + 1);
  // Records 13 and 14 of a channel are its high-frequency split filters, outside its EQ set.
  if (band >= 13) return {-1, name + " split", band - 13};
  return {7 + channel, name, band};
}

}  // namespace ax7::cli
