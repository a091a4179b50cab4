#pragma once
// The window's side of "no setting is ever lost": the edit journal behind undo and redo, the A
// and B slots, and the snapshots kept before anything replaces the settings. Everything here
// runs on the UI thread and writes to the box through the window's queue (core.ui/core.uiEq).
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

#include "history/edit_journal.h"
#include "history/snapshots.h"

class QWidget;

namespace ax7::ui {

class AppState;

class SettingsHistory : public QObject {
  Q_OBJECT
 public:
  // `dir` empty: the user's snapshot folder. `refresh` shows memory again on the ribbon, the
  // current page and the open windows (after undo, redo, an A/B switch, a restore).
  SettingsHistory(AppState& state, QWidget* window, const QString& dir,
                  std::function<void()> refresh);
  ~SettingsHistory() override;

  history::EditJournal& journal() { return journal_; }
  history::SnapshotStore& store() { return store_; }

  // ---- undo and redo ----
  bool canUndo() const { return journal_.canUndo(); }
  bool canRedo() const { return journal_.canRedo(); }
  // "撤销: 话筒A 均衡 第3段 增益" / "Undo: ...", empty when there is nothing to undo.
  QString undoText() const;
  QString redoText() const;
  // Reports sent, -1 when nothing was done (nothing to undo, a modal window is up, or the
  // user chose not to undo across a synchronisation from the box).
  int undo();
  int redo();
  // The settings were read from the box (a synchronisation from it has finished).
  void barrier();
  // Ends the turn now instead of on the next pass of the event loop (tests, scripts).
  void endTurn();
  // Ends the turn of an edit that came over the network: its step says "(remote)".
  void endRemoteTurn();
  // A mouse button went down (true) or up (false) anywhere in the program.
  void setHolding(bool holding) { journal_.setHolding(holding); }

  // ---- snapshots ----
  // Keeps the current settings before `reason` replaces them. When that fails, asks whether to
  // go on (No is the default); false: the caller must not go on.
  bool snapshotBefore(history::SnapshotReason reason);
  // A replacement made outside the edit path (a mode file load) as one undoable step.
  void recordReplacement(const history::SettingsImage& before, const QString& english,
                         const QString& chinese);
  // Writes back the snapshot's settings with the differing-only write, after keeping the
  // current ones (reason Restore). Reports sent, -1 when nothing was done.
  int restore(const history::Snapshot& snapshot);

  // ---- A and B ----
  // Slots 0 (A) and 1 (B).
  bool slotStored(int slot) const { return slots_[size_t(slot & 1)].has_value(); }
  int liveSlot() const { return live_; }
  // The live settings differ from the live slot.
  bool liveDiffers() const;
  // "A", "A*", "B", "B*" or "—".
  QString slotText() const;
  void storeSlot(int slot);
  // Why a switch was not made.
  enum class SwitchRefusal {
    kNone,
    kBusy,         // a synchronisation or a question is running
    kNothingLive,  // no slot to switch to: neither A nor B was stored
    kEmpty,        // the slot asked for was never stored
    kNotKept,      // the current settings could not be kept and the user chose not to go on
  };
  // Switches to the slot (-1: the other one). Reports sent, -1 when nothing was done, with the
  // reason in *refused; the user sees it in the info box.
  int switchSlot(int slot = -1, SwitchRefusal* refused = nullptr);
  static QString SlotName(int slot) { return slot == 1 ? QStringLiteral("B") : QStringLiteral("A"); }

  // Shows a short notice to the user (the main window's info box).
  std::function<void(const QString&)> notice;

 signals:
  // What undo/redo would do, the A/B state or the snapshot list changed.
  void changed();

 private:
  bool modalWindowUp() const;
  int64_t snapshotTime();
  // Writes `target` differing-only and records it as one journal step.
  int writeStep(const history::SettingsImage& target, const char* phase, const QString& english,
                const QString& chinese);
  void onEdit(const EditKey& key);

  AppState& state_;
  QWidget* window_;
  history::EditJournal journal_;
  history::SnapshotStore store_;
  std::function<void()> refresh_;
  QTimer turnTimer_;
  std::array<std::optional<history::SettingsImage>, 2> slots_;
  int live_ = -1;
  int64_t lastSnapshotMs_ = 0;
};

}  // namespace ax7::ui
