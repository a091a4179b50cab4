#pragma once
// Explicit byte order for everything that crosses a file or the wire.
#include <bit>
#include <cstdint>

namespace ax7 {

inline uint16_t getBe16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline void putBe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
inline uint32_t getBe32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline void putBe32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}
inline uint32_t getLe32(const uint8_t* p) {
  return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
inline void putLe32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline float getBeFloat(const uint8_t* p) { return std::bit_cast<float>(getBe32(p)); }
inline void putBeFloat(uint8_t* p, float v) { putBe32(p, std::bit_cast<uint32_t>(v)); }

}  // namespace ax7
