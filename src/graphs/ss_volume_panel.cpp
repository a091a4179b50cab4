#include "graphs/ss_volume_panel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace ax7::ui {

namespace {

const QColor kBackground(0, 0, 0);
const QColor kOuterLine(0x80, 0x80, 0x80);
const QColor kInnerLine(0x40, 0x40, 0x40);
const QColor kLabelText(0x49, 0x5A, 0x97);
const QColor kNumberColour(0xFF, 0x00, 0x00);
constexpr QRgb kSpeakerColours[8] = {0xE3CF57, 0xB0E0E6, 0xE3CF57, 0x4169E1,
                                     0xEB8E55, 0x4169E1, 0xFF9912, 0xFF9912};

int toPixel(double v) {
  constexpr double kLimit = 1e6;
  if (!(v > -kLimit)) return int(-kLimit);
  if (!(v < kLimit)) return int(kLimit);
  return int(v);
}

// Offset along one axis: metres from the plot's edge, scaled to the plot's pixels.
int scaled(double metres, int plotPixels, float side) {
  return toPixel(metres * plotPixels / side);
}

bool validItem(int item) {
  return item >= 0 && item < CSSVolumePanel::kItems;
}

}  // namespace

float RoomAxes::clampSide(float metres) {
  if (!std::isfinite(metres)) return kMinSide;
  return std::clamp(metres, kMinSide, kMaxSide);
}

RoomAxes::RoomAxes(QSize client, float widthM, float lengthM)
    : clientWidth(client.width()),
      clientHeight(client.height()),
      plotWidth(std::max(0, client.width() - 2 * kInset)),
      plotHeight(std::max(0, client.height() - 2 * kInset)),
      width(clampSide(widthM)),
      length(clampSide(lengthM)) {}

QRect RoomAxes::plot() const {
  return QRect(kInset, kInset, plotWidth, plotHeight);
}

QPoint RoomAxes::toPixel(float x, float y) const {
  return {kInset + scaled(double(x) + width / 2.0, plotWidth, width),
          kInset + scaled(length / 2.0 - double(y), plotHeight, length)};
}

QPointF RoomAxes::toMetres(QPoint pixel) const {
  // An empty plot has no scale: everything is at the centre.
  const double cx = kInset + plotWidth / 2.0;
  const double cy = kInset + plotHeight / 2.0;
  const double x = plotWidth > 0 ? (pixel.x() - cx) / (plotWidth / double(width)) : 0.0;
  const double y = plotHeight > 0 ? (cy - pixel.y()) / (plotHeight / double(length)) : 0.0;
  return {x, y};
}

QPoint RoomAxes::clampToPlot(QPoint pixel) const {
  return {std::clamp(pixel.x(), kInset, kInset + plotWidth),
          std::clamp(pixel.y(), kInset, kInset + plotHeight)};
}

CSSVolumePanel::CSSVolumePanel(QWidget* parent) : QWidget(parent) {
  font_.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
  font_.setPixelSize(13);
  numberFont_.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  numberFont_.setPointSize(12);
  numberFont_.setBold(true);
  nameFont_.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                         QStringLiteral("WenQuanYi Micro Hei")});
  nameFont_.setPointSize(8);
  for (int s = 1; s < kItems; ++s) names_ << QString::number(s);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(120, 120);
  remap();
}

QColor CSSVolumePanel::speakerColour(int speaker) {
  return speaker >= 1 && speaker <= 8 ? QColor(kSpeakerColours[speaker - 1]) : QColor(Qt::white);
}

void CSSVolumePanel::setRoomSize(float widthM, float lengthM) {
  width_ = RoomAxes::clampSide(widthM);
  length_ = RoomAxes::clampSide(lengthM);
  remap();
  backgroundValid_ = false;
  update();
}

