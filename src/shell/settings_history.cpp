#include "shell/settings_history.h"

#include <QApplication>
#include <QDateTime>
#include <QWidget>
#include <algorithm>

#include "history/settings_diff.h"
#include "history/write_differences.h"
#include "pages/prompter.h"
#include "shell/app_state.h"
#include "shell/history_texts.h"

namespace ax7::ui {

namespace tx = history_text;
using history::SettingsImage;

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

SettingsHistory::SettingsHistory(AppState& state, QWidget* window, const QString& dir,
                                 std::function<void()> refresh)
    : QObject(window),
      state_(state),
      window_(window),
      journal_(state.core.mem, state.core.clock),
      store_(dir.isEmpty() ? history::DefaultSnapshotDir() : dir.toStdString()),
      refresh_(std::move(refresh)) {
  // Every edit of the window's thread lands here (the journal, and the timer that ends its turn); the turn closes once the event that made it
  // has been handled, so a linked edit or a reset of a whole set is one step.
  state_.core.ui.setEditHook([this](const EditKey& key) { onEdit(key); });
  journal_.onChanged = [this] { emit changed(); };
  turnTimer_.setSingleShot(true);
  turnTimer_.setInterval(0);
  connect(&turnTimer_, &QTimer::timeout, this, [this] { journal_.endTurn(); });
}

SettingsHistory::~SettingsHistory() {
  // The core outlives the window: its edits must not reach a journal that is gone.
  state_.core.ui.setEditHook(nullptr);
}

void SettingsHistory::onEdit(const EditKey& key) {
  journal_.onEdit(key);
  if (!turnTimer_.isActive()) turnTimer_.start();
}

void SettingsHistory::endTurn() {
  turnTimer_.stop();
  journal_.endTurn();
}

void SettingsHistory::endRemoteTurn() {
  journal_.markTurnRemote();
  endTurn();
}

QString SettingsHistory::undoText() const {
  return fromUtf8(journal_.undoText(state_.english() ? history::DiffLanguage::English
                                                     : history::DiffLanguage::Chinese));
}

QString SettingsHistory::redoText() const {
  return fromUtf8(journal_.redoText(state_.english() ? history::DiffLanguage::English
                                                     : history::DiffLanguage::Chinese));
}

bool SettingsHistory::modalWindowUp() const {
  // A synchronisation or a question is running: the settings must not change under it.
  return QApplication::activeModalWidget() != nullptr;
}

int SettingsHistory::undo() {
  endTurn();  // an edit still open in this turn is the step to undo
  if (!journal_.canUndo() || modalWindowUp()) return -1;
  bool across = false;
  if (journal_.undoCrossesBarrier()) {
    if (state_.prompter.askYesNoDefaultNo(window_, state_.text(tx::kAskAcrossBarrier),
                                          state_.text(tx::kUndoCaption)) != Answer::Yes) {
      return -1;
    }
    across = true;
  }
  state_.core.ui.phase("undo");
  const int sent = journal_.undo(state_.core.ui, state_.core.uiEq, across);
  if (sent >= 0 && refresh_) refresh_();
  emit changed();
  return sent;
}

int SettingsHistory::redo() {
  endTurn();
  if (!journal_.canRedo() || modalWindowUp()) return -1;
  state_.core.ui.phase("redo");
  const int sent = journal_.redo(state_.core.ui, state_.core.uiEq);
  if (sent >= 0 && refresh_) refresh_();
  emit changed();
  return sent;
}

void SettingsHistory::barrier() {
  endTurn();
  journal_.barrier();
  emit changed();
}

int64_t SettingsHistory::snapshotTime() {
  // Two snapshots within one millisecond would get one name; the later one moves on by one.
  const int64_t now = QDateTime::currentMSecsSinceEpoch();
  lastSnapshotMs_ = std::max(now, lastSnapshotMs_ + 1);
  return lastSnapshotMs_;
}

bool SettingsHistory::snapshotBefore(history::SnapshotReason reason) {
  endTurn();
  std::string error;
  if (store_.save(history::ImageOf(state_.core.mem), reason, snapshotTime(), &error)) {
    emit changed();
    return true;
  }
  const QString text = state_.text(tx::kSnapshotFailed).arg(fromUtf8(error));
  return state_.prompter.askYesNoDefaultNo(window_, text, state_.text(tx::kSnapshotCaption)) ==
         Answer::Yes;
}

void SettingsHistory::recordReplacement(const SettingsImage& before, const QString& english,
                                        const QString& chinese) {
  endTurn();
  SettingsImage after = history::ImageOf(state_.core.mem);
  if (after == before) return;
  journal_.recordStep(before, std::move(after), english.toStdString(), chinese.toStdString());
  emit changed();
}

int SettingsHistory::writeStep(const SettingsImage& target, const char* phase,
                               const QString& english, const QString& chinese) {
  SettingsImage before = history::ImageOf(state_.core.mem);
  state_.core.ui.phase(phase);
  const int sent = history::WriteDifferences(state_.core.ui, state_.core.uiEq, target);
  SettingsImage after = history::ImageOf(state_.core.mem);
  if (after != before) {
    journal_.recordStep(std::move(before), std::move(after), english.toStdString(),
                        chinese.toStdString());
  }
  return sent;
}

int SettingsHistory::restore(const history::Snapshot& snapshot) {
  endTurn();
  if (modalWindowUp()) return -1;
  SettingsImage image;
  std::string error;
  if (!store_.read(snapshot, image, &error)) {
    state_.prompter.showWarning(
        window_, state_.text(tx::kCannotRead).arg(QString::fromStdString(snapshot.path)),
        state_.text(tx::kSnapshotCaption));
    return -1;
  }
  if (!snapshotBefore(history::SnapshotReason::Restore)) return -1;
  const QString when = QDateTime::fromMSecsSinceEpoch(snapshot.unixMs)
                           .toLocalTime()
                           .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  const int sent = writeStep(image, "restore", QString::fromUtf8(tx::kRestoreStep.en).arg(when),
                             QString::fromUtf8(tx::kRestoreStep.zh).arg(when));
  if (refresh_) refresh_();
  if (notice) notice(state_.text(tx::kRestored).arg(when).arg(sent));
  emit changed();
  return sent;
}

bool SettingsHistory::liveDiffers() const {
  if (live_ < 0 || !slots_[size_t(live_)]) return false;
  const SettingsImage now = history::ImageOf(state_.core.mem);
  if (*slots_[size_t(live_)] == now) return false;
  // The master volumes stay the box's across a switch, so a volume change is no difference.
  for (const history::Difference& d : history::DiffImages(*slots_[size_t(live_)], now)) {
    const bool master = d.kind == history::Difference::Kind::Param &&
                        (d.param == Param::MicMaster || d.param == Param::MusicMaster);
    if (!master) return true;
  }
  return false;
}

QString SettingsHistory::slotText() const {
  if (live_ < 0) return QString::fromUtf8(tx::kAbNone.en);
  return SlotName(live_) + (liveDiffers() ? QStringLiteral("*") : QString());
}

void SettingsHistory::storeSlot(int slot) {
  endTurn();
  slot &= 1;
  slots_[size_t(slot)] = history::ImageOf(state_.core.mem);
  live_ = slot;
  if (notice) notice(state_.text(tx::kAbStored).arg(SlotName(slot)));
  emit changed();
}

int SettingsHistory::switchSlot(int slot, SwitchRefusal* refused) {
  endTurn();
  auto refuse = [refused](SwitchRefusal why) {
    if (refused) *refused = why;
    return -1;
  };
  if (refused) *refused = SwitchRefusal::kNone;
  if (modalWindowUp()) return refuse(SwitchRefusal::kBusy);
  if (slot < 0) {
    if (live_ < 0) {
      // Nothing is live yet: the one slot that holds settings, else nothing to switch to.
      if (slots_[0] || slots_[1]) {
        slot = slots_[0] ? 0 : 1;
      } else {
        if (notice) notice(state_.text(tx::kAbNoneLive));
        return refuse(SwitchRefusal::kNothingLive);
      }
    } else {
      slot = 1 - live_;
    }
  }
  slot &= 1;
  if (!slots_[size_t(slot)]) {
    if (notice) notice(state_.text(tx::kAbSlotEmpty).arg(SlotName(slot)));
    return refuse(SwitchRefusal::kEmpty);
  }
  if (!snapshotBefore(history::SnapshotReason::AbSwitch)) {
    if (notice) notice(state_.text(tx::kAbNotSwitched).arg(SlotName(slot)));
    return refuse(SwitchRefusal::kNotKept);
  }
  const SettingsImage target = *slots_[size_t(slot)];
  const int sent = writeStep(target, "ab-switch",
                             QString::fromUtf8(tx::kAbSwitchStep.en).arg(SlotName(slot)),
                             QString::fromUtf8(tx::kAbSwitchStep.zh).arg(SlotName(slot)));
  live_ = slot;
  if (refresh_) refresh_();
  emit changed();
  return sent;
}

}  // namespace ax7::ui
