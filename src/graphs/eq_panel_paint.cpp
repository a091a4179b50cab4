// Painting of the EQ graph. The static layer (background, title, grid, labels) is cached per
// size and title, the total curve's path per band change; painting never designs a filter.
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/section_type.h"
#include "graphs/eq_panel.h"
#include "graphs/eq_panel_labels.h"

namespace ax7::ui {
namespace {

const QColor kBackground(0x14, 0x14, 0x14);
const QColor kTitleColour(0xFF, 0xFF, 0x00);
const QColor kGridColour(0x40, 0x40, 0x40);
const QColor kGridTextColour(0x80, 0x80, 0x80);
const QColor kCurveColour(0x00, 0xC8, 0xFF);
const QColor kReadoutLabelColour(0xB4, 0xB4, 0xB4);
const QColor kReadoutValueColour(0x10, 0xFF, 0x10);
const QColor kStatusColour(0x00, 0xFF, 0x00);

constexpr int kRingAlpha = 0x7F;
constexpr int kMarkerFillAlpha = 0x25;
constexpr int kSelectedFillAlpha = 0x50;
constexpr int kBandFillAlpha = 0x20;
constexpr double kTotalTension = 0.1;
constexpr double kFillTension = 0.5;

constexpr double kFrequencyLines[] = {
    18,  20,  30,  40,   50,   60,   70,   80,   90,   100,  200,  300,  400,   500,   600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 23000};
struct FrequencyLabel {
  double hz;
  const char* text;
};
constexpr FrequencyLabel kFrequencyLabels[] = {
    {20, "20Hz"},   {50, "50Hz"},   {100, "100Hz"}, {200, "200Hz"},   {500, "500Hz"},
    {1000, "1kHz"}, {2000, "2kHz"}, {5000, "5kHz"}, {10000, "10kHz"}, {20000, "20kHz"},
};

// Arial's metrics fix the label layout; the nearest faces found on Linux desktops follow it.
QFont sansFont(double points) {
  QFont f;
  f.setFamilies({"Arial", "Nimbus Sans", "Liberation Sans", "DejaVu Sans"});
  f.setPointSizeF(points);
  return f;
}

QFont songFont() {
  QFont f;
  f.setFamilies({"SimSun", "宋体", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "DejaVu Sans"});
  return f;
}

QFont heiFont() {
  QFont f;
  f.setFamilies({"SimHei", "黑体", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "DejaVu Sans"});
  return f;
}

QColor withAlpha(QColor c, int alpha) {
  c.setAlpha(alpha);
  return c;
}

// A cardinal spline through the points as cubic Bezier segments; tension 0 gives straight
// segments, 1 the usual rounded curve (control points a third of the neighbour distance away).
QPainterPath cardinalSpline(const std::vector<QPointF>& pts, double tension, bool closed) {
  QPainterPath path;
  const size_t n = pts.size();
  if (n == 0) return path;
  path.moveTo(pts[0]);
  const double k = 0.3 * tension;
  auto at = [&](ptrdiff_t i) {
    if (closed) return pts[size_t((i % ptrdiff_t(n) + ptrdiff_t(n)) % ptrdiff_t(n))];
    return pts[size_t(std::clamp<ptrdiff_t>(i, 0, ptrdiff_t(n) - 1))];
  };
  const size_t segments = closed ? n : n - 1;
  for (size_t i = 0; i < segments; ++i) {
    const ptrdiff_t j = ptrdiff_t(i);
    const QPointF p0 = at(j - 1), p1 = at(j), p2 = at(j + 1), p3 = at(j + 2);
    path.cubicTo(p1 + k * (p2 - p0), p2 - k * (p3 - p1), p2);
  }
  if (closed) path.closeSubpath();
  return path;
}

}  // namespace

void CEqPanel::paintGrid(QPainter& p) {
  const QRectF r = plotRect();

  QFont title = songFont();
  title.setPixelSize(13);
  p.setFont(title);
  p.setPen(kTitleColour);
  p.drawText(QRectF(0, 0, r.right() - 2, r.top() - 1), Qt::AlignRight | Qt::AlignBottom,
             eqpanel::eqTitle(eqSet(), language_));

  p.setFont(sansFont(8.4));
  const QPen gridPen(kGridColour, 1);
  const double textHeight = p.fontMetrics().height();
  for (int g = -15; g <= 15; g += 3) {
    const double y = std::round(yForGain(g));
    p.setPen(gridPen);
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    p.setPen(kGridTextColour);
    p.drawText(QRectF(0, y - textHeight / 2, r.left() - 3, textHeight),
               Qt::AlignRight | Qt::AlignVCenter, eqpanel::gridGainLabel(g));
  }
  p.setPen(gridPen);
  for (double hz : kFrequencyLines) {
    const double x = std::round(xForFrequency(hz));
    p.drawLine(QPointF(x, r.top() + 1), QPointF(x, r.bottom()));
  }
  p.setPen(kGridTextColour);
  for (const FrequencyLabel& label : kFrequencyLabels) {
    const double x = std::round(xForFrequency(label.hz));
    p.drawText(QRectF(x - 40, r.bottom() + 4, 80, textHeight), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromLatin1(label.text));
  }
}

void CEqPanel::paintGridLayer() {
  const qreal dpr = devicePixelRatioF();
  gridLayer_ = QPixmap(size() * dpr);
  gridLayer_.setDevicePixelRatio(dpr);
  gridLayer_.fill(kBackground);
  QPainter p(&gridLayer_);
  paintGrid(p);
  gridDirty_ = false;
  titleSet_ = eqSet();
}

void CEqPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // The grid comes from a cached layer only while a band is held, when every pointer move
  // repaints; at rest it is drawn directly and the layer's memory is given back.
  if (dragStride() > 1) {
    if (gridDirty_ || gridLayer_.size() != size() * devicePixelRatioF()) paintGridLayer();
    p.drawPixmap(0, 0, gridLayer_);
  } else {
    gridLayer_ = QPixmap();
    gridDirty_ = true;
    p.fillRect(rect(), kBackground);
    p.save();
    paintGrid(p);
    p.restore();
  }
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  if (model_) paintBands(p);
  if (bypass_) paintBypass(p);
}

