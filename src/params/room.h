#pragma once
// The room block (speaker placement) and its decoded values.
#include <array>
#include <cstdint>

#include "params/memory.h"

namespace ax7 {

extern const std::array<uint8_t, kRoomBlockSize> kDefaultRoomBlock;

// Signed-magnitude metres: bit 7 negative, bits 0..6 tenths.
float DecodeRoomCoordinate(uint8_t b);
uint8_t EncodeRoomCoordinate(float metres);

// room block -> room values
void DecodeRoomBlock(ParameterMemory& mem);
// room values -> room block (memory only; the device layer sends it to the box)
std::array<uint8_t, kRoomBlockSize> EncodeRoomBlock(const ParameterMemory& mem);

float RoomTrimDb(const ParameterMemory& mem, int channel);
void PutRoomTrimDb(ParameterMemory& mem, int channel, float db);

}  // namespace ax7
