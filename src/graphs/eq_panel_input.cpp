// Pointer, wheel, key and menu input of the EQ graph.
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "graphs/eq_panel.h"
#include "graphs/eq_panel_labels.h"

namespace ax7::ui {
namespace {

constexpr double kLeftPressReach = 10;  // pixels either way
constexpr double kHoverReach = 16;
constexpr double kRightPressReach = 16;
constexpr double kGainStep = 0.1;  // dB per wheel notch or arrow key
constexpr double kQKeyStep = 0.01;

// Q per pixel of right drag: shelves and second-order passes are finer.
double qDragPixels(int type) {
  return type >= 2 && type <= 5 ? 80.0 : 12.0;
}

}  // namespace

QPointF CEqPanel::hitPoint(const QPointF& pos) const {
  return pos - QPointF(kPlotLeft, kHitOriginY);
}

QPointF CEqPanel::markerRelative(int i) const {
  return markerCentre(i) - plotRect().topLeft();
}

int CEqPanel::hitTest(const QPointF& pos, Hit kind) const {
  const QPointF p = hitPoint(pos);
  const double reach = kind == Hit::kLeftPress ? kLeftPressReach
                       : kind == Hit::kHover   ? kHoverReach
                                               : kRightPressReach;
  int found = -1;
  for (int i = 0; i < markerCount(); ++i) {
    const QPointF d = markerRelative(i) - p;
    if (std::fabs(d.x()) >= reach || std::fabs(d.y()) >= reach) continue;
    // A right press may pick a band of type 0 (its menu can turn it on again).
    if (kind != Hit::kRightPress && model_->band(i).type == 0) continue;
    found = i;
    // Presses take the first band in reach, hover the last (the one drawn on top).
    if (kind != Hit::kHover) break;
  }
  return found;
}

void CEqPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    leftPress(event->position());
  } else if (event->button() == Qt::RightButton) {
    rightPress(event->position());
  }
  event->accept();
}

void CEqPanel::mouseMoveEvent(QMouseEvent* event) {
  if (leftDrag_) {
    if (selected_ >= 0) leftDrag(event->position());
  } else if (rightPress_) {
    if (selected_ >= 0) rightDrag(event->position());
  } else if (event->buttons() == Qt::NoButton) {
    const int h = hitTest(event->position(), Hit::kHover);
    if (h != hovered_) {
      hovered_ = h;
      update();
    }
  }
}

void CEqPanel::mouseReleaseEvent(QMouseEvent* event) {
  // Only a release that ends a press the panel accepted counts; a release after an ignored
  // press (input disabled, or the other button busy) must not report anything.
  if (event->button() == Qt::LeftButton && leftDrag_) {
    leftRelease();
  } else if (event->button() == Qt::RightButton && rightPress_) {
    rightRelease(event->globalPosition());
  }
}

void CEqPanel::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (hovered_ >= 0 && !leftDrag_ && !rightPress_) {
    hovered_ = -1;
    update();
  }
}

void CEqPanel::leftPress(const QPointF& pos) {
  if (inputDisabled_ || rightPress_) return;
  setFocus(Qt::MouseFocusReason);
  leftDrag_ = true;
  selected_ = hitTest(pos, Hit::kLeftPress);
  if (selected_ >= 0) {
    yOffset_ = std::trunc(hitPoint(pos).y() - markerRelative(selected_).y());
    notify(selected_);
  }
  update();
}

void CEqPanel::leftDrag(const QPointF& pos) {
  const dsp::EqBand& b = model_->band(selected_);
  const QRectF r = plotRect();
  if (r.width() <= 0 || r.height() <= 0) return;
  const QPointF p = hitPoint(pos);
  double hz = dsp::kGraphMinHz *
              std::pow(10.0, std::log10(dsp::kGraphMaxHz / dsp::kGraphMinHz) * p.x() / r.width());
  double gain = 0;
  if (HasAdjustableGain(b.type)) {
    gain = 15.0 - ((p.y() - yOffset_) / r.height()) * 30.0;
    gain = std::round(gain * 10.0) / 10.0;  // half away from zero
  }
  model_->dragBand(selected_, hz, gain);
  notify(selected_);
}

