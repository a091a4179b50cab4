#pragma once
// A settings image is the bytes of a current mode file (ModeFileBytes): the PC block, the band
// records, the room trim and the room block. Images are cheap to keep (2130 bytes), so the
// journal, the A/B slots and the history all hold images.
#include <cstdint>
#include <vector>

#include "params/memory.h"

namespace ax7::history {

using SettingsImage = std::vector<uint8_t>;

// The image of what memory holds now.
SettingsImage ImageOf(const ParameterMemory& mem);
// Fills `mem` from an image (as loading a mode file would); false, memory untouched, when the
// bytes are not a mode file.
bool LoadImage(ParameterMemory& mem, const SettingsImage& image);

}  // namespace ax7::history
