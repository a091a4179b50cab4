#pragma once
// The main window: the ribbon at the top, the page area, the status bar. It is also the main
// view of the device link: it receives the core's messages and routes the ribbon's commands to
// their handlers.
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "pages/page.h"
#include "pages/page_context.h"

namespace ax7 {
class HidBackend;
}

namespace ax7::ui {

class AppState;
class Balloon;
class Connection;
class FileCommands;
class HistoryControls;
class InfoBoxHost;
class KeyFilter;
class LanguageSwitch;
class MasterControls;
class ModeCommands;
class PageHost;
class QtViewNotifier;
class RecentFiles;
class RemoteAccess;
class Ribbon;
class SettingsHistory;
class StatusPanes;
class SyncDialogHost;
class ToolWindows;
class WheelFilter;

// It is also the context of every page and tool window.
class MainWindow : public QMainWindow, public PageContext {
  Q_OBJECT
 public:
  static constexpr int kMinWidth = 1240;
  static constexpr int kMinHeight = 700;

  MainWindow(AppState& state, HidBackend& backend, QtViewNotifier& notifier,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The operations other parts of the program use (the first ones also serve the pages).
  void ShowInfoBox(const QString& text, int milliseconds) override;
  void RunSyncDialog() override;
  void SynchronizeFromBox() override;
  void ShowPage(PageKind kind, int argument);
  void RefreshAllPages();
  void CloseToolWindows();
  void ApplyUiLanguage();

  // One user-interface update cycle: status panes, check marks, microphone labels.
  void updateUi();
  // Another start of the program asked for this window.
  void raiseWindow();
  // Shows the window where it was last closed (size, position, maximised); from then on closing
  // it stores that place. Scripted runs use show() and leave the stored place alone.
  void showAsLastClosed();
  // A mode file named on the command line: opened once the first connection attempt is over.
  void openDocumentAfterConnect(const QString& path);
  // Runs fn once the first connection attempt and that mode file are done with (a script).
  void runAfterStart(std::function<void()> fn) { afterStart_.push_back(std::move(fn)); }

  // Parts, for the program's wiring and for tests.
  AppState& state() { return state_; }
  Ribbon& ribbon() { return *ribbon_; }
  PageHost& pages() { return *pages_; }
  ToolWindows& tools() { return *tools_; }
  InfoBoxHost& info() { return *info_; }
  SyncDialogHost& sync() { return *sync_; }
  Balloon& balloon() { return *balloon_; }
  Connection& connection() { return *connection_; }
  MasterControls& master() { return *master_; }
  ModeCommands& modes() { return *modes_; }
  FileCommands& files() { return *files_; }
  RecentFiles& recent() { return *recent_; }
  StatusPanes& status() { return *status_; }
  LanguageSwitch& language() { return *language_; }
  SettingsHistory& history() { return *history_; }
  HistoryControls& historyControls() { return *historyControls_; }
  RemoteAccess& remote() { return *remote_; }

  // PageContext.
  Core& core() override;
  Prompter& prompter() override;
  Language language() const override;
  EqCopySource& eqCopySource() override;
  LocateSelection& locateSelection() override;
  void setLastOutputChannel(int channel) override;
  int pageStatusPeriodMs() const override;
  void publishKeyLearning(ToolWindow* dialog) override;
  ToolWindow* keyLearning() const override;
  QWidget* dialogOwner() override { return this; }
  bool keepSnapshot(history::SnapshotReason reason) override;

  void handleCommand(int id);
  void handleSlider(int id, int position);
  void handleCategory(int category);
  void openAbout();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void defineToolWindows();
  void routeMessages(QtViewNotifier& notifier);
  // The close request: asks to save changed settings; false keeps the window open.
  bool confirmClose();

  AppState& state_;
  QtViewNotifier& notifier_;
  Ribbon* ribbon_;
  PageHost* pages_;
  ToolWindows* tools_;
  std::unique_ptr<InfoBoxHost> info_;
  std::unique_ptr<SyncDialogHost> sync_;
  Balloon* balloon_;
  RecentFiles* recent_;
  StatusPanes* status_ = nullptr;
  LanguageSwitch* language_;
  MasterControls* master_ = nullptr;
  WheelFilter* wheel_ = nullptr;
  ModeCommands* modes_;
  FileCommands* files_;
  Connection* connection_;
  SettingsHistory* history_ = nullptr;
  HistoryControls* historyControls_ = nullptr;
  RemoteAccess* remote_ = nullptr;
  KeyFilter* keys_;
  QTimer uiTimer_;
  QString pendingDocument_;
  std::vector<std::function<void()>> afterStart_;
  bool closing_ = false;
  bool rememberGeometry_ = false;
};

}  // namespace ax7::ui
