#pragma once
// What the microphone and music page and the effects page share about their EQs: which EQ set
// each group or effect EQ is, with its bypass, band send and reset, all through the window's
// queued encoders; and the control ids of the EQ editor's parts for scripts.
#include "pages/eq_editor.h"
#include "params/param_table.h"

namespace ax7 {
struct Core;
}

namespace ax7::lang {
class LanguageTable;
}

namespace ax7::ui {

// The EQ sets these pages edit: microphone A and B and music on the music page, the reverb and
// echo EQs of both microphone groups on the effects page. Bands and bypass come with the set.
struct InputEqSet {
  int eqSet;
};
const InputEqSet& MusicGroupEq(int group);     // group 0..2
const InputEqSet& EffectModeEq(int mode);      // mode 0..3

// The editor's configuration for the set: band sends, paste and bypass word, all through
// core.uiEq / core.ui.
EqEditorConfig InputEqConfig(Core& core, const InputEqSet& set);
// Resets the set to its default bands (stored, written, sections sent).
void ResetInputEq(Core& core, const InputEqSet& set);
// The bypass word of the set and its toggle (stored and sent as a byte word).
bool InputEqBypassed(Core& core, const InputEqSet& set);
void ToggleInputEqBypass(Core& core, const InputEqSet& set);

// Gives the editor's graph, table and band editor's controls their control ids.
void TagEqEditorControls(EqEditor& editor);
// The band editor's type radios (1204..1208) take their captions from the page's table.
void LoadBandEditorTexts(EqEditor& editor, int dialogId, const ax7::lang::LanguageTable& table);

}  // namespace ax7::ui
