#include "graphs/delay_panel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace ax7::ui {

namespace {

const QColor kBackground(0, 0, 0);
const QColor kOuterLine(0x80, 0x80, 0x80);
const QColor kInnerLine(0x40, 0x40, 0x40);
const QColor kAxisText(0xFF, 0xFF, 0xFF);

constexpr QRgb kChannelColours[DelayAxes::kChannels] = {0xE3CF57, 0xB0E0E6, 0xFF9912, 0x4169E1,
                                                        0xEB8E55, 0x6A5ACD, 0x41E0D0, 0x7FFF00};
// Row labels share colours in pairs where the channels form a speaker pair.
constexpr QRgb kLabelColours[DelayAxes::kChannels] = {0xE3CF57, 0xE3CF57, 0xB0E0E6, 0xFF9912,
                                                      0x4169E1, 0x4169E1, 0xEB8E55, 0xEB8E55};

bool validChannel(int channel) {
  return channel >= 0 && channel < DelayAxes::kChannels;
}

// Pixel arithmetic stays in int range whatever the size.
int toPixel(double v) {
  constexpr double kLimit = 1e6;
  if (!(v > -kLimit)) return int(-kLimit);
  if (!(v < kLimit)) return int(kLimit);
  return int(v);
}

float clampDelay(float ms) {
  if (!std::isfinite(ms)) return CDelayPanel::kMinMs;
  return std::clamp(ms, CDelayPanel::kMinMs, CDelayPanel::kMaxMs);
}

}  // namespace

DelayAxes::DelayAxes(QSize client)
    : width(client.width()),
      height(client.height()),
      plotWidth(std::max(0, client.width() - kLeft - kRight)),
      plotHeight(std::max(0, client.height() - kTop - kBottom)) {}

QRect DelayAxes::plot() const {
  return QRect(kLeft, kTop, plotWidth, plotHeight);
}

double DelayAxes::rowHeight() const {
  return plotHeight / double(kChannels);
}

int DelayAxes::rowY(int channel) const {
  return toPixel(std::lround(plotHeight / double(kChannels) * channel + kTop));
}

int DelayAxes::markerX(float ms) const {
  return kLeft + toPixel(std::fabs(plotWidth / kAxisMaxMs * double(ms)));
}

float DelayAxes::msAtMarker(int x) const {
  // A plot without width maps every pointer to the start of the axis.
  if (plotWidth <= 0) return 0.0f;
  return float(double(x - kLeft) * kAxisMaxMs / plotWidth);
}

int DelayAxes::xOf(double ms) const {
  return kLeft + toPixel(plotWidth / kAxisMaxMs * ms);
}

