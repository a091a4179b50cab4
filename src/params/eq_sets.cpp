#include "params/eq_sets.h"

#include "params/memory.h"

namespace ax7 {

namespace {

using P = Param;

constexpr const char* kOutputNames[kOutputEqSets] = {"out1", "out2", "out3", "out4",
                                                     "out5", "out6", "out7", "out8"};

constexpr EqSetDesc output(int channel) {
  return {OutputEqSet(channel), 5 + channel, 0, 13, 0, P::OutEqBypass, kOutputNames[channel]};
}

constexpr EqSetDesc kSets[kEqSetCount] = {
    {kMicAEqSet, 1, 0, 10, 16, P::MicAEqBypass, "mic-a"},
    {kMicBEqSet, 1, 10, 10, 35, P::MicBEqBypass, "mic-b"},
    {kReverbAEqSet, 3, 0, 7, 0, P::ReverbAEqBypass, "reverb-a"},
    {kReverbBEqSet, 3, 7, 7, 12, P::ReverbBEqBypass, "reverb-b"},
    {kEchoAEqSet, 2, 0, 7, 0, P::EchoAEqBypass, "echo-a"},
    {kEchoBEqSet, 2, 7, 7, 13, P::EchoBEqBypass, "echo-b"},
    {kMusicEqSet, 4, 0, 10, 0, P::MusicEqBypass, "music"},
    output(0), output(1), output(2), output(3), output(4), output(5), output(6), output(7),
};

// What a reset leaves: ten bands from 31 Hz (the output's extra three at 16 kHz), or the seven
// effect bands from 63 Hz.
constexpr int kTenBandResetHz[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr int kSevenBandResetHz[] = {63, 125, 250, 500, 1000, 2300, 5000};
constexpr int kLastResetHz = 16000;

constexpr bool setsInOrder() {
  for (int i = 0; i < kEqSetCount; ++i)
    if (kSets[i].set != i) return false;
  return true;
}
static_assert(setsInOrder(), "entries in set order");

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

int EqSetResetFrequency(int set, int band) {
  if (!ValidEqSet(set) || band < 0 || band >= kSets[set].bands) return 0;
  if (kSets[set].bands == 7) return kSevenBandResetHz[band];
  return band < 10 ? kTenBandResetHz[band] : kLastResetHz;
}

int BlockRecordOffset(int block) {
  if (block >= 5 && block <= 12)
    return kFirstOutputRecordOffset + kOutputRecordSlots * kBandRecordSize * (block - 5);
  if (block >= 2 && block <= 4) return kBlockOffsets[block];
  return 0;
}

}  // namespace ax7
