#include "shell/app_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <iterator>

namespace ax7::ui {

namespace {

// The picture on a 64-unit square: a blue tile with five level bars of an equaliser.
QPixmap paintIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  QLinearGradient tile(0, 0, 0, 64);
  tile.setColorAt(0, QColor(0x2b, 0x57, 0x9a));
  tile.setColorAt(1, QColor(0x17, 0x33, 0x5e));
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  p.fillPath(rounded, tile);

  struct Bar {
    qreal x, top;
  };
  const Bar bars[] = {{13, 30}, {22, 18}, {31, 10}, {40, 22}, {49, 34}};
  for (const Bar& b : bars) {
    QPainterPath bar;
    bar.addRoundedRect(QRectF(b.x - 3, b.top, 6, 52 - b.top), 3, 3);
    p.fillPath(bar, QColor(0xff, 0xff, 0xff));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0xa5, 0x1f));
  for (const Bar& b : bars) p.drawEllipse(QPointF(b.x, b.top), 4.5, 4.5);
  return pixmap;
}

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Paints the picture when a size is asked for, rather than keeping seven pixmaps (a quarter
// megabyte for the largest alone) for the program's whole life: the window system takes its
// copies once, the About box one more.
class PaintedIconEngine : public QIconEngine {
 public:
  QIconEngine* clone() const override { return new PaintedIconEngine; }
  QString key() const override { return QStringLiteral("ax7-painted"); }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (int size : kSizes) sizes.append(QSize(size, size));
    return sizes;
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(std::min(size.width(), size.height()), kSizes[std::size(kSizes) - 1]);
    return {side, side};
  }

  // The smallest drawn size that covers the request, scaled down when larger, as an icon of
  // added pixmaps does.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    if (side <= 0) return {};
    int drawn = kSizes[std::size(kSizes) - 1];
    for (int s : kSizes) {
      if (s >= side) {
        drawn = s;
        break;
      }
    }
    QPixmap picture = paintIcon(drawn);
    if (drawn > side) {
      picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (mode != QIcon::Normal) {
      QStyleOption option;
      option.palette = QApplication::palette();
      picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
    }
    return picture;
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }
};

}  // namespace

QIcon ApplicationIcon() {
  return QIcon(new PaintedIconEngine);
}

}  // namespace ax7::ui
