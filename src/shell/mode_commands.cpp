#include "shell/mode_commands.h"

#include <QAction>
#include <QTimer>
#include <QWidget>

#include "shell/app_state.h"
#include "shell/info_box.h"
#include "pages/prompter.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/settings_history.h"
#include "shell/sync_dialog.h"

namespace ax7::ui {

namespace {

constexpr int kResetNoticeMs = 2000;
constexpr int kSavingNoticeMs = 2500;

}  // namespace

ModeCommands::ModeCommands(AppState& state, QWidget* window, InfoBoxHost& info,
                           SyncDialogHost& sync)
    : QObject(window), state_(state), window_(window), info_(info), sync_(sync) {}

bool ModeCommands::handle(int id) {
  if (id >= ID_LOADMODE_M1 && id < ID_LOADMODE_M1 + 4) {
    loadMode(id - ID_LOADMODE_M1);
  } else if (id >= ID_SAVEMODE_M1 && id < ID_SAVEMODE_M1 + 4) {
    saveMode(id - ID_SAVEMODE_M1);
  } else if (id == ID_BTN_RESET) {
    machineReset();
  } else {
    return false;
  }
  return true;
}

void ModeCommands::loadMode(int mode) {
  if (!state_.boxOpen()) return;
  if (state_.core.mem.dev.g_bParamsChanged.load() != 0) {
    const QString text =
        state_.text("参数已更改，确定要直接载入模式", "Setting changed ! Are you sure load mode") +
        state_.text(kModeDigitsZh[mode], kModeDigitsEn[mode]) + QStringLiteral("?");
    if (state_.prompter.askYesNo(window_, text, state_.text("信息", "Information")) != Answer::Yes)
      return;
  }
  if (history_ && !history_->snapshotBefore(history::SnapshotReason::RecallMode)) return;
  state_.core.sync.LoadBoxMode(mode);
  sync_.RunSyncDialog();
}

void ModeCommands::saveMode(int mode) {
  if (!state_.boxOpen()) return;
  const QString text = state_.text("确定要保存至机器模式", "Save to machine mode ") +
                       state_.text(kModeDigitsZh[mode], kModeDigitsEn[mode]) + QStringLiteral("?");
  if (state_.prompter.askYesNo(window_, text, state_.text("信息", "Information")) != Answer::Yes)
    return;
  state_.core.ui.SelectBoxMode(mode);
  // The box needs a moment to store the mode; the notice follows without holding up the UI.
  const QString notice =
      state_.english()
          ? QStringLiteral("Saving Mode %1 ……").arg(kModeDigitsEn[mode])
          : QStringLiteral("正在储存模式%1,请稍等").arg(QString::fromUtf8(kModeDigitsZh[mode]));
  QTimer::singleShot(state_.timings.saveModeNoticeDelayMs, this,
                     [this, notice] { info_.ShowInfoBox(notice, kSavingNoticeMs); });
}

void ModeCommands::machineReset() {
  if (!state_.boxOpen()) return;
  const QString text = state_.text("您确定要将机器复位吗? \n机器复位后请手动重启机器.",
                                   "Are you sure reset machine? ");
  if (state_.prompter.askYesNo(window_, text, QStringLiteral("提示")) != Answer::Yes) return;
  if (history_ && !history_->snapshotBefore(history::SnapshotReason::MachineReset)) return;
  state_.core.ui.ResetMachine();
  info_.ShowInfoBox(state_.text("请手动重启……", "Please restart……"), kResetNoticeMs);
}

void ModeCommands::updateChecks(Ribbon& ribbon) {
  const int current = state_.core.mem.dev.g_nCurrentMode.load();
  for (int first : {ID_LOADMODE_M1, ID_SAVEMODE_M1}) {
    for (int k = 0; k < 4; ++k) {
      if (QAction* action = ribbon.action(first + k)) {
        action->setCheckable(true);
        action->setChecked(current == k);
      }
    }
  }
}

}  // namespace ax7::ui
