#include "pages/pictures.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyleOptionButton>
#include <algorithm>

namespace ax7::ui::pictures {

namespace {

// Channel colours shared with the delay graph and the room picture.
constexpr QRgb kChannelColours[8] = {0xE3CF57, 0xB0E0E6, 0xFF9912, 0x4169E1,
                                     0xEB8E55, 0x6A5ACD, 0x41E0D0, 0x7FFF00};

QFont pictureFont(int pixelSize, bool bold = true) {
  QFont f;
  f.setFamilies({"Arial", "Nimbus Sans", "Liberation Sans", "WenQuanYi Micro Hei",
                 "DejaVu Sans"});
  f.setPixelSize(std::max(pixelSize, 6));
  f.setBold(bold);
  return f;
}

// A dark plate with a coloured edge, the common look of the title pictures.
void plate(QPainter& p, const QRectF& r, const QColor& accent) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(0x3A, 0x3F, 0x4A));
  g.setColorAt(1, QColor(0x15, 0x18, 0x1E));
  p.setPen(QPen(accent, 2));
  p.setBrush(g);
  const qreal radius = std::min(r.height(), r.width()) / 5.0;
  p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
}

void fittedText(QPainter& p, const QRectF& r, const QString& text, const QColor& colour,
                qreal share = 0.6) {
  QFont f = pictureFont(int(r.height() * share));
  // Shrink until the text fits the width.
  while (f.pixelSize() > 6 && QFontMetrics(f).horizontalAdvance(text) > r.width() * 0.9) {
    f.setPixelSize(f.pixelSize() - 1);
  }
  p.setFont(f);
  p.setPen(colour);
  p.drawText(r, Qt::AlignCenter, text);
}

}  // namespace

void PaintChannel(QPainter& p, const QRect& r, int channel, Language language) {
  const int k = std::clamp(channel, 0, 7);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent = QColor::fromRgb(kChannelColours[k]);
  plate(p, r, accent);
  const QString name = language == Language::English ? QStringLiteral("CH %1").arg(k + 1)
                                                      : QString::fromUtf8("通道%1").arg(k + 1);
  fittedText(p, r, name, accent);
  p.restore();
}

void PaintEffectTitle(QPainter& p, const QRect& r, int mode, Language language) {
  static constexpr TextPair kTitles[] = {
      {"混响均衡 A", "Reverb EQ A"},
      {"混响均衡 B", "Reverb EQ B"},
      {"回声均衡 A", "Echo EQ A"},
      {"回声均衡 B", "Echo EQ B"},
  };
  const int m = std::clamp(mode, 0, 3);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  // Reverb titles in violet, echo titles in teal, so the two are told apart at a glance.
  const QColor accent = m < 2 ? QColor(0xB4, 0x64, 0xFF) : QColor(0x14, 0xB4, 0xFF);
  plate(p, r, accent);
  fittedText(p, r, Pick(language, kTitles[m]), QColor(0xF0, 0xF0, 0xF0));
  p.restore();
}

void PaintDelayMarker(QPainter& p, const QRect& r, const QColor& colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF f(r);
  const qreal w = f.width();
  const qreal head = std::min(w, f.height() * 0.7);
  QPainterPath pin;
  pin.addEllipse(QRectF(f.center().x() - head / 2, f.top(), head, head));
  QPainterPath tip;
  tip.moveTo(f.center().x() - head * 0.35, f.top() + head * 0.7);
  tip.lineTo(f.center().x(), f.bottom());
  tip.lineTo(f.center().x() + head * 0.35, f.top() + head * 0.7);
  tip.closeSubpath();
  p.setPen(QPen(colour.darker(160), 1));
  p.setBrush(colour);
  p.drawPath(pin.united(tip));
  p.setBrush(Qt::white);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(f.center().x(), f.top() + head / 2), head * 0.18, head * 0.18);
  p.restore();
}

