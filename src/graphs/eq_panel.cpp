// The band model of the EQ graph: counts, the band rules, coordinate mapping.
#include "graphs/eq_panel.h"

#include <QMenu>
#include <algorithm>
#include <cmath>

namespace ax7::ui {
namespace {

// Graph defaults for 7- and 10-band EQs; the page replaces them when it loads the box image.
constexpr std::array<float, 10> kDefaultFrequencies = {31,   62,   125,  250,  500,
                                                       1000, 2000, 4000, 8000, 16000};
constexpr float kDefaultQ = 1.41f;

const double kGraphDecades = std::log10(dsp::kGraphMaxHz / dsp::kGraphMinHz);

}  // namespace

CEqPanel::CEqPanel(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  // Painting covers every pixel.
  setAttribute(Qt::WA_OpaquePaintEvent);
  menuRunner_ = [](QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); };
  grid_.setPlotWidth(plotRect().width());
  setBandCount(10);
}

CEqPanel::~CEqPanel() = default;

dsp::EqBandEditor CEqPanel::rules() {
  return dsp::EqBandEditor(bands_, isOutputSet(), grid_);
}

int CEqPanel::markerCount() const {
  return isOutputSet() ? kOutputMarkers : bandCount_;
}

void CEqPanel::setBandCount(int n) {
  bandCount_ = std::clamp(n, 0, kMaxBands);
  if (bandCount_ == 7 || bandCount_ == 10) {
    for (int i = 0; i < bandCount_; ++i) {
      bands_[i].freq = kDefaultFrequencies[i];
      bands_[i].type = 1;
      bands_[i].q = kDefaultQ;
    }
  }
  for (int i = 0; i < bandCount_; ++i) {
    bands_[i].number = i;
    bands_[i].gainDb = 0.0f;
  }
  recomputeShownBands();
  clearStaleSelection();
  bandChanged();
}

void CEqPanel::setBandType(int band, int type) {
  rules().setType(band, type);
  bandChanged();
}

void CEqPanel::setBandGain(int band, double gainDb) {
  rules().setGain(band, gainDb);
  bandChanged();
}

void CEqPanel::setBandQ(int band, double q) {
  rules().setQ(band, q);
  bandChanged();
}

void CEqPanel::setBandFrequency(int band, double hz) {
  rules().setFrequency(band, hz);
  bandChanged();
}

bool CEqPanel::chooseBandType(int band, int type) {
  const bool done = rules().chooseType(band, type);
  if (done) bandChanged();
  return done;
}

bool CEqPanel::applyCrossover(int band, int listIndex) {
  const bool done = rules().applyCrossover(band, listIndex);
  if (done) bandChanged();
  return done;
}

void CEqPanel::recomputeBand(int band) {
  rules().recompute(band);
  bandChanged();
}

void CEqPanel::recomputeShownBands() {
  auto r = rules();
  for (int i = 0; i < bandCount_; ++i) r.recompute(i);
}

void CEqPanel::bandChanged() {
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

void CEqPanel::setEqSet(int set) {
  if (set == eqSet_) return;
  eqSet_ = set;
  clearStaleSelection();
  gridDirty_ = true;  // the title
  update();
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
  emit EqBandNotify(bands_[i], i);
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
  const dsp::EqBand& b = bands_.at(i);
  return {xForFrequency(b.freq), yForGain(b.gainDb)};
}

void CEqPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A peaking band's pinned point depends on the plot width.
  grid_.setPlotWidth(plotRect().width());
  recomputeShownBands();
  gridDirty_ = true;
  bandChanged();
}

}  // namespace ax7::ui
