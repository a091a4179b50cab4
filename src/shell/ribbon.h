#pragma once
// A small ribbon of our own: an application button with its menu, categories shown as tabs,
// panels with a caption under their controls, and a row of buttons on the tab row. Every
// control carries its numeric command id in the property kIdProperty; the ribbon reports
// what the user did by id, and handlers find controls by id. The wheel moves nothing on the
// ribbon: wheel events over any of its controls reach the ribbon itself (an event filter
// installed on it sees them) and go no further. The ribbon has no context menu.
#include <QIcon>
#include <QRect>
#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QMenu;
class QToolButton;
class QAction;

namespace ax7::ui {

inline constexpr const char* kIdProperty = "ax7Id";

class StepSlider;

class Ribbon : public QWidget {
  Q_OBJECT
 public:
  explicit Ribbon(QWidget* parent = nullptr);
  ~Ribbon() override;

  // Building. Categories and panels are numbered in the order they were added.
  int addCategory(const QString& text);
  int addPanel(int category, const QString& text);
  QLabel* addLabel(int category, int panel, int id, const QString& text);
  StepSlider* addSlider(int category, int panel, int id, int width, int minimum, int maximum);
  QCheckBox* addCheckBox(int category, int panel, int id, const QString& text);
  QToolButton* addButton(int category, int panel, int id, const QString& text,
                         const QIcon& icon = {});
  // A button that opens a menu of (id, text) items.
  QToolButton* addMenuButton(int category, int panel, int id, const QString& text,
                             const std::vector<std::pair<int, QString>>& items);
  // `position` -1 appends; 0 puts the button first of the row's buttons.
  QToolButton* addTabRowButton(int id, const QString& text, const QIcon& icon = {},
                               int position = -1);
  // A button of a kind of its own; the ribbon takes it.
  QToolButton* addTabRowButton(int id, QToolButton* button, int position = -1);
  // The application button's menu; items added with addApplicationAction report by id.
  QMenu* applicationMenu() const;
  QAction* addApplicationAction(int id, const QString& text);

  QString categoryText(int category) const;
  void setCategoryText(int category, const QString& text);
  QString panelText(int category, int panel) const;
  void setPanelText(int category, int panel, const QString& text);
  // Where a panel of the current category lies, in ribbon coordinates (for hit tests such as
  // the master controls' wheel rule); empty for an unknown panel.
  QRect panelRect(int category, int panel) const;
  int categoryCount() const;
  int currentCategory() const;
  void setCurrentCategory(int category);

  // Every control (and menu action) with this id, in the order they were added: twins of
  // the two categories share nothing but their handler, so ids are unique per control,
  // except the mode menu items, which both categories share.
  QWidget* control(int id) const;
  QAction* action(int id) const;
  template <typename T>
  T* controlAs(int id) const {
    return qobject_cast<T*>(control(id));
  }

 signals:
  // A button, menu item or check box was used.
  void commandTriggered(int id);
  // A step slider moved (press on the track, drag movement, key, wheel is filtered out).
  void sliderMoved(int id, int position);
  void categoryChanged(int category);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Impl;
  Impl* d_;
};

// The program's ribbon: application menu, the twin categories "Input"/"Output" with their ten
// panels and every element, and the tab-row buttons, in the given language (0 Chinese,
// 1 English).
void BuildAx7Ribbon(Ribbon& ribbon, int language);

}  // namespace ax7::ui