CDelayPanel::CDelayPanel(QWidget* parent) : QWidget(parent) {
  delays_.fill(kMinMs);
  for (int k = 0; k < DelayAxes::kChannels; ++k) labels_ << QStringLiteral("CH %1").arg(k + 1);
  font_.setFamilies(
      {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei")});
  font_.setPixelSize(12);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(120, 120);
}

QColor CDelayPanel::channelColour(int channel) {
  return validChannel(channel) ? QColor(kChannelColours[channel]) : QColor(Qt::white);
}

QColor CDelayPanel::labelColour(int channel) {
  return validChannel(channel) ? QColor(kLabelColours[channel]) : QColor(Qt::white);
}

void CDelayPanel::setDelay(int channel, float ms) {
  if (!validChannel(channel)) return;
  delays_[size_t(channel)] = clampDelay(ms);
  update();
}

float CDelayPanel::delay(int channel) const {
  return validChannel(channel) ? delays_[size_t(channel)] : kMinMs;
}

void CDelayPanel::setMarkerImage(int channel, const QPixmap& image) {
  if (!validChannel(channel) || image.isNull()) return;
  markers_[size_t(channel)] = image;
  markerSize_ = image.deviceIndependentSize().toSize();
  update();
}

void CDelayPanel::setRowLabels(const QStringList& labels) {
  labels_ = labels;
  backgroundValid_ = false;
  update();
}

int CDelayPanel::textHeight() const {
  return QFontMetrics(font_).height();
}

QPoint CDelayPanel::markerTopLeft(int channel) const {
  const DelayAxes axes(size());
  const int h = int(axes.rowHeight());
  const int y = axes.rowY(channel) + (h - markerSize_.height() - textHeight()) / 2;
  return {axes.markerX(delay(channel)), y};
}

QPoint CDelayPanel::hitCentre(int channel) const {
  const DelayAxes axes(size());
  return {axes.markerX(delay(channel)) + markerSize_.width() / 2,
          axes.rowY(channel) + int(axes.rowHeight()) / 2};
}

void CDelayPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  backgroundValid_ = false;
}

void CDelayPanel::rebuildBackground() {
  const qreal dpr = devicePixelRatioF();
  background_ = QPixmap(size() * dpr);
  background_.setDevicePixelRatio(dpr);
  background_.fill(kBackground);
  backgroundValid_ = true;

  const DelayAxes axes(size());
  const QRect plot = axes.plot();
  QPainter p(&background_);
  p.setFont(font_);

  // Row boundaries: grey at the plot's top and bottom, dark inside.
  for (int k = 0; k <= DelayAxes::kChannels; ++k) {
    const int y = k == DelayAxes::kChannels ? plot.top() + axes.plotHeight : axes.rowY(k);
    const bool outer = k == 0 || k == DelayAxes::kChannels;
    p.setPen(QPen(outer ? kOuterLine : kInnerLine, 1));
    p.drawLine(plot.left(), y, plot.left() + axes.plotWidth, y);
  }
  const int rowHeight = int(axes.rowHeight());
  for (int k = 0; k < DelayAxes::kChannels && k < labels_.size(); ++k) {
    p.setPen(labelColour(k));
    p.drawText(QRect(0, axes.rowY(k), plot.left() - 5, rowHeight),
               Qt::AlignRight | Qt::AlignVCenter, labels_[k]);
  }
  const int textTop = plot.top() + axes.plotHeight + 5;
  for (int ms = 0; ms <= 100; ms += 20) {
    const int x = axes.xOf(ms);
    p.setPen(kAxisText);
    p.drawText(QRect(x - 30, textTop, 60, textHeight()), Qt::AlignHCenter | Qt::AlignTop,
               QString::asprintf("%.1fms", double(ms)));
    if (ms == 0 || ms == 100) {
      p.setPen(QPen(kOuterLine, 1));
      p.drawLine(x, plot.top(), x, plot.top() + axes.plotHeight);
    }
  }
}

void CDelayPanel::paintEvent(QPaintEvent*) {
  if (!backgroundValid_ || background_.size() != size() * devicePixelRatioF()) rebuildBackground();
  QPainter p(this);
  p.drawPixmap(0, 0, background_);
  p.setFont(font_);

  const DelayAxes axes(size());
  const int plotLeft = DelayAxes::kLeft;
  const int plotBottom = DelayAxes::kTop + axes.plotHeight;
  const int iw = markerSize_.width();
  const int ih = markerSize_.height();
  const int th = textHeight();
  for (int k = 0; k < DelayAxes::kChannels; ++k) {
    const QColor colour = channelColour(k);
    const QPoint at = markerTopLeft(k);
    const int cx = at.x() + iw / 2;
    const int cy = at.y() + ih / 2;

    QColor lineColour = colour;
    lineColour.setAlpha(k == selected_ ? 0x80 : 0x40);
    p.setPen(QPen(lineColour, 1, Qt::DashLine));
    p.drawLine(plotLeft, cy, cx, cy);
    if (plotBottom > cy) p.drawLine(cx, cy, cx, plotBottom);

    const QRect markerRect(at, markerSize_);
    if (!markers_[size_t(k)].isNull()) {
      p.drawPixmap(markerRect, markers_[size_t(k)]);
    } else {
      // Without a picture: a pin in the channel colour, tip at the bottom centre.
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(QRect(at.x(), at.y(), iw, iw));
      p.drawPolygon(QPolygon({QPoint(at.x() + 2, at.y() + iw / 2),
                              QPoint(at.x() + iw - 2, at.y() + iw / 2), QPoint(cx, at.y() + ih)}));
      p.setBrush(Qt::NoBrush);
    }
    p.setPen(colour);
    p.drawText(QRect(at.x() + 2, at.y() + ih, 80, th), Qt::AlignLeft | Qt::AlignTop,
               QString::asprintf("%.1fms", double(delay(k))));
  }
}

void CDelayPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  selected_ = -1;
  for (int k = 0; k < DelayAxes::kChannels; ++k) {
    const QPoint centre = hitCentre(k);
    if (std::abs(centre.x() - pos.x()) < kHitPixels &&
        std::abs(centre.y() - pos.y()) < kHitPixels) {
      selected_ = k;
      break;
    }
  }
  dragging_ = selected_ >= 0;
  update();
}

void CDelayPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || selected_ < 0) return;
  const DelayAxes axes(size());
  const int markerX = event->position().toPoint().x() - markerSize_.width() / 2;
  const float ms = clampDelay(axes.msAtMarker(markerX));
  delays_[size_t(selected_)] = ms;
  emit delayDragged(selected_, ms);
  update();
}

void CDelayPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

}  // namespace ax7::ui
