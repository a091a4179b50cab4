#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace ax7 {

// Every report in either direction is 61 bytes. Outgoing: byte 0 = 0x02, byte 1 = command
// code, payload from byte 2. Incoming: byte 1 = report code, payload from byte 2.
constexpr size_t kReportSize = 61;
using Report = std::array<uint8_t, kReportSize>;

// A memory read or write report carries at most 56 data bytes after its header.
constexpr int kMemoryChunkBytes = 56;
// The box stores four modes, M1..M4, numbered 0..3 in reports.
constexpr int kModeCount = 4;

// The box's USB identity; the udev rule carries the same values.
constexpr uint16_t kBoxVendorId = 0x2010;
constexpr uint16_t kBoxProductId = 0x1031;

}  // namespace ax7
