#include "params/eq_sets.h"

#include "params/memory.h"

namespace ax7 {

namespace {

using P = Param;

constexpr EqSetDesc output(int channel) {
  return {kFirstOutputEqSet + channel, 5 + channel, 0, 13, 0, P::OutEqBypass};
}

constexpr EqSetDesc kSets[kEqSetCount] = {
    {0, 1, 0, 10, 16, P::MicAEqBypass},     // microphone group A
    {1, 1, 10, 10, 35, P::MicBEqBypass},    // microphone group B
    {2, 3, 0, 7, 0, P::ReverbAEqBypass},    // reverb A
    {3, 3, 7, 7, 12, P::ReverbBEqBypass},   // reverb B
    {4, 2, 0, 7, 0, P::EchoAEqBypass},      // echo A
    {5, 2, 7, 7, 13, P::EchoBEqBypass},     // echo B
    {6, 4, 0, 10, 0, P::MusicEqBypass},     // music
    output(0), output(1), output(2), output(3), output(4), output(5), output(6), output(7),
};

constexpr bool inOrder() {
  for (int i = 0; i < kEqSetCount; ++i)
    if (kSets[i].set != i) return false;
  return true;
}
static_assert(inOrder(), "entries in set order");

// Records of the microphone (1), echo (2), reverb (3) and music (4) blocks, then 105 bytes per
// output block.
constexpr int kBlockOffsets[] = {0, 0, 140, 238, 336};
constexpr int kFirstOutputRecordOffset = 406;

}  // namespace

const EqSetDesc& DescribeEqSet(int set) {
  return kSets[ValidEqSet(set) ? set : 0];
}

int EqSetRecordSlots(int set) {
  if (!ValidEqSet(set)) return 0;
  return IsOutputEqSet(set) ? kOutputRecordSlots : kSets[set].bands;
}

int BlockRecordOffset(int block) {
  if (block >= 5 && block <= 12)
    return kFirstOutputRecordOffset + kOutputRecordSlots * kBandRecordSize * (block - 5);
  if (block >= 2 && block <= 4) return kBlockOffsets[block];
  return 0;
}

}  // namespace ax7
