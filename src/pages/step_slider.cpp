#include "pages/step_slider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <algorithm>

namespace ax7::ui {

namespace {
constexpr int kNotch = 120;  // angle delta of one wheel notch
}

StepSlider::StepSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
  setFocusPolicy(Qt::StrongFocus);
}

QRect StepSlider::handleRect() const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

void StepSlider::reportIfChanged(int before) {
  if (value() != before) emit userMoved(value());
}

void StepSlider::step(int steps) {
  const int before = value();
  const qint64 target = qint64(before) + qint64(steps) * singleStep();
  setValue(int(std::clamp<qint64>(target, minimum(), maximum())));
  reportIfChanged(before);
}

void StepSlider::mousePressEvent(QMouseEvent* event) {
  // Only the left button moves the slider; the styles' middle-button jump would change the
  // value without a report.
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  const QRect handle = handleRect();
  const QPoint pos = event->position().toPoint();
  const bool horizontal = orientation() == Qt::Horizontal;
  // Anywhere across the thumb's span counts as the thumb, also a little above or below it.
  const bool onThumb = horizontal ? pos.x() >= handle.left() && pos.x() <= handle.right()
                                  : pos.y() >= handle.top() && pos.y() <= handle.bottom();
  if (onThumb) {
    const int before = value();
    if (handle.contains(pos)) {
      QSlider::mousePressEvent(event);
    } else {
      // Beside the thumb across the track: press the thumb itself, or the base class would
      // take it for a page step.
      const QPoint onHandle =
          horizontal ? QPoint(pos.x(), handle.center().y()) : QPoint(handle.center().x(), pos.y());
      QMouseEvent press(event->type(), onHandle, event->scenePosition(), event->globalPosition(),
                        event->button(), event->buttons(), event->modifiers(),
                        event->pointingDevice());
      QSlider::mousePressEvent(&press);
    }
    dragging_ = isSliderDown();
    event->accept();
    reportIfChanged(before);
    return;
  }
  const bool pastThumb = horizontal ? pos.x() > handle.right() : pos.y() > handle.bottom();
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  // upsideDown: the minimum is at the right or bottom end (a vertical slider's usual case).
  const int direction = (pastThumb != opt.upsideDown) ? 1 : -1;
  event->accept();
  step(direction);
}

void StepSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    event->ignore();
    return;
  }
  const int before = value();
  QSlider::mouseMoveEvent(event);
  reportIfChanged(before);
}

void StepSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) {
    event->ignore();
    return;
  }
  const int before = value();
  QSlider::mouseReleaseEvent(event);
  dragging_ = false;
  reportIfChanged(before);
}

void StepSlider::keyPressEvent(QKeyEvent* event) {
  const int before = value();
  QSlider::keyPressEvent(event);
  reportIfChanged(before);
}

void StepSlider::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  wheelRemainder_ += delta.y() != 0 ? delta.y() : delta.x();
  const int notches = wheelRemainder_ / kNotch;
  wheelRemainder_ -= notches * kNotch;
  event->accept();
  if (notches != 0) step(notches);
}

}  // namespace ax7::ui
