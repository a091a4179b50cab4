#include "graphs/small_eq_panel.h"

#include <QEnterEvent>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "dsp/biquad.h"
#include "dsp/small_design.h"

namespace ax7::ui {
namespace {

constexpr double kDecades = 3.4;
constexpr float kDefaultFrequencies[CSmallEqPanel::kBands] = {31, 62, 125, 250, 500, 1000, 2000};
constexpr float kMinFrequency = 20.0f;
constexpr float kMaxFrequency = 20000.0f;
// A zero of transmission reads about -300 dB; anything beyond this is off the plot anyway and
// only has to stay finite.
constexpr double kDbLimit = 300.0;

// Grid lines from 0x17 grey upwards only show on black.
const QColor kBackground(0, 0, 0);
const QColor kFineLine(0x17, 0x17, 0x17);
const QColor kMajorLine(0x40, 0x40, 0x40);
const QColor kEdgeLine(0x80, 0x80, 0x80);
const QColor kVeil(0x60, 0x60, 0x60, 0x65);
const QColor kHoverFrame(0x00, 0xFF, 0xFF);

constexpr int kGridFrequencies[] = {10,   20,   30,   40,   50,   60,   70,   80,    90,   100,
                                    200,  300,  400,  500,  600,  700,  800,  900,   1000, 2000,
                                    3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};

double finiteDb(double db) {
  if (std::isnan(db)) return -kDbLimit;
  return std::clamp(db, -kDbLimit, kDbLimit);
}

// Each band's contribution is rounded to 0.1 dB before the sum, so the residue a flat band
// leaves from rounding does not add up over seven bands. Half-way values round away from zero,
// the same for cuts as for boosts.
double roundToTenth(double db) {
  return std::round(10 * db) / 10;
}

QFont cjkFont(const QString& windowsName, const QString& localName) {
  QFont font;
  font.setFamilies({windowsName, localName, QStringLiteral("WenQuanYi Micro Hei")});
  return font;
}

bool validBand(int band) {
  return band >= 0 && band < CSmallEqPanel::kBands;
}

}  // namespace

CSmallEqPanel::CSmallEqPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  for (int b = 0; b < kBands; ++b) bands_[b].freq = kDefaultFrequencies[b];
  followSize();
}

void CSmallEqPanel::followSize() const {
  if (layoutSize_ == size()) return;
  layoutSize_ = size();
  for (int b = 0; b < kBands; ++b) computeBand(b);
  computeTotal();
}

const CSmallEqPanel::Band& CSmallEqPanel::band(int index) const {
  followSize();
  return bands_.at(static_cast<std::size_t>(index));
}

const std::array<QPointF, CSmallEqPanel::kPoints>& CSmallEqPanel::totalCurve() const {
  followSize();
  return total_;
}

QRect CSmallEqPanel::plotRect() const {
  return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
}

int CSmallEqPanel::pointFrequency(int u) {
  return static_cast<int>(10 * std::pow(10.0, kDecades * u / kPoints));
}

float CSmallEqPanel::yForDb(double db) const {
  const QRect plot = plotRect();
  const double h = std::max(0, plot.height());
  return static_cast<float>(plot.top() + h / 2 - db * h / 30);
}

void CSmallEqPanel::bandChanged(int band) {
  followSize();
  computeBand(band);
  computeTotal();
  update();
}

void CSmallEqPanel::setFrequency(int band, float hz) {
  if (!validBand(band) || !std::isfinite(hz) || std::abs(hz) < 1e-7f) return;
  bands_[band].freq = std::clamp(hz, kMinFrequency, kMaxFrequency);
  bandChanged(band);
}

void CSmallEqPanel::setGain(int band, float db) {
  if (!validBand(band) || !std::isfinite(db)) return;
  bands_[band].gain = std::clamp(db, kMinGainDb, kMaxGainDb);
  bandChanged(band);
}

void CSmallEqPanel::setType(int band, int type) {
  if (!validBand(band)) return;
  bands_[band].type = type;
  bandChanged(band);
}

void CSmallEqPanel::setQ(int band, float q) {
  if (!validBand(band) || !std::isfinite(q)) return;
  bands_[band].q = q;
  bandChanged(band);
}

void CSmallEqPanel::setBypass(bool bypass) {
  bypass_ = bypass;
  update();
}

