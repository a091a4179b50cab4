#pragma once
// Mode files on the computer: load a file into the box, save the box's settings to a file,
// open a recent file or a file named on the command line.
#include <QObject>
#include <QString>

class QWidget;

namespace ax7::ui {

class AppState;
class InfoBoxHost;
class SettingsHistory;
class RecentFiles;
class SyncDialogHost;

inline constexpr const char* kModeFileFilter = "Mode Files (*.px44t)";

class FileCommands : public QObject {
  Q_OBJECT
 public:
  FileCommands(AppState& state, QWidget* window, InfoBoxHost& info, SyncDialogHost& sync,
               RecentFiles& recent);

  // Load and save file commands (ribbon buttons of both categories and application menu);
  // false for other ids.
  bool handle(int id);
  // Snapshots before replacing the settings (and, for a file load, an undoable step).
  void setHistory(SettingsHistory* history) { history_ = history; }
  void loadFile();
  void saveFile();
  // A recent-file entry or a file named on the command line. False when nothing was opened
  // (missing file or another type).
  bool openDocument(const QString& path);
  // Stores the settings into the box's current mode, then writes the file; reports a failed
  // write. True when the file was written.
  bool saveSettingsTo(const QString& path);

 private:
  // Loads the file into memory and, when that worked, writes everything to the box behind
  // the progress window. Reports a file that cannot be loaded.
  bool loadAndSynchronize(const QString& path);

  AppState& state_;
  QWidget* window_;
  InfoBoxHost& info_;
  SyncDialogHost& sync_;
  SettingsHistory* history_ = nullptr;
  RecentFiles& recent_;
};

}  // namespace ax7::ui
