#include "shell/ribbon_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ax7::ui {

namespace {

// Drawn on a 32-unit grid, at two pixel sizes so small and large buttons both stay sharp.
void draw(QPainter& p, RibbonIcon which) {
  p.setRenderHint(QPainter::Antialiasing);
  switch (which) {
    case RibbonIcon::OpenFile: {
      p.setPen(QPen(QColor(0x9c, 0x6b, 0x1e), 1.2));
      p.setBrush(QColor(0xe8, 0xb0, 0x4a));
      QPainterPath back;
      back.moveTo(3, 8);
      back.lineTo(12, 8);
      back.lineTo(15, 11);
      back.lineTo(27, 11);
      back.lineTo(27, 26);
      back.lineTo(3, 26);
      back.closeSubpath();
      p.drawPath(back);
      p.setBrush(QColor(0xf6, 0xcd, 0x6e));
      p.drawPolygon(QPolygonF({{7, 15}, {30, 15}, {26, 26}, {3, 26}}));
      break;
    }
    case RibbonIcon::SaveFile:
      p.setPen(QPen(QColor(0x1f, 0x3f, 0x7a), 1.2));
      p.setBrush(QColor(0x2f, 0x5f, 0xb3));
      p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
      p.setBrush(QColor(0xf2, 0xf2, 0xf2));
      p.drawRect(QRectF(9, 4.5, 14, 9));
      p.setBrush(QColor(0x1f, 0x3f, 0x7a));
      p.drawRect(QRectF(18, 6, 3, 6));
      p.setBrush(QColor(0xdd, 0xe6, 0xf5));
      p.drawRect(QRectF(8, 17, 16, 10));
      break;
    case RibbonIcon::Exit:
      p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 3.0, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(9, 9), QPointF(23, 23));
      p.drawLine(QPointF(23, 9), QPointF(9, 23));
      break;
    case RibbonIcon::About: {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x2b, 0x57, 0x9a));
      p.drawEllipse(QRectF(3, 3, 26, 26));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(14, 8, 4, 4));
      p.drawRoundedRect(QRectF(14, 14, 4, 11), 1.5, 1.5);
      break;
    }
  }
}

}  // namespace

QIcon PaintedIcon(RibbonIcon which) {
  QIcon icon;
  for (int size : {16, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(size / 32.0, size / 32.0);
    draw(painter, which);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace ax7::ui
