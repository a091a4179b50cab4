#include "shell/language_button.h"

#include <QFontInfo>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace ax7::ui {

namespace {

// U+2003 is one em wide, as the Han glyph is: the line lays out exactly as "中/EN" does.
const QString& StandIn() {
  static const QString text = QStringLiteral("\u2003/EN");
  return text;
}

// 中 in thousandths of an em, y downwards from the baseline: the box with the stroke through
// it as one outline, and the two openings of the box.
constexpr int kOutline[][2] = {{895, -660}, {895, -180}, {816, -180}, {816, -242}, {535, -242},
                               {535, 98},   {457, 98},   {457, -242}, {188, -242}, {188, -172},
                               {109, -172}, {109, -660}, {457, -660}, {457, -812}, {535, -812},
                               {535, -660}};
constexpr int kOpenings[2][4] = {{188, -586, 457, -316}, {535, -586, 816, -316}};

QPainterPath HanPath(qreal em) {
  const qreal k = em / 1000.0;
  const auto at = [k](int x, int y) { return QPointF(x * k, y * k); };
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.moveTo(at(kOutline[0][0], kOutline[0][1]));
  for (const auto& point : kOutline) path.lineTo(at(point[0], point[1]));
  path.closeSubpath();
  for (const auto& r : kOpenings) path.addRect(QRectF(at(r[0], r[1]), at(r[2], r[3])));
  return path;
}

}  // namespace

LanguageButton::LanguageButton(bool outlinedHan, QWidget* parent)
    : QToolButton(parent), outlinedHan_(outlinedHan) {
  setText(QStringLiteral("中/EN"));
  setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void LanguageButton::setOutlinedHan(bool on) {
  if (on == outlinedHan_) return;
  outlinedHan_ = on;
  updateGeometry();
  update();
}

QSize LanguageButton::sizeHint() const {
  if (!outlinedHan_) return QToolButton::sizeHint();
  // As QToolButton measures a text-only face, with the stand-in text.
  QStyleOptionToolButton option;
  initStyleOption(&option);
  option.text = StandIn();
  const QFontMetrics metrics = fontMetrics();
  QSize text = metrics.size(Qt::TextShowMnemonic, StandIn());
  text.rwidth() += metrics.horizontalAdvance(QLatin1Char(' ')) * 2;
  option.rect.setSize(text);
  return style()->sizeFromContents(QStyle::CT_ToolButton, &option, text, this);
}

void LanguageButton::paintEvent(QPaintEvent* event) {
  if (!outlinedHan_) {
    QToolButton::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionToolButton option;
  initStyleOption(&option);
  option.text = StandIn();
  painter.drawComplexControl(QStyle::CC_ToolButton, option);

  // The label is centred in the button.
  const QFontMetrics metrics = fontMetrics();
  qreal x = (width() - QFontMetricsF(font()).horizontalAdvance(StandIn())) / 2;
  int baseline = (height() - metrics.height()) / 2 + metrics.ascent();
  if (option.state & (QStyle::State_Sunken | QStyle::State_On)) {
    x += style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this);
    baseline += style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this);
  }
  const QFontInfo info(font());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(option.palette.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                        QPalette::ButtonText));
  painter.translate(x, baseline);
  painter.drawPath(HanPath(info.pixelSize()));
}

}  // namespace ax7::ui
