#pragma once
// Where a person reaches undo/redo, the A/B slots and the history: four buttons on the ribbon's
// tab row, their keys (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y; F9 switches A/B; Ctrl+H opens the
// history), and a status bar pane saying what the next undo does and which slot is live. It
// also tells the journal while a mouse button is held, so a drag is one step.
#include <QObject>
#include <functional>

class QAction;
class QLabel;
class QStatusBar;
class QToolButton;

namespace ax7::ui {

class AppState;
class Ribbon;
class SettingsHistory;

class HistoryControls : public QObject {
  Q_OBJECT
 public:
  HistoryControls(AppState& state, SettingsHistory& history, Ribbon& ribbon, QStatusBar& bar,
                  QWidget* window, std::function<void()> openHistory);
  ~HistoryControls() override;

  // The ribbon's undo, redo, A/B and history buttons; false for other ids.
  bool handle(int id);
  // Texts, tool tips and enabled states from the journal, the slots and the language.
  void update();

  QAction* undoAction() const { return undo_; }
  QAction* redoAction() const { return redo_; }
  QAction* switchAction() const { return switch_; }
  QAction* storeAction(int slot) const { return slot == 1 ? storeB_ : storeA_; }
  QAction* historyAction() const { return history_; }
  QLabel* statusPane() const { return pane_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* makeAction(QWidget* window, std::function<void()> run);

  AppState& state_;
  SettingsHistory& model_;
  Ribbon& ribbon_;
  std::function<void()> openHistory_;
  QAction* undo_;
  QAction* redo_;
  QAction* switch_;
  QAction* storeA_;
  QAction* storeB_;
  QAction* history_;
  QToolButton* undoButton_;
  QToolButton* redoButton_;
  QToolButton* abButton_;
  QToolButton* historyButton_;
  QLabel* pane_;
};

}  // namespace ax7::ui
