#pragma once
// Texts of the master controls on the ribbon: the value labels of the volumes and the noise
// gate, and the pitch caption of panel 5, in Chinese (language 0) or English (1). Some texts
// come out slightly differently depending on when they are written; the occasion picks which.
#include <QString>
#include <array>

#include "params/memory.h"
#include "params/param_table.h"

namespace ax7::ui {

class Ribbon;

enum class MasterLabel {
  MicVolume,
  EffectVolume,
  ReverbVolume,
  EchoVolume,
  MusicVolume,
  NoiseGate
};

enum class LabelOccasion {
  SliderChange,    // a slider of the control was moved
  Refresh,         // all values shown again from memory (category change, synchronisation)
  LanguageSwitch,  // the ribbon is relabelled in the other language
};

struct MasterLabelSlot {
  MasterLabel label;
  int inputLabelId;
  int outputLabelId;
  ax7::Param param;
};

// Every value label with its twin label ids and the parameter it shows.
extern const std::array<MasterLabelSlot, 6> kMasterLabelSlots;

// "话筒音量:100", "Noisegate:      7", ...
QString MasterLabelText(MasterLabel label, int value, int language,
                        LabelOccasion occasion = LabelOccasion::SliderChange);

// The caption of the pitch panel: "音乐变调:" / "Music Pitch:" and the value, padded after a
// slider change, bare after a refresh, always signed after a language switch.
QString PitchCaption(int value, int language, LabelOccasion occasion);

// Rewrites every text of the ribbon in the given language after a switch: category names
// (only those in the other language, with their panel texts), value labels and pitch caption
// from memory, mute boxes, file and mode buttons, tab row and application menu. Does nothing
// to a ribbon without the microphone label (not built yet).
void RelabelRibbon(Ribbon& ribbon, const ax7::ParameterMemory& memory, int language);

}  // namespace ax7::ui
