#include "pages/input_eq.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "core/core.h"
#include "graphs/eq_panel.h"
#include "pages/band_editor.h"
#include "pages/dialog_texts.h"
#include "pages/eq_table.h"

namespace ax7::ui {

namespace {

constexpr InputEqSet kGroups[] = {
    {0, 10, Param::MicAEqBypass},
    {1, 10, Param::MicBEqBypass},
    {6, 10, Param::MusicEqBypass},
};
constexpr InputEqSet kModes[] = {
    {2, 7, Param::ReverbAEqBypass},
    {3, 7, Param::ReverbBEqBypass},
    {4, 7, Param::EchoAEqBypass},
    {5, 7, Param::EchoBEqBypass},
};

}  // namespace

const InputEqSet& MusicGroupEq(int group) {
  return kGroups[std::clamp(group, 0, 2)];
}

const InputEqSet& EffectModeEq(int mode) {
  return kModes[std::clamp(mode, 0, 3)];
}

EqEditorConfig InputEqConfig(Core& core, const InputEqSet& set) {
  EqEditorConfig c;
  c.eqSet = set.eqSet;
  c.records = set.bands;
  c.bandCount = set.bands;
  c.tableRows = set.bands;
  c.typeOperation = EqEditorConfig::TypeOperation::kSetBandType;
  c.bypassWord = Describe(set.bypass).word;
  EqSenders& eq = core.uiEq;
  const int eqSet = set.eqSet;
  c.sendBand = [&eq, eqSet](int band, int type, float gain, int frequency, float q) {
    switch (eqSet) {
      case 0: eq.SendMicAEqBand(band, type, gain, frequency, q); break;
      case 1: eq.SendMicBEqBand(band, type, gain, frequency, q); break;
      case 2: eq.SendReverbAEqBand(band, type, gain, frequency, q); break;
      case 3: eq.SendReverbBEqBand(band, type, gain, frequency, q); break;
      case 4: eq.SendEchoAEqBand(band, type, gain, frequency, q); break;
      case 5: eq.SendEchoBEqBand(band, type, gain, frequency, q); break;
      case 6: eq.SendMusicEqBand(band, type, gain, frequency, q); break;
      default: break;
    }
  };
  c.copyEqSet = [&eq](int source, int target) { return eq.CopyEqSet(source, target); };
  return c;
}

void ResetInputEq(Core& core, const InputEqSet& set) {
  EqSenders& eq = core.uiEq;
  switch (set.eqSet) {
    case 0: eq.ResetMicAEq(); break;
    case 1: eq.ResetMicBEq(); break;
    case 2: eq.ResetReverbAEq(); break;
    case 3: eq.ResetReverbBEq(); break;
    case 4: eq.ResetEchoAEq(); break;
    case 5: eq.ResetEchoBEq(); break;
    case 6: eq.ResetMusicEq(); break;
    default: break;
  }
}

bool InputEqBypassed(Core& core, const InputEqSet& set) {
  return core.mem.pc.getInt(size_t(Describe(set.bypass).word)) != 0;
}

void ToggleInputEqBypass(Core& core, const InputEqSet& set) {
  core.ui.SetParam(set.bypass, InputEqBypassed(core, set) ? 0 : 1);
}

void TagEqEditorControls(EqEditor& editor) {
  editor.panel()->setProperty("ax7Id", 1040);
  editor.table()->setProperty("ax7Id", 1139);
  editor.bandEditor()->gainSlider()->setProperty("ax7Id", 1209);
  editor.bandEditor()->frequencySlider()->setProperty("ax7Id", 1210);
  editor.bandEditor()->qSlider()->setProperty("ax7Id", 1211);
  BandEditor* band = editor.bandEditor();
  for (int i = 0; i < 5; ++i) band->typeRadio(i)->setProperty("ax7Id", 1204 + i);
  band->numberLabel()->setProperty("ax7Id", 1203);
  band->gainEdit()->setProperty("ax7Id", 1212);
  band->frequencyEdit()->setProperty("ax7Id", 1213);
  band->qEdit()->setProperty("ax7Id", 1214);
}

void LoadBandEditorTexts(EqEditor& editor, int dialogId, const ax7::lang::LanguageTable& table) {
  // The radios sit inside the editor, out of reach of the page's own caption pass.
  for (int i = 0; i < 5; ++i) {
    QAbstractButton* radio = editor.bandEditor()->typeRadio(i);
    radio->setText(DialogCaption(table, dialogId, 1204 + i, radio->text()));
  }
}

}  // namespace ax7::ui
