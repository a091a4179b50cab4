#include "cli/band_labels.h"

#include "params/band_record.h"
#include "params/eq_sets.h"

namespace ax7::cli {

const char* const kSpeakerNames[8] = {"L", "CEN", "R", "SBL", "SUB", "SBR", "SL", "SR"};

namespace {

// Names of the input and effect sets as people reading a dump know them, by set.
constexpr const char* kInputSetNames[kFirstOutputEqSet] = {
    "microphone A", "microphone B", "reverb A", "reverb B", "echo A", "echo B", "music"};

}  // namespace

BandLabel bandLabel(int record) {
  const int offset = record * kBandRecordSize;
  for (int set = 0; set < kEqSetCount; ++set) {
    const int at = offset - EqSetOffset(set);
    if (at < 0 || at >= EqSetRecordSlots(set) * kBandRecordSize) continue;
    const int band = at / kBandRecordSize;
    if (!IsOutputEqSet(set)) return {set, kInputSetNames[set], band};
    const std::string name = "output CH" + std::to_string(OutputChannelOf(set) + 1);
    // The records after a channel's EQ bands are its high-frequency split filters, outside
    // its EQ set.
    const int bands = EqSetBandCount(set);
    if (band >= bands) return {-1, name + " split", band - bands};
    return {set, name, band};
  }
  return {-1, {}, record};
}

}  // namespace ax7::cli
