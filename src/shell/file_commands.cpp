#include "shell/file_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "params/mode_file.h"
#include "shell/app_state.h"
#include "shell/info_box.h"
#include "shell/mode_file_messages.h"
#include "pages/prompter.h"
#include "shell/recent_files.h"
#include "shell/ribbon_ids.h"
#include "shell/settings_history.h"
#include "shell/history_texts.h"
#include "history/settings_image.h"
#include "shell/sync_dialog.h"

namespace ax7::ui {

namespace {

constexpr int kNoticeMs = 1100;

std::string localPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace

FileCommands::FileCommands(AppState& state, QWidget* window, InfoBoxHost& info,
                           SyncDialogHost& sync, RecentFiles& recent)
    : QObject(window), state_(state), window_(window), info_(info), sync_(sync), recent_(recent) {}

bool FileCommands::handle(int id) {
  switch (id) {
    case IDC_FILE_OPEN:
    case IDC_FILE_OPEN_OUT:
    case ID_FILE_OPEN:
      loadFile();
      return true;
    case IDC_FILE_SAVE:
    case IDC_FILE_SAVE_OUT:
    case ID_FILE_SAVE:
      saveFile();
      return true;
    default:
      return false;
  }
}

void FileCommands::loadFile() {
  if (!state_.boxOpen()) {
    info_.ShowInfoBox(state_.text("请先连接设备!", "Please connect device!"), kNoticeMs);
    return;
  }
  const QString path = state_.prompter.openFileName(window_, QString::fromLatin1(kModeFileFilter));
  if (path.isEmpty()) return;
  state_.pendingBoxMode = BoxModeFromFileName(localPath(path));
  if (!loadAndSynchronize(path)) {
    // A failed load must not leave a box mode to be overwritten by a later synchronisation.
    state_.pendingBoxMode = -1;
    return;
  }
  recent_.add(path);
}

bool FileCommands::loadAndSynchronize(const QString& path) {
  if (history_ && !history_->snapshotBefore(history::SnapshotReason::LoadFile)) return false;
  const history::SettingsImage before = history::ImageOf(state_.core.mem);
  const ModeFileResult r = LoadModeFile(state_.core.mem, localPath(path));
  if (!r.ok) {
    // Also a file that was read but is no mode file this program knows (version, size): say
    // so rather than doing nothing.
    const ModeFileMessage m = ModeFileLoadMessage(r, path, state_.language());
    state_.prompter.showWarning(window_, m.text, m.caption);
    return false;
  }
  if (history_) {
    const QString name = QFileInfo(path).fileName();
    history_->recordReplacement(before, QString::fromUtf8(history_text::kLoadFileStep.en).arg(name),
                                QString::fromUtf8(history_text::kLoadFileStep.zh).arg(name));
  }
  state_.core.sync.startSynchronizeToBox();
  sync_.RunSyncDialog();
  return true;
}

void FileCommands::saveFile() {
  if (!state_.boxOpen()) {
    info_.ShowInfoBox(state_.text("请先连接设备!", "Please connect device!"), kNoticeMs);
    return;
  }
  const QString path =
      state_.prompter.saveFileName(window_, QString::fromLatin1(kModeFileFilter),
                                   QStringLiteral("name"), QStringLiteral("px44t"));
  if (path.isEmpty()) return;
  if (saveSettingsTo(path)) recent_.add(path);
}

bool FileCommands::saveSettingsTo(const QString& path) {
  // The box keeps the same settings in its current mode, which also clears its changed flag.
  state_.core.ui.SelectBoxMode(state_.core.mem.dev.g_nCurrentMode.load());
  const ModeFileResult r = SaveModeFile(state_.core.mem, localPath(path));
  if (r.ok) return true;
  state_.prompter.showWarning(
      window_, QString::asprintf(kModeFileSaveErrorFormat, r.systemError, localPath(path).c_str()),
      QString::fromLatin1(kModeFileErrorCaption));
  return false;
}

bool FileCommands::openDocument(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) {
    state_.prompter.showInformation(window_,
                                    state_.text("文件不存在！", "The file does not exist!"),
                                    state_.text("文件打开错误", "File open error"));
    recent_.remove(path);
    return false;
  }
  if (info.suffix().compare(QLatin1String("px44t"), Qt::CaseInsensitive) != 0) return false;
  // Without a box nothing is loaded: loading would only replace what the next connection
  // reads from the box anyway.
  if (state_.boxOpen()) loadAndSynchronize(path);
  recent_.add(path);
  return true;
}

}  // namespace ax7::ui