void PaintListener(QPainter& p, const QRect& r) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF f(r);
  const qreal s = std::min(f.width(), f.height());
  const QPointF c = f.center();
  // Shoulders, head and two ear cups: a person wearing headphones, seen from the front.
  QRadialGradient body(c + QPointF(0, s * 0.35), s * 0.5);
  body.setColorAt(0, QColor(0x7F, 0xD0, 0xFF));
  body.setColorAt(1, QColor(0x1E, 0x6E, 0xC8));
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawChord(QRectF(c.x() - s * 0.45, c.y() + s * 0.05, s * 0.9, s * 0.8), 0, 180 * 16);
  p.setBrush(QColor(0xFF, 0xD8, 0xA8));
  p.drawEllipse(QPointF(c.x(), c.y() - s * 0.12), s * 0.2, s * 0.22);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), std::max(1.0, s * 0.06)));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(c.x() - s * 0.26, c.y() - s * 0.42, s * 0.52, s * 0.5), 20 * 16, 140 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x30, 0x30, 0x30));
  p.drawRoundedRect(QRectF(c.x() - s * 0.3, c.y() - s * 0.2, s * 0.1, s * 0.2), 2, 2);
  p.drawRoundedRect(QRectF(c.x() + s * 0.2, c.y() - s * 0.2, s * 0.1, s * 0.2), 2, 2);
  p.restore();
}

void PaintSpeaker(QPainter& p, const QRect& r) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF f = QRectF(r).adjusted(1, 1, -1, -1);
  // A cabinet with a tweeter above a woofer.
  QLinearGradient g(f.topLeft(), f.bottomRight());
  g.setColorAt(0, QColor(0x5A, 0x5A, 0x5A));
  g.setColorAt(1, QColor(0x20, 0x20, 0x20));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  p.setBrush(g);
  const qreal cw = f.width() * 0.8;
  const QRectF cab(f.center().x() - cw / 2, f.top(), cw, f.height());
  p.drawRoundedRect(cab, 3, 3);
  const qreal wr = cw * 0.34;
  const QPointF woofer(cab.center().x(), cab.bottom() - wr - cab.height() * 0.08);
  QRadialGradient cone(woofer, wr);
  cone.setColorAt(0, QColor(0xC0, 0xC0, 0xC0));
  cone.setColorAt(0.35, QColor(0x50, 0x50, 0x50));
  cone.setColorAt(1, QColor(0x10, 0x10, 0x10));
  p.setBrush(cone);
  p.drawEllipse(woofer, wr, wr);
  p.setBrush(QColor(0xB0, 0xB0, 0xB0));
  p.drawEllipse(QPointF(cab.center().x(), cab.top() + cab.height() * 0.2), wr * 0.4, wr * 0.4);
  p.restore();
}

const std::array<QRect, 17>& RemoteKeyAreas() {
  // The window's key areas (dialog units, relative to the window) turned into pixels of the
  // remote picture, which starts at x 7 and is 123 x 295 units for 185 x 480 pixels.
  static const std::array<QRect, 17> areas = [] {
    constexpr int du[17][4] = {
        {28, 29, 20, 19},  {58, 29, 20, 19},  {89, 29, 20, 19},  {58, 64, 24, 18},
        {57, 123, 24, 18}, {20, 91, 24, 18},  {93, 92, 24, 18},  {53, 89, 32, 28},
        {28, 156, 24, 17}, {58, 156, 24, 17}, {89, 156, 24, 17}, {89, 191, 20, 14},
        {27, 191, 23, 14}, {89, 222, 20, 14}, {27, 222, 20, 14}, {89, 256, 20, 14},
        {27, 256, 20, 14}};
    std::array<QRect, 17> out{};
    const double sx = 185.0 / 123.0, sy = 480.0 / 295.0;
    for (int i = 0; i < 17; ++i) {
      out[size_t(i)] = QRect(int((du[i][0] - 7) * sx), int(du[i][1] * sy), int(du[i][2] * sx),
                             int(du[i][3] * sy));
    }
    return out;
  }();
  return areas;
}