void CSmallEqPanel::setCurveColor(const QColor& color) {
  curveColor_ = color;
  update();
}

void CSmallEqPanel::updateMarker(Band& band) const {
  const QRect plot = plotRect();
  const double w = std::max(0, plot.width());
  const double h = std::max(0, plot.height());
  band.marker.setX(static_cast<int>(std::log10(band.freq / 10.0) * (w / kDecades)) + plot.left());
  band.marker.setY(static_cast<int>(h * 0.5 - h / 30 * band.gain + plot.top()));
}

void CSmallEqPanel::computeBand(int index) const {
  Band& band = bands_[index];
  updateMarker(band);

  // A type outside the small set leaves the coefficients at their pass-through default, so such
  // a band adds nothing rather than a stale or undefined shape.
  dsp::BiquadCoefficients c;
  dsp::smallDesignSection(band.type, band.gain, band.freq, band.q, sampleRate_, c);
  const dsp::ResponsePolynomials response(c);

  const QRect plot = plotRect();
  const double w = std::max(0, plot.width());
  for (int u = 0; u < kPoints; ++u) {
    const double s = std::sin(dsp::kPi * pointFrequency(u) / sampleRate_);
    const double db = finiteDb(response.db(s * s));
    band.curveDb[u] = static_cast<float>(db);
    band.curve[u] = QPointF(plot.left() + u * w / kPoints, yForDb(db));
  }
}

void CSmallEqPanel::computeTotal() const {
  const QRect plot = plotRect();
  const double w = std::max(0, plot.width());
  for (int u = 0; u < kPoints; ++u) {
    double sum = 0;
    for (const Band& band : bands_) sum += roundToTenth(band.curveDb[u]);
    // A deep cut (a notch right on a point reads -300 dB) or stacked boosts would leave the
    // control; the line runs along the plot's edge instead.
    sum = std::clamp(sum, double{kMinGainDb}, double{kMaxGainDb});
    total_[u] = QPointF(plot.left() + u * w / kPoints, yForDb(sum));
  }
}

void CSmallEqPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  followSize();
}

// Drawn on every paint rather than kept as a picture: a few dozen lines cost less than the
// memory a picture per preview holds, and a preview repaints only when it changes.
void CSmallEqPanel::paintGrid(QPainter& p) const {
  p.fillRect(rect(), kBackground);
  const QRect plot = plotRect();
  const double left = plot.left();
  const double right = plot.left() + std::max(0, plot.width());
  const double top = plot.top();
  const double bottom = plot.top() + std::max(0, plot.height());
  auto horizontal = [&](int db) {
    const double y = yForDb(db);
    p.drawLine(QLineF(left, y, right, y));
  };

  p.setPen(QPen(kFineLine, 1));
  for (int db = -15; db <= 15; ++db) horizontal(db);
  p.setPen(QPen(kMajorLine, 1));
  for (int db = -12; db <= 12; db += 3) horizontal(db);
  p.setPen(QPen(kEdgeLine, 1));
  horizontal(-15);
  horizontal(15);

  p.setPen(QPen(kMajorLine, 1));
  for (int f : kGridFrequencies) {
    const double x = left + (std::log10(f) - 1) * (right - left) / kDecades;
    p.drawLine(QLineF(x, top, x, bottom));
  }
}

void CSmallEqPanel::paintEvent(QPaintEvent*) {
  followSize();
  QPainter p(this);
  paintGrid(p);
  if (hover_) p.fillRect(rect(), kVeil);

  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(curveColor_, 1.7));
  p.drawPolyline(total_.data(), kPoints);

  if (bypass_) {
    QFont font = cjkFont(QStringLiteral("SimHei"), QStringLiteral("黑体"));
    font.setPixelSize(32);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("PASS"));
  }

  if (hover_) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kHoverFrame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void CSmallEqPanel::setHovered(bool hovered) {
  if (hover_ == hovered) return;
  hover_ = hovered;
  update();
}

void CSmallEqPanel::mouseMoveEvent(QMouseEvent* event) {
  setHovered(true);
  QWidget::mouseMoveEvent(event);
}

void CSmallEqPanel::enterEvent(QEnterEvent* event) {
  setHovered(true);
  QWidget::enterEvent(event);
}

void CSmallEqPanel::leaveEvent(QEvent* event) {
  setHovered(false);
  QWidget::leaveEvent(event);
}

void CSmallEqPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace ax7::ui