void CEqPanel::paintBands(QPainter& p) {
  if (selected_ >= 0) paintSelectedFill(p);
  paintTotalCurve(p);
  paintMarkers(p);
  if (selected_ >= 0 && hovered_ < 0) paintReadout(p, selected_);
  if (selected_ >= 0) paintStatusLine(p);
  if (hovered_ >= 0 && model_->band(hovered_).type != 0) paintReadout(p, hovered_);
}

// While a band is held by the pointer every move repaints the curves; every second grid point is
// enough for a picture in motion. The full grid returns with the release.
int CEqPanel::dragStride() const {
  return (leftDrag_ || rightPress_) && selected_ >= 0 ? 2 : 1;
}

void CEqPanel::paintSelectedFill(QPainter& p) {
  const dsp::EqBand& band = model_->band(selected_);
  std::array<float, dsp::kCurvePoints> curve = band.curve;
  if (isOutputSet()) {
    // The selected record alone, or the crossover band's whole cascade.
    std::fill(curve.begin(), curve.end(), 0.0f);
    const int sections = selected_ == dsp::kCrossoverBand ? dsp::kCrossoverSections : 1;
    for (int s = 0; s < sections; ++s) {
      const dsp::EqBand& rec = model_->band(selected_ + s);
      if (rec.type == 0) continue;
      for (int i = 0; i < dsp::kCurvePoints; ++i) curve[i] += rec.curve[i];
    }
  }
  const QRectF r = plotRect();
  const double step = r.width() / dsp::kCurvePoints;
  // Far-off points (a section's zero reads about -300 dB) are pulled near the plot; only the
  // clipped-away part of the outline changes.
  const double yLow = r.top() - r.height(), yHigh = r.bottom() + r.height();
  std::vector<QPointF> pts;
  pts.reserve(dsp::kCurvePoints + 2);
  const int stride = dragStride();
  const bool pass = dsp::isPassType(band.type);
  const double lastX = r.left() + (dsp::kCurvePoints - 1) * step;
  pts.emplace_back(r.left(), pass ? r.bottom() + 20 : yForGain(0));
  for (int i = 0; i < dsp::kCurvePoints; i += stride) {
    pts.emplace_back(r.left() + i * step, std::clamp(yForGain(curve[i]), yLow, yHigh));
  }
  pts.emplace_back(pass ? lastX : r.right(), pass ? r.bottom() + 20 : yForGain(0));

  p.save();
  p.setClipRect(r);
  p.setPen(Qt::NoPen);
  p.setBrush(withAlpha(eqpanel::bandColour(band.number), kBandFillAlpha));
  p.drawPath(cardinalSpline(pts, kFillTension, true));
  p.restore();
}