void CEqPanel::leftRelease() {
  leftDrag_ = false;
  update();  // the curves at full resolution again
  if (selected_ >= 0) {
    notify(selected_);
  } else {
    emit EqEmptyRelease();
  }
}

void CEqPanel::rightPress(const QPointF& pos) {
  if (inputDisabled_ || leftDrag_) return;
  rightPress_ = true;
  rightMoved_ = false;
  selected_ = hitTest(pos, Hit::kRightPress);
  if (selected_ >= 0) {
    storedPx_ = hitPoint(pos).x();
    notify(selected_);
  }
  update();
}

void CEqPanel::rightDrag(const QPointF& pos) {
  const dsp::EqBand& b = model_->band(selected_);
  const QPointF p = hitPoint(pos);
  const QPointF d = p - markerRelative(selected_);
  if (std::fabs(d.x()) > 1 && std::fabs(d.y()) > 1) rightMoved_ = true;
  const double q = b.q + (p.x() - storedPx_) / qDragPixels(b.type);
  storedPx_ = p.x();
  model_->dragQ(selected_, q);
  notify(selected_);
}

void CEqPanel::rightRelease(const QPointF& globalPos) {
  const QPoint at = globalPos.toPoint();
  if (selected_ < 0) {
    runMenu(false, at);
  } else {
    notify(selected_);
    if (!rightMoved_) runMenu(true, at);
  }
  rightPress_ = false;
  update();  // the curves at full resolution again
}

void CEqPanel::runMenu(bool typeMenu, const QPoint& globalPos) {
  QMenu menu(this);
  if (typeMenu) {
    for (int type = 1; type <= 5; ++type) {
      menu.addAction(eqpanel::typeMenuText(type, language_))->setData(kCmdFirstType + type - 1);
    }
  } else {
    menu.addAction(eqpanel::copyPasteMenuText(0, language_))->setData(kCmdCopy);
    menu.addAction(eqpanel::copyPasteMenuText(1, language_))->setData(kCmdPaste);
  }
  if (QAction* chosen = menuRunner_ ? menuRunner_(menu, globalPos) : nullptr) {
    menuCommand(chosen->data().toInt());
  }
}

void CEqPanel::menuCommand(int command) {
  if (command >= kCmdFirstType && command < kCmdFirstType + 5) {
    // The band may have been deselected while the menu was open (the page reloaded).
    if (selected_ < 0) return;
    model_->chooseBandType(selected_, command - (kCmdFirstType - 1));
    notify(selected_);
  } else if (command >= kCmdCopy && command <= kCmdCopy + 2) {
    emit EqCopyPaste(command - kCmdCopy, eqSet());
  }
}

void CEqPanel::wheelEvent(QWheelEvent* event) {
  if (selected_ < 0) {
    event->accept();  // consumed: the page must not scroll under an idle graph
    return;
  }
  if (!HasAdjustableGain(model_->band(selected_).type)) {
    event->ignore();
    return;
  }
  event->accept();
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  nudge(selected_, 0, float(delta > 0 ? kGainStep : -kGainStep), 0);
}

void CEqPanel::keyPressEvent(QKeyEvent* event) {
  // Tab and Backtab still move the focus, so the graph never traps a keyboard user.
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();  // every other key-down is the graph's
  if (selected_ < 0) return;
  const bool gain = HasAdjustableGain(model_->band(selected_).type);
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const float gainStep = float(kGainStep);
  const float qStep = float(kQKeyStep);
  switch (event->key()) {
    case Qt::Key_Left:
      nudge(selected_, -1.0f, 0, 0);
      break;
    case Qt::Key_Right:
      nudge(selected_, 1.0f, 0, 0);
      break;
    case Qt::Key_Up:
      nudge(selected_, 0, gain ? gainStep : 0, 0);
      break;
    case Qt::Key_Down:
      nudge(selected_, 0, gain ? -gainStep : 0, 0);
      break;
    case Qt::Key_Plus:
      if (keypad) nudge(selected_, 0, 0, qStep);
      break;
    case Qt::Key_Minus:
      if (keypad) nudge(selected_, 0, 0, -qStep);
      break;
    default:
      break;
  }
}

void CEqPanel::nudge(int i, float hzStep, float gainStep, float qStep) {
  model_->nudgeBand(i, hzStep, gainStep, qStep);
  notify(i);
}

}  // namespace ax7::ui