void PaintRemote(QPainter& p, const QRect& r) {
  static const char* kKeyFaces[17] = {"",     "SRC", "HDMI", "▲", "▼", "◀", "▶", "OK", "MENU",
                                      "MUTE", "EXIT", "+",   "−", "+", "−", "+", "−"};
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(r.topLeft());
  p.scale(r.width() / double(kRemoteSize.width()), r.height() / double(kRemoteSize.height()));
  const QRectF body(8, 4, kRemoteSize.width() - 16, kRemoteSize.height() - 8);
  QLinearGradient g(body.topLeft(), body.topRight());
  g.setColorAt(0, QColor(0x2A, 0x2D, 0x33));
  g.setColorAt(0.5, QColor(0x45, 0x49, 0x52));
  g.setColorAt(1, QColor(0x2A, 0x2D, 0x33));
  p.setPen(QPen(QColor(0x10, 0x10, 0x10), 2));
  p.setBrush(g);
  p.drawRoundedRect(body, 30, 30);
  // The infrared window at the top.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x60, 0x10, 0x18));
  p.drawRoundedRect(QRectF(body.center().x() - 20, 14, 40, 10), 4, 4);
  // The navigation ring behind the arrows and OK.
  p.setBrush(QColor(0x22, 0x24, 0x28));
  p.drawEllipse(QPointF(92, 170), 62, 62);
  // Volume captions between the +/- keys.
  p.setPen(QColor(0xC8, 0xC8, 0xC8));
  p.setFont(pictureFont(11));
  const auto& keys = RemoteKeyAreas();
  for (auto [row, text] : {std::pair{11, "MIC"}, std::pair{13, "EFFECT"}, std::pair{15, "MUSIC"}}) {
    const QRect a = keys[size_t(row)];
    p.drawText(QRect(50, a.top(), 85, a.height()), Qt::AlignCenter, QString::fromLatin1(text));
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    const QRectF k = QRectF(keys[i]).adjusted(1, 1, -1, -1);
    const bool power = i == 0;
    QLinearGradient kg(k.topLeft(), k.bottomLeft());
    kg.setColorAt(0, power ? QColor(0xE0, 0x40, 0x40) : QColor(0x70, 0x75, 0x80));
    kg.setColorAt(1, power ? QColor(0x90, 0x10, 0x10) : QColor(0x38, 0x3B, 0x42));
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(kg);
    if (i == 7) {
      p.drawEllipse(k);
    } else {
      p.drawRoundedRect(k, 5, 5);
    }
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    if (power) {
      // The power symbol, drawn: fonts rarely have it.
      const qreal rr = std::min(k.width(), k.height()) * 0.26;
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(k.center().x() - rr, k.center().y() - rr + 1, 2 * rr, 2 * rr), 120 * 16,
                -240 * 16);
      p.drawLine(QPointF(k.center().x(), k.center().y() - rr - 1), QPointF(k.center().x(), k.center().y()));
      continue;
    }
    p.setFont(pictureFont(i < 3 || (i >= 8 && i <= 10) ? 9 : 12));
    p.drawText(k, Qt::AlignCenter, QString::fromUtf8(kKeyFaces[i]));
  }
  p.restore();
}

