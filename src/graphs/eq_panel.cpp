// The EQ graph's link to its model, its view state and the coordinate mapping.
#include "graphs/eq_panel.h"

#include <QMenu>
#include <algorithm>
#include <cmath>

namespace ax7::ui {
namespace {

const double kGraphDecades = std::log10(dsp::kGraphMaxHz / dsp::kGraphMinHz);

}  // namespace

CEqPanel::CEqPanel(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  // Painting covers every pixel.
  setAttribute(Qt::WA_OpaquePaintEvent);
  menuRunner_ = [](QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); };
}

CEqPanel::~CEqPanel() {
  if (model_) model_->setChangeListener({});
}

void CEqPanel::setModel(EqSetModel* model) {
  if (model == model_) return;
  if (model_) model_->setChangeListener({});
  model_ = model;
  selected_ = -1;
  hovered_ = -1;
  leftDrag_ = false;
  rightPress_ = false;
  if (model_) {
    model_->setChangeListener([this] { modelChanged(); });
    // A peaking band's pinned point depends on the plot width.
    model_->setPlotWidth(plotRect().width());
  }
  modelChanged();
}

int CEqPanel::markerCount() const {
  return model_ ? model_->markerCount() : 0;
}

int CEqPanel::eqSet() const {
  return model_ ? model_->eqSet() : 0;
}

bool CEqPanel::isOutputSet() const {
  return model_ && model_->isOutputSet();
}

void CEqPanel::modelChanged() {
  clearStaleSelection();
  if (eqSet() != titleSet_) gridDirty_ = true;
  totalDirty_ = true;
  update();
}

void CEqPanel::clearSelection() {
  if (selected_ < 0 && !leftDrag_ && !rightPress_) return;
  selected_ = -1;
  leftDrag_ = false;
  rightPress_ = false;
  update();
}

void CEqPanel::clearStaleSelection() {
  if (selected_ >= markerCount()) selected_ = -1;
  if (hovered_ >= markerCount()) hovered_ = -1;
}

void CEqPanel::setLanguage(int language) {
  if (language == language_) return;
  language_ = language;
  gridDirty_ = true;
  update();
}

void CEqPanel::setBypass(bool bypass) {
  if (bypass == bypass_) return;
  bypass_ = bypass;
  update();
}

void CEqPanel::setMenuRunner(MenuRunner runner) {
  menuRunner_ = std::move(runner);
}

void CEqPanel::notify(int i) {
  emit EqBandNotify(model_->band(i), i);
}

QRectF CEqPanel::plotRect() const {
  return QRectF(QPointF(kPlotLeft, kPlotTop),
                QPointF(width() - kPlotRightMargin, height() - kPlotBottomMargin));
}

double CEqPanel::xForFrequency(double hz) const {
  const QRectF r = plotRect();
  return r.left() + r.width() * std::log10(hz / dsp::kGraphMinHz) / kGraphDecades;
}

double CEqPanel::yForGain(double gainDb) const {
  const QRectF r = plotRect();
  return r.top() + (15.0 - gainDb) * r.height() / 30.0;
}

QPointF CEqPanel::markerCentre(int i) const {
  if (!model_) return {};
  const dsp::EqBand& b = model_->band(i);
  return {xForFrequency(b.freq), yForGain(b.gainDb)};
}

void CEqPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  gridDirty_ = true;
  totalDirty_ = true;
  // A peaking band's pinned point depends on the plot width.
  if (model_) model_->setPlotWidth(plotRect().width());
}

}  // namespace ax7::ui
