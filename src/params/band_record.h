#pragma once
// Band records: the 7-byte form in which the box keeps every EQ band, and their places in the
// box image.
#include <array>
#include <cstdint>

#include "params/memory.h"

namespace ax7 {

struct BandRecord {
  float gainDb = 0;
  float frequency = 0;  // whole hertz
  float q = 0;
  int type = 0;  // section type
};

using PackedBand = std::array<uint8_t, kBandRecordSize>;

// Byte offset of a band record in the box image. Groups below 2 or above 12 are the
// microphone groups (bands 0..19).
int BandRecordOffset(int group, int band);
// Offset of the first record of EQ set 0..14; any other set gives 0.
int EqSetOffset(int set);
// Bands of EQ set 0..14 (10, 7 or 13); 0 for any other set.
int EqSetBandCount(int set);

PackedBand PackBandRecord(int type, float gainDb, float frequency, float q);
BandRecord UnpackBandRecord(const uint8_t* record);
BandRecord LoadBandRecord(const ParameterMemory& mem, int group, int band);
// Record `band` of EQ set 0..14 (an empty record for a set or band outside the image).
BandRecord LoadEqSetRecord(const ParameterMemory& mem, int set, int band);
// Writes the packed record into the box image only (the device layer also sends it).
void PutBandRecord(ParameterMemory& mem, int group, int band, const PackedBand& record);

void LoadDefaultBoxImage(ParameterMemory& mem);

}  // namespace ax7
