#include "params/room.h"

#include <cmath>

#include "params/byte_order.h"

namespace ax7 {

// A 4 m x 4 m room, listener in the middle, speakers L, CEN, R, SBL, SUB, SBR, SL, SR.
const std::array<uint8_t, kRoomBlockSize> kDefaultRoomBlock = {
    0x04, 0x04, 0x00, 0x00, 0x8A, 0x0A, 0x00, 0x0A, 0x0A, 0x0A,
    0x8A, 0x8A, 0x00, 0x8A, 0x0A, 0x8A, 0x85, 0x00, 0x05, 0x00};

float DecodeRoomCoordinate(uint8_t b) {
  int tenths = b & 0x7F;
  // 0x80 is a zero with the sign bit; return a plain 0 so nothing downstream shows "-0.0".
  if (tenths == 0) return 0.0f;
  float metres = float(tenths) / 10.0f;
  return (b & 0x80) ? -metres : metres;
}

uint8_t EncodeRoomCoordinate(float metres) {
  // Half a step away from zero, so a value held a hair below its tenth still lands on it.
  float shifted = metres > 0 ? float(double(metres) + 0.05) : float(double(metres) - 0.05);
  float scaled = std::fabs(shifted * 10.0f);
  // Beyond 12.7 m (or not a number at all) nothing fits; saturate rather than wrap.
  int magnitude = scaled >= 127.0f ? 127 : scaled >= 0.0f ? int(scaled) : 0;
  return uint8_t(magnitude | (shifted < 0 ? 0x80 : 0));
}

void DecodeRoomBlock(ParameterMemory& mem) {
  mem.room.setWidth(mem.roomBlock.get(0));
  mem.room.setLength(mem.roomBlock.get(1));
  for (int i = 2; i < kRoomBlockSize; ++i) {
    mem.room.setCoord(i, DecodeRoomCoordinate(mem.roomBlock.get(size_t(i))));
  }
}

std::array<uint8_t, kRoomBlockSize> EncodeRoomBlock(const ParameterMemory& mem) {
  std::array<uint8_t, kRoomBlockSize> out{};
  out[0] = uint8_t(mem.room.width());
  out[1] = uint8_t(mem.room.length());
  for (int i = 2; i < kRoomBlockSize; ++i) out[size_t(i)] = EncodeRoomCoordinate(mem.room.coord(i));
  return out;
}

float RoomTrimDb(const ParameterMemory& mem, int channel) {
  if (channel < 0 || channel >= kRoomTrimSize / 4) return 0.0f;
  uint8_t bytes[4];
  mem.roomTrim.copyOut(size_t(channel) * 4, bytes, 4);
  return getBeFloat(bytes);
}

void PutRoomTrimDb(ParameterMemory& mem, int channel, float db) {
  if (channel < 0 || channel >= kRoomTrimSize / 4) return;
  uint8_t bytes[4];
  putBeFloat(bytes, db);
  mem.roomTrim.copyIn(size_t(channel) * 4, bytes, 4);
}

}  // namespace ax7