void PaintInstructions(QPainter& p, const QRect& r, Language language) {
  static constexpr TextPair kTitle = {"遥控器学习说明", "How to learn a remote"};
  static constexpr TextPair kSteps[] = {
      {"1. 将您的遥控器对准机器的红外接收窗口。",
       "1. Point your remote at the infrared window of the box."},
      {"2. 在左边的遥控器图上点击要学习的按键。",
       "2. Click the key to learn on the remote picture at the left."},
      {"3. 学习窗口打开后，按下您遥控器上对应的按键。",
       "3. When the learning window opens, press the matching key on your remote."},
      {"4. 显示键码后窗口自动关闭；可继续学习其他按键。",
       "4. The code is shown and the window closes; go on with the next key."},
      {"5. 点击“应用参数”把键码写入机器，也可保存成文件。",
       "5. Click \"Apply\" to store the codes in the box, or save them to a file."},
  };
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(r.topLeft());
  p.scale(r.width() / double(kInstructionsSize.width()),
          r.height() / double(kInstructionsSize.height()));
  const QRectF page(0, 0, kInstructionsSize.width(), kInstructionsSize.height());
  p.setPen(QPen(QColor(0x8C, 0xB4, 0xFF), 2));
  p.setBrush(QColor(0xF8, 0xFC, 0xFF));
  p.drawRoundedRect(page.adjusted(2, 2, -2, -2), 12, 12);
  p.setPen(QColor(0x14, 0x5A, 0xFA));
  p.setFont(pictureFont(22));
  p.drawText(QRectF(16, 18, page.width() - 32, 40), Qt::AlignLeft | Qt::AlignVCenter,
             Pick(language, kTitle));
  p.setPen(QColor(0x30, 0x30, 0x30));
  p.setFont(pictureFont(16, false));
  qreal y = 80;
  for (const TextPair& step : kSteps) {
    const QRectF box(20, y, page.width() - 40, 80);
    const QRectF used =
        p.boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Pick(language, step));
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Pick(language, step));
    y += used.height() + 18;
  }
  // A small remote pointing at a box, as a reminder of step 1.
  const QRectF box(page.width() - 150, page.height() - 90, 110, 40);
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  p.setBrush(QColor(0x30, 0x33, 0x3A));
  p.drawRoundedRect(box, 6, 6);
  p.setBrush(QColor(0x60, 0x10, 0x18));
  p.drawRect(QRectF(box.left() + 8, box.center().y() - 4, 10, 8));
  p.setPen(QPen(QColor(0xFF, 0x50, 0x50), 2, Qt::DashLine));
  p.drawLine(QPointF(60, box.center().y()), QPointF(box.left() - 6, box.center().y()));
  p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
  p.setBrush(QColor(0x45, 0x49, 0x52));
  p.drawRoundedRect(QRectF(24, box.center().y() - 10, 36, 20), 6, 6);
  p.restore();
}

void PaintImageButtonFace(QPainter& p, const QRect& r, const QString& text, FaceState state) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QColor top(0x4C, 0x8D, 0xE8), bottom(0x1C, 0x4E, 0xA8);
  if (state == FaceState::Hover) top = top.lighter(115), bottom = bottom.lighter(115);
  if (state == FaceState::Pressed) std::swap(top, bottom);
  if (state == FaceState::Disabled) top = QColor(0xA0, 0xA8, 0xB4), bottom = QColor(0x80, 0x88, 0x94);
  const QRectF f = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(f.topLeft(), f.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.setPen(QPen(QColor(0x10, 0x30, 0x70), 1));
  p.setBrush(g);
  p.drawRoundedRect(f, 4, 4);
  QFont font = pictureFont(12, false);
  font.setFamilies({"SimSun", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "DejaVu Sans"});
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(state == FaceState::Pressed ? r.translated(1, 1) : r, Qt::AlignCenter, text);
  p.restore();
}

QPixmap Render(QSize size, const std::function<void(QPainter&, const QRect&)>& paint) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  paint(p, QRect(QPoint(0, 0), size));
  return pixmap;
}

}  // namespace ax7::ui::pictures

namespace ax7::ui {

ImageButton::ImageButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
  setText(text);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
}

QSize ImageButton::sizeHint() const {
  const QFontMetrics fm(font());
  return {std::max(80, fm.horizontalAdvance(text()) + 24), 26};
}

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  using pictures::FaceState;
  FaceState state = FaceState::Normal;
  if (!isEnabled()) {
    state = FaceState::Disabled;
  } else if (isDown() || isChecked()) {
    state = FaceState::Pressed;
  } else if (hover_) {
    state = FaceState::Hover;
  }
  pictures::PaintImageButtonFace(p, rect(), text(), state);
}

void ImageButton::enterEvent(QEnterEvent* event) {
  hover_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
  hover_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace ax7::ui
