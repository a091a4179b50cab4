#pragma once
// The box's own settings record (13 bytes, the same in memory and on the wire): start and
// maximum volumes, how volumes are saved, the power-on mode. Bytes this program does not edit
// (1, 7..10, 12) pass through unchanged. Used by the machine settings window and ax7ctl.
#include <array>
#include <cstdint>
#include <optional>

#include "device/report.h"
#include "params/memory.h"

namespace ax7 {

using SettingsRecord = std::array<uint8_t, kSettingsSize>;

enum SettingsByte : size_t {
  kSetSaveMode = 0,        // 0 by power, 1 by mode (master volumes and input source)
  kSetSaveModeSource = 2,  // the same for the music source, written together with byte 0
  kSetMicStart = 3,
  kSetMusicStart = 4,
  kSetMicMax = 5,
  kSetMusicMax = 6,
  kSetPowerOn = 11,  // 0 auto, 1..4 mode M1..M4
};

constexpr uint8_t kNoStartVolume = 255;  // the box starts with the volume it had
constexpr int kMaxStartVolume = 99;
constexpr int kPowerOnModes = 5;  // auto, M1..M4

// A maximum as the box may send it, read as a usable one: 1..99, anything else 99.
int SettingsMaximum(uint8_t raw);
// The start volume of byte 3 or 4 within its maximum; nullopt for "no start volume".
std::optional<int> SettingsStart(const SettingsRecord& r, size_t startByte, size_t maxByte);
// The power-on selection 0..4, or -1 for a byte the list does not have.
int SettingsPowerOn(const SettingsRecord& r);

// The record an edit starts from: the maxima read as usable, the start volumes within them;
// everything else as the box sent it.
SettingsRecord NormalisedSettings(const SettingsRecord& current);

// Command 0x91 with the 13 bytes, built whole: a byte 0xFF is a value like any other.
Report SettingsApplyFrame(const SettingsRecord& r);

}  // namespace ax7
