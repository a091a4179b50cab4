#pragma once
// The wireless-microphone labels of the ribbon (panels 8 and 9 of both categories), written
// from one snapshot of the live status record so every label of an update agrees.
#include <QString>
#include <array>

#include "pages/language.h"
#include "params/memory.h"

namespace ax7::ui {

class Ribbon;

struct MicStatusTexts {
  QString rf[2];
  QString frequency[2];
  QString battery[2];
};

MicStatusTexts FormatMicStatus(const std::array<uint8_t, kLiveStatusSize>& status,
                               Language language);
void UpdateMicStatusLabels(Ribbon& ribbon, const DeviceState& device, Language language);

}  // namespace ax7::ui
