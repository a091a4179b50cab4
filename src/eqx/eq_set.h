// One EQ set as the exchange works on it: its band records, read from and written to memory.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "params/band_record.h"
#include "params/memory.h"

namespace ax7::eqx {

// "mic-a", "mic-b", "reverb-a", "reverb-b", "echo-a", "echo-b", "music", "out1".."out8", or the
// set number 0..14.
std::optional<int> parseSetName(const std::string& name);
std::string setName(int set);

// Bands a file may fill: every band, except an output's crossover band (records 9..12).
int editableBands(int set);
bool isOutputSet(int set);

std::vector<BandRecord> loadSet(const ParameterMemory& mem, int set);
// Writes the records into the box image only (the device layer's senders also send them).
void storeSet(ParameterMemory& mem, int set, const std::vector<BandRecord>& bands);

// The flat band a position takes when a file does not fill it: PEQ, 0 dB, Q 1.41 at the
// position's reset frequency.
BandRecord flatBand(int set, int band);

// A band as its record holds it (gain in 0.1 dB, whole hertz, Q in thousandths).
BandRecord asStored(int type, double gainDb, double frequency, double q);

}  // namespace ax7::eqx