void CSSVolumePanel::setItem(int item, float x, float y) {
  if (!validItem(item)) return;
  items_[size_t(item)].metres = QPointF(std::isfinite(x) ? x : 0.0f, std::isfinite(y) ? y : 0.0f);
  items_[size_t(item)].pixel = axes().toPixel(float(items_[size_t(item)].metres.x()),
                                              float(items_[size_t(item)].metres.y()));
  update();
}

QPointF CSSVolumePanel::itemMetres(int item) const {
  return validItem(item) ? items_[size_t(item)].metres : QPointF();
}

QPoint CSSVolumePanel::itemPixel(int item) const {
  return validItem(item) ? items_[size_t(item)].pixel : QPoint();
}

void CSSVolumePanel::setSpeakerNames(const QStringList& names) {
  names_ = names;
  update();
}

void CSSVolumePanel::setImages(const QPixmap& listener, const QPixmap& speaker) {
  listenerImage_ = listener;
  speakerImage_ = speaker;
  update();
}

void CSSVolumePanel::remap() {
  const RoomAxes a = axes();
  for (Item& item : items_) item.pixel = a.toPixel(float(item.metres.x()), float(item.metres.y()));
}

void CSSVolumePanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  remap();
  backgroundValid_ = false;
}

void CSSVolumePanel::rebuildBackground() {
  const qreal dpr = devicePixelRatioF();
  background_ = QPixmap(size() * dpr);
  background_.setDevicePixelRatio(dpr);
  background_.fill(kBackground);
  backgroundValid_ = true;

  const RoomAxes a = axes();
  const QRect plot = a.plot();
  const int left = plot.left();
  const int top = plot.top();
  const int right = left + a.plotWidth;
  const int bottom = top + a.plotHeight;
  QPainter p(&background_);
  // The labels left of the plot share its 30 px inset: a face too wide for the longest one
  // ("+4.5m") is drawn smaller rather than cut off at the window's edge.
  QFont labelFont = font_;
  while (labelFont.pixelSize() > 8 &&
         QFontMetrics(labelFont).horizontalAdvance(QStringLiteral("+4.5m")) > left - 5) {
    labelFont.setPixelSize(labelFont.pixelSize() - 1);
  }
  p.setFont(labelFont);
  const int th = QFontMetrics(labelFont).height();

  // The outer lines sit at half the side: whole metres when the side is even, else a half.
  auto outerLabel = [](float side, bool positive) {
    const int whole = int(side);
    if (whole % 2 == 0) return QString::asprintf(positive ? "+%.0fm" : "-%.0fm", side / 2.0);
    return QString::asprintf(positive ? "+%.1fm" : "-%.1fm", side / 2.0);
  };

  // Horizontal lines, one metre apart from the centre line, labelled at the left.
  const int halfRows = int(std::ceil(a.length / 2.0f)) - 1;
  for (int m = -halfRows; m <= halfRows; ++m) {
    const int y = a.toPixel(0.0f, float(m)).y();
    p.setPen(QPen(kInnerLine, 1));
    p.drawLine(left, y, right, y);
    const QString label =
        m == 0 ? QStringLiteral("0") : QString::asprintf(m > 0 ? "+%dm" : "-%dm", std::abs(m));
    p.setPen(kLabelText);
    p.drawText(QRect(0, y - th / 2, left - 5, th), Qt::AlignRight | Qt::AlignVCenter, label);
  }
  for (bool positive : {true, false}) {
    const int y = positive ? top : bottom;
    p.setPen(QPen(kOuterLine, 1));
    p.drawLine(left, y, right, y);
    p.setPen(kLabelText);
    p.drawText(QRect(0, y - th / 2, left - 5, th), Qt::AlignRight | Qt::AlignVCenter,
               outerLabel(a.length, positive));
  }

  // Vertical lines likewise, labelled below the plot, where the full size fits.
  p.setFont(font_);
  const int bottomTh = QFontMetrics(font_).height();
  const int halfColumns = int(std::ceil(a.width / 2.0f)) - 1;
  constexpr int kLabelWidth = 60;
  for (int m = -halfColumns; m <= halfColumns; ++m) {
    const int x = a.toPixel(float(m), 0.0f).x();
    p.setPen(QPen(kInnerLine, 1));
    p.drawLine(x, top, x, bottom);
    const QString label =
        m == 0 ? QStringLiteral("0") : QString::asprintf(m > 0 ? "+%dm" : "-%dm", std::abs(m));
    p.setPen(kLabelText);
    p.drawText(QRect(x - kLabelWidth / 2, bottom + 3, kLabelWidth, bottomTh),
               Qt::AlignHCenter | Qt::AlignTop, label);
  }
  for (bool positive : {false, true}) {
    const int x = positive ? right : left;
    p.setPen(QPen(kOuterLine, 1));
    p.drawLine(x, top, x, bottom);
    p.setPen(kLabelText);
    p.drawText(QRect(x - kLabelWidth / 2, bottom + 3, kLabelWidth, bottomTh),
               Qt::AlignHCenter | Qt::AlignTop, outerLabel(a.width, positive));
  }
}

