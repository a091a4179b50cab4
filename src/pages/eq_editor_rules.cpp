// What the EQ editor does with each edit: from the graph, the table, the type radios, the
// sliders and edits, the crossover list and the copy/paste menu.
#include <QStackedWidget>
#include <algorithm>
#include <cmath>

#include "dsp/crossover.h"
#include "dsp/section_type.h"
#include "graphs/eq_panel.h"
#include "graphs/eq_panel_labels.h"
#include "pages/band_editor.h"
#include "pages/eq_editor.h"
#include "pages/eq_editor_text.h"
#include "pages/eq_table.h"

namespace ax7::ui {

void EqEditor::send(int band) {
  if (!config_.sendBand) return;
  const int last = isCrossoverBand(band) ? band + dsp::kCrossoverSections - 1 : band;
  for (int r = band; r <= last; ++r) {
    const dsp::EqBand& b = model_.band(r);
    config_.sendBand(r, b.type, b.gainDb, int(b.freq), b.q);
  }
}

void EqEditor::onBandNotify(int band) {
  showInEditor(band);
  send(band);
  if (selected_ < 0) stack_->setCurrentWidget(editor_);
  selected_ = band;
}

void EqEditor::onEmptyRelease() {
  if (selected_ >= 0) DeselectBand();
}

void EqEditor::onCopyPaste(int action) {
  const int set = model_.eqSet();
  if (action == 0) {
    copySource_.set = set;
  } else if (action == 1 && copySource_.set != -1 && config_.copyEqSet) {
    config_.copyEqSet(copySource_.set, set);
  }
  LoadEq();
  // The band editor must not go on showing values the paste replaced.
  if (selected_ >= 0) showInEditor(selected_);
}

void EqEditor::setBandType(int band, int type) {
  if (config_.typeOperation == EqEditorConfig::TypeOperation::kChooseBandType) {
    model_.chooseBandType(band, type);
  } else {
    model_.setBandType(band, type);
  }
  send(band);
  showRow(band);
  if (band == selected_) showInEditor(band);
  showCrossoverList(isCrossoverBand(band) && (type == 2 || type == 3));
}

void EqEditor::onTypeRadio(int index) {
  editor_->setPeqQRange(index == 0);
  if (selected_ >= 0) setBandType(selected_, index + 1);
}

void EqEditor::onTableType(int row, const QString& text) {
  const int type = eqtext::typeFromName(text, language_);
  if (type >= 0) setBandType(row, type);
}

void EqEditor::onTableValues(int row) {
  const double gain = eqtext::leadingNumber(table_->text(row, EqTable::kGainColumn));
  const double hz = eqtext::leadingNumber(table_->text(row, EqTable::kFrequencyColumn));
  const double q = eqtext::leadingNumber(table_->text(row, EqTable::kQColumn));
  // The gain rule takes 0 as 0 dB; a frequency of 0 (or text that is no number) leaves the band's
  // frequency, and the Q rule ignores 0.
  model_.setBandGain(row, gain);
  if (hz != 0) model_.setBandFrequency(row, hz);
  model_.setBandQ(row, q);
  send(row);
  showRow(row);
}

void EqEditor::onTableRowActivated(int row) {
  bool show = false;
  if (isCrossoverBand(row)) {
    const int type = model_.band(row).type;
    show = type == 2 || type == 3 || type > 5;
  }
  showCrossoverList(show);
}

void EqEditor::onCrossoverChosen(int listIndex) {
  const int band = dsp::kCrossoverBand;
  if (!model_.applyCrossover(band, listIndex)) return;
  showRow(band);
  if (selected_ == band) showInEditor(band);
  send(band);
}

void EqEditor::applyEdits() {
  const int band = selected_;
  if (band < 0) return;
  model_.setBandGain(band, eqtext::leadingNumber(editor_->gainText()));
  // The editor has no "no value": 0 or no number becomes the lowest frequency.
  model_.setBandFrequency(band, std::max(eqtext::leadingNumber(editor_->frequencyText()), 20.0));
  model_.setBandQ(band, eqtext::leadingNumber(editor_->qText()));
  const dsp::EqBand& b = model_.band(band);
  editor_->showValues(b.gainDb, b.freq, b.q);
  send(band);
  showRow(band);
}

}  // namespace ax7::ui
