#pragma once
// The box's four stored modes (load and save menus of the ribbon) and the machine reset. All
// of them need an open box and do nothing without one.
#include <QObject>

class QWidget;

namespace ax7::ui {

class AppState;
class InfoBoxHost;
class SettingsHistory;
class Ribbon;
class SyncDialogHost;

class ModeCommands : public QObject {
  Q_OBJECT
 public:
  ModeCommands(AppState& state, QWidget* window, InfoBoxHost& info, SyncDialogHost& sync);

  // Load and save menu items M1..M4 and the reset button; false for other ids.
  bool handle(int id);
  // Snapshots before replacing the settings (and, for a file load, an undoable step).
  void setHistory(SettingsHistory* history) { history_ = history; }
  void loadMode(int mode);
  void saveMode(int mode);
  void machineReset();
  // Menu items M1..M4 of both menus carry a check mark on the box's current mode.
  void updateChecks(Ribbon& ribbon);

 private:
  AppState& state_;
  QWidget* window_;
  InfoBoxHost& info_;
  SyncDialogHost& sync_;
  SettingsHistory* history_ = nullptr;
};

}  // namespace ax7::ui
