#include "device/status_text.h"

#include <cstdio>

namespace ax7 {

namespace {

// Five steps of signal strength. The rows differ in length; the status bar has always shown
// them this way.
const char* const kBars[] = {"■■■■■", "■■■■__", "■■■____", "■■______", "■_______", "_________"};

// Index into kBars: the first threshold the value passes, from the strongest down.
std::string bars(int value, const int (&above)[5]) {
  for (int i = 0; i < 5; ++i) {
    if (value > above[i]) return kBars[i];
  }
  return kBars[5];
}

}  // namespace

std::string FormatRfBars(uint8_t r) {
  return bars(r, {230, 210, 190, 170, 150});
}

std::string FormatAfBars(uint8_t a) {
  return bars(a, {12, 9, 6, 3, 0});
}

std::string FormatBatteryBars(uint8_t b) {
  return bars(8 * b, {1610, 1562, 1524, 1408, 1330});
}

std::string FormatMicFrequency(int channel) {
  // Channels step by 0.5 MHz from 665.25 MHz, skipping the frequencies the receivers cannot
  // use. An unknown channel shows the first frequency.
  if (channel < 0 || channel > 199) return "665.25MHz";
  int step = channel <= 12    ? channel
             : channel <= 76  ? channel + 1
             : channel <= 100 ? channel + 2
                              : channel + 5;
  char text[32];
  std::snprintf(text, sizeof text, "%.2fMHz", (665250.0 + 500.0 * step) / 1000.0);
  return text;
}

std::string FormatMusicFormat(uint8_t flags) {
  if (flags & 0x01) return "DOLBY";
  if (flags & 0x02) return "DTS";
  if (flags & 0x04) return "Multi-CH LPCM";
  return "Stereo";
}

}  // namespace ax7
