#include "pages/radio_group.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSignalBlocker>

namespace ax7::ui {

RadioGroup::RadioGroup(QObject* parent) : QObject(parent), group_(new QButtonGroup(this)) {
  connect(group_, &QButtonGroup::idClicked, this, &RadioGroup::idClicked);
}

void RadioGroup::addButton(QAbstractButton* button, int id) {
  button->setCheckable(true);
  group_->addButton(button, id);
}

void RadioGroup::setCheckedId(int id) {
  group_->setExclusive(false);
  for (QAbstractButton* b : group_->buttons()) {
    const QSignalBlocker block(b);
    b->setChecked(group_->id(b) == id);
  }
  group_->setExclusive(true);
}

int RadioGroup::checkedId() const {
  return group_->checkedId();
}

QAbstractButton* RadioGroup::button(int id) const {
  return group_->button(id);
}

}  // namespace ax7::ui