void CSSVolumePanel::paintEvent(QPaintEvent*) {
  if (!backgroundValid_ || background_.size() != size() * devicePixelRatioF()) rebuildBackground();
  QPainter p(this);
  p.drawPixmap(0, 0, background_);

  // The listener.
  const QPoint listener = items_[0].pixel;
  if (!listenerImage_.isNull()) {
    const QSize s = listenerImage_.deviceIndependentSize().toSize();
    p.drawPixmap(QRect(listener - QPoint(s.width() / 2, s.height() / 2), s), listenerImage_);
  } else {
    p.setPen(QPen(Qt::white, 2));
    p.drawEllipse(listener, 12, 12);
  }

  const QSize ss =
      speakerImage_.isNull() ? QSize(28, 28) : speakerImage_.deviceIndependentSize().toSize();
  const QFontMetrics nameMetrics(nameFont_);
  for (int s = 1; s < kItems; ++s) {
    const QPoint c = items_[size_t(s)].pixel;
    const QRect r(c - QPoint(ss.width() / 2, ss.height() / 2), ss);
    if (!speakerImage_.isNull()) {
      p.drawPixmap(r, speakerImage_);
    } else {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xC0, 0xC0, 0xC0));
      p.drawRect(r);
      p.setBrush(Qt::NoBrush);
    }
    p.setFont(numberFont_);
    p.setPen(kNumberColour);
    p.drawText(r, Qt::AlignCenter, QString::number(s));
    if (s - 1 < names_.size()) {
      p.setFont(nameFont_);
      p.setPen(speakerColour(s));
      const int w = nameMetrics.horizontalAdvance(names_[s - 1]) + 4;
      p.drawText(QRect(c.x() - w / 2, c.y() + ss.height() / 2 + 2, w, nameMetrics.height()),
                 Qt::AlignHCenter | Qt::AlignTop, names_[s - 1]);
    }
  }
}

void CSSVolumePanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  for (int i = 0; i < kItems; ++i) {
    const QPoint c = items_[size_t(i)].pixel;
    if (std::abs(c.x() - pos.x()) < kHitPixels && std::abs(c.y() - pos.y()) < kHitPixels) {
      dragging_ = true;
      dragged_ = i;
      emit itemPicked(i);
      return;
    }
  }
}

void CSSVolumePanel::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !validItem(dragged_)) return;
  const RoomAxes a = axes();
  const QPoint at = a.clampToPlot(event->position().toPoint());
  const QPointF metres = a.toMetres(at);
  Item& item = items_[size_t(dragged_)];
  item.pixel = at;
  item.metres = metres;
  emit itemMoved(dragged_, float(metres.x()), float(metres.y()));
  update();
}

void CSSVolumePanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = false;
    dragged_ = -1;
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace ax7::ui
