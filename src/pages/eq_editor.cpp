// The EQ editor's widgets, loading from the box image, and showing a band in table and editor.
#include "pages/eq_editor.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "dsp/crossover.h"
#include "dsp/section_type.h"
#include "graphs/eq_panel.h"
#include "graphs/eq_panel_labels.h"
#include "pages/band_editor.h"
#include "pages/eq_editor_text.h"
#include "pages/eq_exchange_ui.h"
#include "pages/eq_table.h"
#include "pages/step_slider.h"
#include "params/band_record.h"
#include "params/memory.h"

namespace ax7::ui {
namespace {

constexpr int kLeftColumnWidth = 262;

}  // namespace

EqEditor::EqEditor(const ParameterMemory& memory, EqCopySource& copySource, QWidget* parent)
    : QWidget(parent), memory_(memory), copySource_(copySource) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);

  auto* left = new QVBoxLayout;
  stack_ = new QStackedWidget(this);
  table_ = new EqTable(stack_);
  editor_ = new BandEditor(stack_);
  stack_->addWidget(table_);
  stack_->addWidget(editor_);
  const int leftWidth = std::max(kLeftColumnWidth, table_->preferredWidth());
  stack_->setFixedWidth(leftWidth);
  left->addWidget(stack_, 1);

  crossoverTitle_ = new QLabel(this);
  crossoverList_ = new QComboBox(this);
  for (std::string_view name : dsp::kCrossoverNames) {
    crossoverList_->addItem(QString::fromLatin1(name.data(), qsizetype(name.size())));
  }
  crossoverTitle_->setBuddy(crossoverList_);
  crossoverTitle_->setFixedWidth(leftWidth);
  crossoverList_->setFixedWidth(leftWidth);
  left->addWidget(crossoverTitle_);
  left->addWidget(crossoverList_);
  exchange_ = new EqExchange(this);
  exchange_->setFixedWidth(leftWidth);
  left->addWidget(exchange_);
  row->addLayout(left);

  panel_ = new CEqPanel(this);
  panel_->setModel(&model_);
  row->addWidget(panel_, 1);
  setTabOrder(panel_, stack_);

  connect(panel_, &CEqPanel::EqBandNotify, this,
          [this](const dsp::EqBand&, int band) { onBandNotify(band); });
  connect(panel_, &CEqPanel::EqEmptyRelease, this, &EqEditor::onEmptyRelease);
  connect(panel_, &CEqPanel::EqCopyPaste, this, [this](int action, int) { onCopyPaste(action); });
  connect(table_, &EqTable::typeEdited, this, &EqEditor::onTableType);
  connect(table_, &EqTable::valuesEdited, this, &EqEditor::onTableValues);
  connect(table_, &EqTable::rowActivated, this, &EqEditor::onTableRowActivated);
  connect(editor_, &BandEditor::typeClicked, this, &EqEditor::onTypeRadio);
  connect(editor_, &BandEditor::editsApplied, this, &EqEditor::applyEdits);
  connect(crossoverList_, &QComboBox::activated, this, &EqEditor::onCrossoverChosen);

  table_->viewport()->installEventFilter(this);
  editor_->installEventFilter(this);

  setLanguage(language_);
  configure(config_);
}

EqEditor::~EqEditor() {
  panel_->setModel(nullptr);  // the model goes before the child widgets
}

void EqEditor::configure(EqEditorConfig config) {
  config_ = std::move(config);
  model_.setEqSet(config_.eqSet);
  model_.setBandCount(10);
  if (config_.bandCount != 10) model_.setBandCount(config_.bandCount);
  table_->setBandRows(config_.tableRows);
  DeselectBand();
}

bool EqEditor::isOutput() const {
  return model_.isOutputSet();
}

bool EqEditor::isCrossoverBand(int band) const {
  return isOutput() && band == dsp::kCrossoverBand;
}

bool EqEditor::isTableShown() const {
  return stack_->currentWidget() == table_;
}

