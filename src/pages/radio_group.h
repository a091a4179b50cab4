#pragma once
// Radio buttons that can show none checked: a page shows "none" when memory holds a value
// that no button stands for. An exclusive QButtonGroup cannot be cleared, so the group drops
// exclusivity while it sets the check marks. Setting from code reports nothing; a click by
// the user reports the button's id.
#include <QObject>
#include <vector>

class QAbstractButton;
class QButtonGroup;

namespace ax7::ui {

class RadioGroup : public QObject {
  Q_OBJECT
 public:
  explicit RadioGroup(QObject* parent = nullptr);

  void addButton(QAbstractButton* button, int id);
  // Checks the button with `id`; any id without a button (-1) shows none.
  void setCheckedId(int id);
  // The checked button's id, or -1.
  int checkedId() const;
  QAbstractButton* button(int id) const;

 signals:
  void idClicked(int id);

 private:
  QButtonGroup* group_;
};

}  // namespace ax7::ui
