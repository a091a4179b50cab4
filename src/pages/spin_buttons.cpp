#include "pages/spin_buttons.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ax7::ui {

SpinButtons::SpinButtons(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* b : {up_, down_}) {
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(16, 11);
    b->setAutoRaise(false);
    layout->addWidget(b);
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
  setFixedWidth(16);
}

void SpinButtons::setRange(int minimum, int maximum) {
  minimum_ = std::min(minimum, maximum);
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
}

void SpinButtons::setPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

void SpinButtons::setBuddy(QLineEdit* edit) {
  if (buddy_) buddy_->removeEventFilter(this);
  buddy_ = edit;
  if (buddy_) buddy_->installEventFilter(this);
}

void SpinButtons::step(int delta) {
  if (!isEnabled() || delta == 0) return;
  emit stepped(delta > 0 ? 1 : -1);
}

bool SpinButtons::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace ax7::ui
