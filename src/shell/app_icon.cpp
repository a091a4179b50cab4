#include "shell/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

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

}  // namespace

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(paintIcon(size));
  return icon;
}

}  // namespace ax7::ui
