#pragma once
// Texts of the wireless-microphone status (UTF-8).
#include <cstdint>
#include <string>

namespace ax7 {

std::string FormatRfBars(uint8_t r);
std::string FormatAfBars(uint8_t a);
std::string FormatBatteryBars(uint8_t b);
std::string FormatMicFrequency(int channel);
// "DOLBY", "DTS", "Multi-CH LPCM" or "Stereo" from the music format flags.
std::string FormatMusicFormat(uint8_t flags);

}  // namespace ax7
