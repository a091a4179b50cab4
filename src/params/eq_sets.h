#pragma once
// The fifteen EQ sets of the box, in one table: where their band records lie in the box image,
// how many bands they have, the DSP block and index each band's section goes to, the word that
// bypasses the set, and the order in which a full write sends them. Band records, the senders,
// the synchronisation, the settings diff and the EQ exchange all read it from here.
#include <array>

#include "params/param_table.h"

namespace ax7 {

constexpr int kEqSetCount = 15;
// The input and effect sets by name; the output channels' sets follow them.
constexpr int kMicAEqSet = 0;
constexpr int kMicBEqSet = 1;
constexpr int kReverbAEqSet = 2;
constexpr int kReverbBEqSet = 3;
constexpr int kEchoAEqSet = 4;
constexpr int kEchoBEqSet = 5;
constexpr int kMusicEqSet = 6;
constexpr int kFirstOutputEqSet = 7;  // sets 7..14 are output channels 1..8
constexpr int kOutputEqSets = kEqSetCount - kFirstOutputEqSet;
constexpr int kOutputRecordSlots = 15;  // 13 EQ bands and the two split sections
constexpr int kSplitHighPassSlot = 13;  // an output set's split sections, after its EQ bands
constexpr int kSplitLowPassSlot = 14;

struct EqSetDesc {
  int set;
  int block;        // DSP block of every band of the set; its records start at the block's
  int firstRecord;  // band slot within the block's records of band 0
  int bands;        // EQ bands (the output sets' two split sections not counted)
  int firstIndex;   // DSP index of band 0; band b goes to firstIndex + b
  Param bypass;     // the bypass word (for outputs, instance = set - kFirstOutputEqSet)
  const char* name;  // short name in EQ files and on the command line: "mic-a", "out1", ...
};

const EqSetDesc& DescribeEqSet(int set);  // set 0..14
constexpr bool ValidEqSet(int set) {
  return set >= 0 && set < kEqSetCount;
}
constexpr bool IsOutputEqSet(int set) {
  return set >= kFirstOutputEqSet && set < kEqSetCount;
}
// The set of output channel 0..7, and the channel of an output set.
constexpr int OutputEqSet(int channel) {
  return kFirstOutputEqSet + channel;
}
constexpr int OutputChannelOf(int set) {
  return set - kFirstOutputEqSet;
}
// Record slots of a set: the output sets hold their two split sections after the EQ bands.
int EqSetRecordSlots(int set);
// Byte offset of the first band record of a DSP block (1..12) in the box image.
int BlockRecordOffset(int block);
// The frequency (whole hertz) a reset gives band `band` of the set; 0 for a band it lacks.
int EqSetResetFrequency(int set, int band);

// The order in which a full write (and a write of differences) sends the EQ sets: microphone
// A and B, echo A and B, reverb A and B, music, then the outputs.
inline constexpr std::array<int, kEqSetCount> kEqSetWriteOrder = {0, 1, 4, 5, 2, 3, 6, 7,
                                                                  8, 9, 10, 11, 12, 13, 14};

}  // namespace ax7
