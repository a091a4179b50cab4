#include "graphs/compress_panel.h"

#include <QFont>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace ax7::ui {
namespace {

// Yellow labels and a dark green grid are drawn on black.
const QColor kBackground(0, 0, 0);
const QColor kGridColor(0x00, 0x6E, 0x00);
const QColor kLabelColor(0xFF, 0xFF, 0x00);
const QColor kCurveColor(0x00, 0xCF, 0xFF);
const QColor kDotColor(0xFF, 0x0A, 0x0A, 0xC8);
const QColor kBandColor(0x78, 0x78, 0x78, 0x41);
const QColor kOffColor(0x00, 0x96, 0xFF);

// Levels and texts of the grid lines.
struct GridLine {
  double db;
  const char* label;
};
constexpr GridLine kOutputLines[] = {
    {6, "+6dB"},    {0, "0dB"},     {-10, "-10dB"}, {-20, "-20dB"}, {-30, "-30dB"}, {-40, "-40dB"},
    {-50, "-50dB"}, {-60, "-60dB"}, {-70, "-70dB"}, {-80, "-80dB"}, {-90, "-90dB"},
};
constexpr GridLine kInputLines[] = {
    {-90, "-90dB"}, {-70, "-70dB"}, {-50, "-50dB"}, {-30, "-30dB"}, {-10, "-10dB"}, {6, "6dB"},
};

// Pixel arithmetic stays in int range whatever slope the page sets.
int truncPixel(double v) {
  constexpr double kLimit = 1e6;
  if (!(v > -kLimit)) return static_cast<int>(-kLimit);
  if (!(v < kLimit)) return static_cast<int>(kLimit);
  return static_cast<int>(v);
}

double clampLevel(double db) {
  return std::clamp(db, CompressAxes::kMinDb, CompressAxes::kMaxDb);
}

// Windows CJK faces first (mode files and screenshots are shared with Windows users), then the
// CJK face a Linux desktop has installed.
QFont cjkFont(const QString& windowsName, const QString& localName) {
  QFont font;
  font.setFamilies({windowsName, localName, QStringLiteral("WenQuanYi Micro Hei")});
  return font;
}

}  // namespace

CompressAxes::CompressAxes(QSize client)
    : plotWidth(std::max(0, client.width() - 60)), plotHeight(std::max(0, client.height() - 45)) {}

int CompressAxes::x(double inputDb) const {
  return truncPixel((inputDb - kMinDb) * plotWidth / 96 + kLeft);
}

int CompressAxes::y(double outputDb) const {
  return truncPixel(std::abs(outputDb - kMaxDb) * plotHeight / 96 + kTop);
}

CompressCurveGeometry compressCurveGeometry(QSize client, const CompressCurve& curve) {
  const CompressAxes axes(client);
  const double t = clampLevel(curve.threshold);
  const double k = clampLevel(curve.knee);

  CompressCurveGeometry g;
  g.knee = {axes.x(k), axes.y(k)};
  g.threshold = {axes.x(t), axes.y(t)};
  // Below the knee the output falls by lowerSlope per dB down to -90 dB input.
  g.start = {CompressAxes::kLeft, g.knee.y() + truncPixel(std::abs(CompressAxes::kMinDb - k) *
                                                          axes.plotHeight / 96 * curve.lowerSlope)};
  // Above the threshold it rises by slope per dB up to +6 dB input.
  g.end = {axes.plotWidth + CompressAxes::kLeft,
           g.threshold.y() -
               truncPixel(std::abs(CompressAxes::kMaxDb - t) * axes.plotHeight / 96 * curve.slope)};
  const int top = std::min(g.end.y(), g.start.y());
  const int bottom = std::max(g.end.y(), g.start.y());
  g.band = QRect(CompressAxes::kLeft, top, axes.plotWidth, bottom - top);
  return g;
}

CCompressPanelPlus::CCompressPanelPlus(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CCompressPanelPlus::setOn(bool on) {
  on_ = on;
  update();
}

void CCompressPanelPlus::setThreshold(float db) {
  if (!std::isfinite(db)) return;
  curve_.threshold = db;
  update();
}

void CCompressPanelPlus::setKnee(float db) {
  if (!std::isfinite(db)) return;
  curve_.knee = db;
  update();
}

void CCompressPanelPlus::setSlope(float slope) {
  if (!std::isfinite(slope)) return;
  curve_.slope = slope;
  update();
}

void CCompressPanelPlus::setLowerSlope(float slope) {
  if (!std::isfinite(slope)) return;
  curve_.lowerSlope = slope;
  update();
}

void CCompressPanelPlus::setRatio(float ratio) {
  if (!(ratio > 0) || !std::isfinite(ratio)) return;
  setSlope(1.0f / ratio);
}

void CCompressPanelPlus::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  rebuildBackground();
}

void CCompressPanelPlus::rebuildBackground() {
  const qreal dpr = devicePixelRatioF();
  background_ = QPixmap(size() * dpr);
  background_.setDevicePixelRatio(dpr);
  background_.fill(kBackground);

  QPainter p(&background_);
  const CompressAxes axes(size());
  const int right = width() - 20;
  const int bottom = axes.plotHeight + CompressAxes::kTop;
  QFont font = cjkFont(QStringLiteral("SimSun"), QStringLiteral("宋体"));
  font.setPixelSize(12);
  p.setFont(font);

  for (const GridLine& line : kOutputLines) {
    const int y = axes.y(line.db);
    p.setPen(QPen(kGridColor, 1));
    p.drawLine(CompressAxes::kLeft, y, right, y);
    p.setPen(kLabelColor);
    p.drawText(QRect(0, y - 10, 38, 20), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromLatin1(line.label));
  }
  for (const GridLine& line : kInputLines) {
    const int x = axes.x(line.db);
    p.setPen(QPen(kGridColor, 1));
    p.drawLine(x, CompressAxes::kTop, x, bottom);
    p.setPen(kLabelColor);
    p.drawText(QRect(x - 30, height() - 23, 60, 20), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromLatin1(line.label));
  }
}

void CCompressPanelPlus::paintEvent(QPaintEvent*) {
  if (background_.size() != size() * devicePixelRatioF()) rebuildBackground();
  QPainter p(this);
  p.drawPixmap(0, 0, background_);

  if (!on_) {
    QFont font = cjkFont(QStringLiteral("SimHei"), QStringLiteral("黑体"));
    font.setPointSizeF(40);
    p.setFont(font);
    p.setPen(kOffColor);
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("OFF"));
    return;
  }

  const CompressCurveGeometry g = geometry();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kDotColor);
  p.drawEllipse(QRectF(g.threshold.x() - 4, g.threshold.y() - 4, 8, 8));
  p.setPen(QPen(kCurveColor, 2));
  p.drawLine(g.start, g.knee);
  p.drawLine(g.knee, g.threshold);
  p.drawLine(g.threshold, g.end);
  p.fillRect(g.band, kBandColor);
}

}  // namespace ax7::ui
