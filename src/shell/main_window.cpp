#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "params/mode_file.h"
#include "zwave/zwave_relay.h"
#include "shell/about_dialog.h"
#include "shell/app_icon.h"
#include "shell/app_state.h"
#include "shell/balloon.h"
#include "shell/connection.h"
#include "shell/file_commands.h"
#include "shell/history_controls.h"
#include "shell/history_window.h"
#include "shell/info_box.h"
#include "shell/key_filter.h"
#include "shell/language_switch.h"
#include "shell/master_controls.h"
#include "shell/mic_status_labels.h"
#include "shell/mode_commands.h"
#include "shell/page_host.h"
#include "pages/page_factory.h"
#include "pages/prompter.h"
#include "shell/qt_view_notifier.h"
#include "shell/recent_files.h"
#include "shell/remote_access.h"
#include "shell/remote_access_window.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/status_panes.h"
#include "shell/settings_history.h"
#include "shell/start_language.h"
#include "shell/sync_dialog.h"
#include "shell/tool_windows.h"
#include "shell/wheel_filter.h"
#include "shell/window_geometry.h"

namespace ax7::ui {

namespace {
constexpr int kPlugResetNoticeMs = 2000;
constexpr int kHistoryNoticeMs = 1500;
}  // namespace

MainWindow::MainWindow(AppState& state, HidBackend& backend, QtViewNotifier& notifier,
                       QWidget* parent)
    : QMainWindow(parent), state_(state), notifier_(notifier) {
  setObjectName("mainWindow");
  setWindowTitle(QStringLiteral("AX7 v1.2"));
  setWindowIcon(ApplicationIcon());
  setMinimumSize(kMinWidth, kMinHeight);

  state_.setLanguage(StartLanguage(state_.settings, state_.languageForRun, state_.localeLanguage));

  Core& core = state_.core;
  ribbon_ = new Ribbon(this);
  pages_ = new PageHost(this);
  setCentralWidget(pages_);
  tools_ = new ToolWindows(this);
  info_ = std::make_unique<InfoBoxHost>(state_, this);
  sync_ = std::make_unique<SyncDialogHost>(state_, this, [&core] {
    return std::pair{core.sync.progressDone(), core.sync.progressTotal()};
  });
  balloon_ = new Balloon(this, windowIcon());
  recent_ = new RecentFiles(state_.settings, this);
  language_ = new LanguageSwitch(state_, *ribbon_, *pages_, *tools_, this);
  history_ = new SettingsHistory(state_, this, state_.snapshotDir, [this] { RefreshAllPages(); });
  history_->notice = [this](const QString& text) { ShowInfoBox(text, kHistoryNoticeMs); };
  remote_ = new RemoteAccess(
      state_, *history_, [this] { RefreshAllPages(); },
      [this](int mode) {
        // A phone recalled the mode: the box is read again at once; the progress window
        // follows once the server's request has been answered.
        state_.core.sync.LoadBoxMode(mode);
        QTimer::singleShot(0, this, [this] { sync_->RunSyncDialog(); });
      },
      this);
  remote_->serialOf = [&backend](const std::string& path) { return SerialAt(backend, path); };
  defineToolWindows();
  modes_ = new ModeCommands(state_, this, *info_, *sync_);
  modes_->setHistory(history_);
  files_ = new FileCommands(state_, this, *info_, *sync_, *recent_);
  files_->setHistory(history_);
  connection_ = new Connection(state_, backend, this, *sync_, *balloon_, *tools_);
  connection_->setRefreshAll([this] { RefreshAllPages(); });
  connection_->setAfterFirstAttempt([this] {
    if (!pendingDocument_.isEmpty()) {
      const QString path = std::exchange(pendingDocument_, QString());
      files_->openDocument(path);
    }
    for (auto& fn : std::exchange(afterStart_, {})) fn();
  });
  routeMessages(notifier);

  // The view's creation: the texts, the first page, then the first connect attempt. The
  // language pass comes first, while the ribbon is empty and no page exists: the page writes
  // its own texts when it is made, and a second pass over it would fill it from memory twice.
  pages_->setFallbackCreator([this](PageKind kind, int argument, QWidget* parent) -> Page* {
    return CreatePage(*this, kind, argument, parent);
  });
  ApplyUiLanguage();
  ShowPage(PageKind::Music, 0);
  connection_->start();

  state_.settings.setValue(kKeyApplicationLook, kApplicationLook);
  BuildAx7Ribbon(*ribbon_, state_.g_nLanguage);
  setMenuWidget(ribbon_);
  master_ = new MasterControls(state_, *ribbon_, *info_, this);
  wheel_ = new WheelFilter(*ribbon_, *master_, this);
  connect(ribbon_, &Ribbon::commandTriggered, this, &MainWindow::handleCommand);
  connect(ribbon_, &Ribbon::sliderMoved, this, &MainWindow::handleSlider);
  connect(ribbon_, &Ribbon::categoryChanged, this, &MainWindow::handleCategory);
  if (auto* menu = ribbon_->applicationMenu()->findChild<QMenu*>(
          QString::fromLatin1(kRecentFilesMenuName))) {
    recent_->attachMenu(menu);
  }
  // Queued: the list may change (a missing file is dropped) while its menu item still runs.
  connect(
      recent_, &RecentFiles::openRequested, this,
      [this](const QString& path) { files_->openDocument(path); }, Qt::QueuedConnection);
  for (const auto& [id, keys] :
       {std::pair{ID_FILE_OPEN, QKeySequence::Open}, std::pair{ID_FILE_SAVE, QKeySequence::Save}}) {
    if (QAction* action = ribbon_->action(id)) {
      action->setShortcut(keys);
      action->setShortcutContext(Qt::WindowShortcut);
      addAction(action);
    }
  }

  status_ = new StatusPanes(state_, *statusBar(), [this] { return pages_->currentPage(); });
  status_->setBeforeEqReset([this] { return keepSnapshot(history::SnapshotReason::EqReset); });
  // EQ bypass and EQ reset follow the page at once, not on the next update cycle.
  connect(pages_, &PageHost::pageChanged, status_, [this] { status_->update(); });
  historyControls_ = new HistoryControls(state_, *history_, *ribbon_, *statusBar(), this,
                                         [this] { tools_->open(kHistoryWindow); });
  keys_ = new KeyFilter(
      state_, [this] { tools_->open(kMachineSettingsWindow); }, this);
  qApp->installEventFilter(keys_);

  uiTimer_.setInterval(state_.timings.uiUpdateMs);
  connect(&uiTimer_, &QTimer::timeout, this, &MainWindow::updateUi);
  if (state_.timings.startTimers) uiTimer_.start();
  updateUi();
  remote_->startIfRemembered();
}

MainWindow::~MainWindow() {
  // The server's thread reads the core and the window's parts: it ends before they go.
  remote_->stop();
  qApp->removeEventFilter(keys_);
  notifier_.setHandlers({});
}

void MainWindow::routeMessages(QtViewNotifier& notifier) {
  QtViewNotifier::Handlers h;
  h.posted = [this](int message, intptr_t wParam, intptr_t) {
    // 3024 (a Z-Wave frame was handled) needs nothing from the view.
    if (message == kMsgSyncFinished) {
      connection_->syncFinished(int(wParam));
      // Memory now holds what the box holds: undo before this point asks first.
      if (wParam == 0) history_->barrier();
    }
  };
  h.sent = [this](int message, intptr_t wParam, intptr_t lParam) -> intptr_t {
    // The key-learning dialog runs modally and is published while it runs.
    if (message == kMsgKeyLearned) tools_->deliverLearnedCode(int(wParam));
    // 3025 (plug reset finished): the user learns how it ended; answering lets the worker end.
    if (message == kMsgPlugResetDone) {
      ShowInfoBox(lParam == zwave::kResetDone
                      ? state_.text("插座数据已清空", "Plug data cleared")
                  : lParam == zwave::kResetBoxGone
                      ? state_.text("插座数据未能清空：设备已断开",
                                    "Plug data not cleared: the device was disconnected")
                      : state_.text("插座数据未能清空：Z-Wave 模块没有应答",
                                    "Plug data not cleared: the Z-Wave module did not answer"),
                  kPlugResetNoticeMs);
    }
    return 0;
  };
  h.error = [this](const QString& text, const QString& caption) {
    state_.prompter.showError(this, text, caption);
  };
  notifier.setHandlers(std::move(h));
}

void MainWindow::defineToolWindows() {
  for (const ToolWindowFactoryEntry& entry : ToolWindowFactories()) {
    const ToolWindowOptions& o = entry.options;
    ToolWindows::Spec spec;
    spec.create = [this, create = entry.create, o](QWidget* owner) -> ToolWindow* {
      ToolWindow* w = create(*this, owner);
      if (w && o.refreshRibbonWhenGone) {
        // Queued, because the window also goes while its own handlers or CloseToolWindows are
        // still running.
        connect(
            w, &QObject::destroyed, this,
            [this] {
              if (master_) master_->RefreshRibbonValues();
            },
            Qt::QueuedConnection);
      }
      return w;
    };
    spec.centre = o.centre;
    spec.textsOnOpen = o.textsOnOpen;
    spec.refreshOnOpen = o.refreshOnOpen;
    spec.refreshWithPages = o.refreshWithPages;
    spec.hideOnClose = o.hideOnClose;
    if (o.available) spec.condition = [this, available = o.available] { return available(*this); };
    tools_->define(entry.dialogId, std::move(spec));
  }
  ToolWindows::Spec history;
  history.create = [this](QWidget* owner) -> ToolWindow* {
    return new HistoryWindow(*this, *history_, owner);
  };
  history.refreshOnOpen = true;
  history.refreshWithPages = true;
  tools_->define(kHistoryWindow, std::move(history));
  ToolWindows::Spec remote;
  remote.create = [this](QWidget* owner) -> ToolWindow* {
    return new RemoteAccessWindow(*this, *remote_, owner);
  };
  tools_->define(kRemoteAccessWindow, std::move(remote));
}

bool MainWindow::keepSnapshot(history::SnapshotReason reason) {
  return history_->snapshotBefore(reason);
}

void MainWindow::ShowInfoBox(const QString& text, int milliseconds) {
  info_->ShowInfoBox(text, milliseconds);
}

void MainWindow::RunSyncDialog() {
  sync_->RunSyncDialog();
}

void MainWindow::SynchronizeFromBox() {
  state_.core.sync.startSynchronizeFromBox();
  sync_->RunSyncDialog();
}

Core& MainWindow::core() {
  return state_.core;
}

Prompter& MainWindow::prompter() {
  return state_.prompter;
}

Language MainWindow::language() const {
  return state_.language();
}

EqCopySource& MainWindow::eqCopySource() {
  return state_.eqCopy;
}

LocateSelection& MainWindow::locateSelection() {
  return state_.locate;
}

void MainWindow::setLastOutputChannel(int channel) {
  if (channel >= 0 && channel < 8) state_.outputChannel = channel;
}

int MainWindow::pageStatusPeriodMs() const {
  return state_.timings.startTimers ? state_.timings.pageStatusMs : 0;
}

void MainWindow::publishKeyLearning(ToolWindow* dialog) {
  tools_->publishKeyLearning(dialog);
}

ToolWindow* MainWindow::keyLearning() const {
  return tools_->keyLearning();
}

void MainWindow::ShowPage(PageKind kind, int argument) {
  pages_->ShowPage(kind, argument);
}

void MainWindow::CloseToolWindows() {
  tools_->CloseToolWindows();
}

void MainWindow::ApplyUiLanguage() {
  language_->ApplyUiLanguage();
}

void MainWindow::RefreshAllPages() {
  if (master_) master_->RefreshRibbonValues();
  if (Page* page = pages_->currentPage()) page->RefreshAll();
  tools_->RefreshWithPages();
  updateUi();
}

void MainWindow::updateUi() {
  if (status_) status_->update();
  if (master_) master_->updateMuteChecks();
  modes_->updateChecks(*ribbon_);
  UpdateMicStatusLabels(*ribbon_, state_.core.mem.dev, state_.language());
  // Texts follow the language; "A*" follows edits.
  if (historyControls_) historyControls_->update();
  remote_->updateReady();
}

void MainWindow::handleCommand(int id) {
  if (master_->handleMute(id) || modes_->handle(id) || files_->handle(id) ||
      historyControls_->handle(id)) {
    updateUi();
    return;
  }
  switch (id) {
    case ID_APP_EXIT:
      close();
      break;
    case ID_APP_ABOUT:
      openAbout();
      break;
    case ID_APP_REMOTE_ACCESS:
      tools_->open(kRemoteAccessWindow);
      break;
    case ID_BTN_LANGUAGE:
      language_->toggle();
      // Notices on screen were written in the other language; they carry nothing that is
      // not shown elsewhere, so they go rather than stay untranslated.
      info_->closeBox();
      balloon_->remove();
      updateUi();
      break;
    case ID_BTN_INPUTSOURCE:
      tools_->open(kMusicSourceWindow);
      break;
    case ID_BTN_MUSICAGC:
      tools_->open(kMusicAgcWindow);
      break;
    case ID_BTN_REMOTE:
      tools_->open(kRemoteLearningWindow);
      break;
    case ID_BTN_AUTOSUB:
      tools_->open(kAutoSubWindow);
      break;
    default:
      break;  // the mode buttons' faces only open their menus
  }
}

void MainWindow::handleSlider(int id, int) {
  master_->handleSlider(id);
}

void MainWindow::handleCategory(int category) {
  if (category == kInputCategory) {
    state_.musicPageGroup = 0;
    Page* page = pages_->currentPage();
    if (page && page->kind() == PageKind::Music) {
      page->SelectArgument(0);
      page->RefreshAll();
      page->ApplyLanguage();
    } else {
      ShowPage(PageKind::Music, 0);
    }
  } else if (category == kOutputCategory) {
    ShowPage(PageKind::Output, state_.outputChannel);
  }
  master_->RefreshRibbonValues();
}

void MainWindow::openAbout() {
  AboutDialog about(state_, windowIcon(), this);
  about.exec();
}

void MainWindow::raiseWindow() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void MainWindow::openDocumentAfterConnect(const QString& path) {
  pendingDocument_ = path;
}

bool MainWindow::confirmClose() {
  if (state_.core.mem.dev.g_bParamsChanged.load() == 0) return true;
  const Answer answer = state_.prompter.askYesNoCancel(
      this,
      state_.text("参数已改动，请问是否需要保存?\r\n提示：保存成电脑文件并同时保存至机器的当前模式",
                  "parameter value is changed, do you want save it ?"),
      state_.text("保存?", "Save?"));
  if (answer == Answer::Cancel) return false;
  if (answer == Answer::No) return true;
  const QString path =
      state_.prompter.saveFileName(this, QString::fromLatin1(kModeFileFilter),
                                   QStringLiteral("preset"), QStringLiteral("px44t"));
  if (path.isEmpty()) return true;  // no file chosen: closing goes on
  // A file that could not be written keeps the program open, so the settings are not lost.
  if (!files_->saveSettingsTo(path)) return false;
  recent_->add(path);
  return true;
}

void MainWindow::showAsLastClosed() {
  rememberGeometry_ = true;
  ShowWithStoredGeometry(*this, state_.settings);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_ && !confirmClose()) {
    event->ignore();
    return;
  }
  closing_ = true;
  if (rememberGeometry_) StoreWindowGeometry(*this, state_.settings);
  uiTimer_.stop();
  // A reader waiting for the view must not wait for a window that is going away.
  notifier_.detach();
  // Phones are cut off without waiting for them; what the server answered is in the queue.
  remote_->stop();
  // Edits still waiting in the queue (the mode store the close prompt asked for among them)
  // go out before the leaving notice; a box that stopped answering holds this up by one
  // reply wait at most.
  state_.core.queue.waitIdle(kReplyTimeoutMs);
  state_.core.link.CloseUsbDevice(true);
  tools_->CloseToolWindows();
  event->accept();
}

}  // namespace ax7::ui
