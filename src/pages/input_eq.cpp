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
#include "params/band_record.h"
#include "params/eq_sets.h"

namespace ax7::ui {

namespace {

constexpr InputEqSet kGroups[] = {{kMicAEqSet}, {kMicBEqSet}, {kMusicEqSet}};
constexpr InputEqSet kModes[] = {{kReverbAEqSet}, {kReverbBEqSet}, {kEchoAEqSet}, {kEchoBEqSet}};

Param BypassOf(const InputEqSet& set) {
  return DescribeEqSet(set.eqSet).bypass;
}

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
  c.records = EqSetBandCount(set.eqSet);
  c.bandCount = c.records;
  c.tableRows = c.records;
  c.typeOperation = EqEditorConfig::TypeOperation::kSetBandType;
  c.bypassWord = Describe(BypassOf(set)).word;
  EqSenders& eq = core.uiEq;
  const int eqSet = set.eqSet;
  c.sendBand = [&eq, eqSet](int band, int type, float gain, int frequency, float q) {
    eq.SendEqBand(eqSet, band, type, gain, frequency, q);
  };
  c.copyEqSet = [&eq](int source, int target) { return eq.CopyEqSet(source, target); };
  return c;
}

void ResetInputEq(Core& core, const InputEqSet& set) {
  core.uiEq.ResetEqSet(set.eqSet);
}

bool InputEqBypassed(Core& core, const InputEqSet& set) {
  return core.mem.pc.getInt(size_t(Describe(BypassOf(set)).word)) != 0;
}

void ToggleInputEqBypass(Core& core, const InputEqSet& set) {
  core.ui.SetParam(BypassOf(set), InputEqBypassed(core, set) ? 0 : 1);
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
