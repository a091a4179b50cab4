#pragma once
// The DSP parameters of the simulated box: every (block, index) the program writes or asks
// for, with its words as the program's encoders produce them from a PC block.
#include <compare>
#include <cstdint>
#include <map>
#include <vector>

#include "params/memory.h"

namespace ax7::sim {

struct DspAddress {
  int block = 0;
  int index = 0;
  auto operator<=>(const DspAddress&) const = default;
};

// Raw 32-bit words per parameter (IEEE singles, sample counts or byte words, as sent).
using DspParams = std::map<DspAddress, std::vector<uint32_t>>;

// The box's own factory settings as a PC block: moderate volumes, microphone inputs 0 and 1
// on group A and 2 and 3 on group B, shift off, echo 217 ms, compressors at threshold 0 and
// ratio 1 (10 ms attack, 100 ms release), shortest channel delays, nothing muted. Only the PC
// block is written.
void LoadFactoryPcBlock(ParameterMemory& mem);

// Encodes the PC block and the room trim block of `mem` into every DSP parameter of the map.
// EQ and split biquads are not derived from the band records: they are left passing the
// signal unchanged (b0 = 1), since the program never reads them back.
DspParams EncodeDspParams(const ParameterMemory& mem);

}  // namespace ax7::sim