void EqEditor::LoadEq() {
  const int set = config_.eqSet;
  model_.setEqSet(set);
  model_.load(memory_, config_.records);
  const int records =
      std::clamp(config_.records, 0, std::min(EqSetBandCount(set), int(EqSetModel::kMaxBands)));
  for (int b = 0; b < std::min(records, config_.tableRows); ++b) showRow(b);
  refreshBypass();
}

void EqEditor::refreshBypass() {
  const bool inRange = config_.bypassWord >= 0 && config_.bypassWord < int(kPcWords);
  panel_->setBypass(inRange && memory_.pc.getInt(size_t(config_.bypassWord)) != 0);
}

int EqEditor::shownType(int band) const {
  const int type = model_.band(band).type;
  int name = type >= 0 && type <= 5 ? type : dsp::isCrossoverType(type) ? 2 + type % 2 : -1;
  if (isCrossoverBand(band) && (type < 0 || type > 5)) {
    const auto t = [this](int r) { return model_.band(r).type; };
    name = dsp::findCrossover(t(9), t(10), t(11), t(12), name).nameIndex;
  }
  return name;
}

void EqEditor::showRow(int band) {
  const dsp::EqBand& b = model_.band(band);
  // A code without a name shows an empty cell rather than another band's or channel's word.
  table_->showRow(band, eqtext::typeName(shownType(band), language_), eqpanel::gainText(b.gainDb),
                  eqpanel::frequencyText(b.freq), eqpanel::qText(b.q));
}

void EqEditor::showInEditor(int band) {
  const dsp::EqBand& b = model_.band(band);
  const int type = shownType(band);
  showRow(band);
  table_->selectRowQuietly(band);
  // The range first, so that a PEQ's Q above 2 is not cut to the old range.
  editor_->setPeqQRange(type == 1);
  editor_->showValues(b.gainDb, b.freq, b.q);
  editor_->setBandNumber(band + 1);
  editor_->setTypeIndex(type >= 1 && type <= 5 ? type - 1 : -1);
  editor_->setGainEnabled(type == 1 || type == 4 || type == 5);
  showCrossoverList(isCrossoverBand(band) && (type == 2 || type == 3));
}

void EqEditor::showCrossoverList(bool show) {
  show = show && isOutput();
  if (show) {
    const auto t = [this](int r) { return model_.band(r).type; };
    const int entry = dsp::findCrossover(t(9), t(10), t(11), t(12), 0).listIndex;
    const QSignalBlocker block(crossoverList_);
    if (entry < crossoverList_->count()) crossoverList_->setCurrentIndex(entry);
  }
  crossoverTitle_->setVisible(show);
  crossoverList_->setVisible(show);
}

void EqEditor::SelectBand(int band) {
  if (band < 0 || band >= model_.markerCount()) return;
  selected_ = band;
  showInEditor(band);
  stack_->setCurrentWidget(editor_);
}

void EqEditor::DeselectBand() {
  selected_ = -1;
  panel_->clearSelection();  // the graph must not go on showing the band as picked
  stack_->setCurrentWidget(table_);
  showCrossoverList(false);
}

void EqEditor::setLanguage(Language language) {
  language_ = language;
  panel_->setLanguage(LanguageIndex(language));
  table_->setLanguage(language);
  editor_->setLanguage(language);
  crossoverTitle_->setText(Pick(language, "类型", "Type"));
  exchange_->setLanguage(language);
  for (int b = 0; b < std::min(config_.tableRows, model_.markerCount()); ++b) {
    table_->showType(b, eqtext::typeName(shownType(b), language_));
  }
}

void EqEditor::setRowNumberColour(const QColor& colour) {
  table_->setRowNumberColour(colour);
}

QWidget* EqEditor::wheelTarget() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == panel_ || focus == editor_->gainSlider() || focus == editor_->frequencySlider() ||
      focus == editor_->qSlider()) {
    return focus;
  }
  return nullptr;
}

bool EqEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    QWidget* target = wheelTarget();
    if (target && target != watched && target->isEnabled()) {
      QApplication::sendEvent(target, event);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace ax7::ui