void CEqPanel::paintTotalCurve(QPainter& p) {
  const QRectF r = plotRect();
  const int stride = dragStride();
  if (totalDirty_ || totalRevision_ != model_->revision() || totalStride_ != stride) {
    const auto total = dsp::totalCurve(model_->bands(), model_->bandCount());
    const double step = r.width() / dsp::kCurvePoints;
    const double yLow = r.top() - r.height(), yHigh = r.bottom() + r.height();
    std::vector<QPointF> pts;
    pts.reserve(dsp::kCurvePoints);
    for (int i = 0; i < dsp::kCurvePoints; i += stride) {
      pts.emplace_back(r.left() + i * step, std::clamp(yForGain(total[i]), yLow, yHigh));
    }
    totalPath_ = cardinalSpline(pts, kTotalTension, false);
    totalDirty_ = false;
    totalRevision_ = model_->revision();
    totalStride_ = stride;
  }
  p.save();
  p.setClipRect(r);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kCurveColour, 2));
  p.drawPath(totalPath_);
  p.restore();
}

void CEqPanel::paintMarkers(QPainter& p) {
  const QRectF r = plotRect();
  p.setFont(sansFont(8));
  for (int i = 0; i < markerCount(); ++i) {
    const dsp::EqBand& band = model_->band(i);
    if (band.type == 0) continue;
    const QColor colour = eqpanel::bandColour(band.number);
    const QPointF c = markerCentre(i);
    const QRectF box(std::trunc(c.x() - 9) + 2, std::trunc(c.y() - 9) + 2, 14, 14);
    const int fillAlpha = i == selected_ ? kSelectedFillAlpha : kMarkerFillAlpha;
    if (band.type == 1) {
      // A ring open at its left and right, around a soft disc.
      const QRectF ring(c.x() - 9, c.y() - 9, 18, 18);
      p.setPen(QPen(withAlpha(colour, kRingAlpha), 2));
      p.setBrush(Qt::NoBrush);
      p.drawArc(ring, -15 * 16, -150 * 16);
      p.drawArc(ring, -195 * 16, -150 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(withAlpha(colour, fillAlpha));
      p.drawEllipse(box);
    } else {
      QPen dashed(withAlpha(colour, kRingAlpha), 1.5, Qt::DashLine);
      p.setPen(dashed);
      p.setBrush(withAlpha(colour, fillAlpha));
      p.drawRect(box);
      if (i == selected_) {
        p.setPen(QPen(Qt::red, 1.5, Qt::DashLine));
        p.drawLine(QPointF(c.x(), r.top()), QPointF(c.x(), r.bottom()));
      }
    }
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, QString::number(band.number + 1));
  }
}

void CEqPanel::paintReadout(QPainter& p, int i) {
  p.setFont(sansFont(8.4));
  const QFontMetricsF fm(p.font());
  for (const eqpanel::ReadoutLine& line : eqpanel::readoutLines(markerCentre(i), model_->band(i))) {
    p.setPen(kReadoutLabelColour);
    p.drawText(QRectF(line.labelPos, QSizeF(fm.horizontalAdvance(line.label) + 2, fm.height())),
               Qt::AlignLeft | Qt::AlignTop, line.label);
    p.setPen(kReadoutValueColour);
    p.drawText(QRectF(line.valuePos, QSizeF(fm.horizontalAdvance(line.value) + 2, fm.height())),
               Qt::AlignLeft | Qt::AlignTop, line.value);
  }
}

void CEqPanel::paintStatusLine(QPainter& p) {
  const dsp::EqBand& band = model_->band(selected_);
  QFont font = songFont();
  font.setPointSizeF(9);
  p.setFont(font);
  const QFontMetricsF fm(font);
  const QString prefix = eqpanel::statusPrefix(language_, band.number + 1, band.freq, band.q);
  const QString gain = eqpanel::gainText(band.gainDb) + QLatin1Char(' ');
  const QPointF at(kPlotLeft, 3);
  const double prefixWidth = fm.horizontalAdvance(prefix);
  p.setPen(kStatusColour);
  p.drawText(QRectF(at, QSizeF(prefixWidth + 2, fm.height())), Qt::AlignLeft | Qt::AlignTop,
             prefix);
  p.setPen(eqpanel::statusGainColour(band.gainDb));
  p.drawText(
      QRectF(at + QPointF(prefixWidth, 0), QSizeF(fm.horizontalAdvance(gain) + 2, fm.height())),
      Qt::AlignLeft | Qt::AlignTop, gain);
}

void CEqPanel::paintBypass(QPainter& p) {
  QFont font = heiFont();
  font.setPixelSize(72);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(rect(), Qt::AlignCenter, QStringLiteral("BYPASS"));
}

}  // namespace ax7::ui
