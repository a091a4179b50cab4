#pragma once
// The edit journal: every edit the window makes through the one parameter path (ribbon, page,
// tool window, EQ import, script) becomes an undoable step holding the settings before and after
// it. Undo and redo write back only what differs, through the window's queue.
//
// Steps are built from turns: all edits made while one window event is handled (the window calls
// endTurn() once it has returned) form one turn, so a linked edit of several channels or an EQ
// reset of a whole set is one step. A turn touching the same things as the step before it merges
// into that step while a mouse button is held (a drag, until release) or while turns follow within
// kMergeWindowMs of each other (a run of wheel or key steps).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/clock.h"
#include "device/commands.h"
#include "device/eq_senders.h"
#include "history/setting_names.h"
#include "history/settings_image.h"

namespace ax7::history {

constexpr int kMergeWindowMs = 500;
constexpr int kJournalSteps = 500;  // the oldest steps go beyond this

class EditJournal {
 public:
  EditJournal(ParameterMemory& mem, Clock& clock);

  // Makes `ui`'s edits land here (sets its edit hook). Undo and redo send through `ui`/`uiEq`.
  void attach(Commands& ui);
  // The edit hook: runs before an edit changes memory.
  void onEdit(const EditKey& key);
  // The window event that made edits has been handled: closes the turn (takes the after image).
  void endTurn();
  // A mouse button is held (true) or released (false) in the window.
  void setHolding(bool holding);
  // The open turn's edits came over the network: its step is labelled "(remote)" and never
  // merges with the window's own edits of the same control.
  void markTurnRemote();

  // The settings were replaced from the box (connect, mode recall, mode reset): later undo
  // reaching a step before this asks first (undoCrossesBarrier).
  void barrier();
  // A replacement made outside the edit path (mode file load, A/B switch, history restore) as
  // one step with its own label.
  void recordStep(SettingsImage before, SettingsImage after, std::string english,
                  std::string chinese);

  bool canUndo() const;
  bool canRedo() const;
  bool undoCrossesBarrier() const;
  // "撤销: 话筒A 均衡 第3段 增益" / "Undo: Mic A EQ band 3 gain", empty when there is none.
  std::string undoText(DiffLanguage language) const;
  std::string redoText(DiffLanguage language) const;

  // Restore the step's before (undo) or after (redo) settings with the differing-only write.
  // Undo across a barrier happens only with acrossBarrier (the caller has asked). Return the
  // number of reports sent, -1 when nothing was done.
  int undo(Commands& ui, EqSenders& uiEq, bool acrossBarrier = false);
  int redo(Commands& ui, EqSenders& uiEq);

  void clear();
  // Called after every change of what undoText/redoText/canUndo/canRedo say.
  std::function<void()> onChanged;

 private:
  struct Step {
    SettingsImage before, after;
    std::vector<EditKey> keys;  // empty for a replacement
    std::string english, chinese;  // a replacement's own label
    int64_t lastAtMs = 0;          // when its last turn ended
    int hold = 0;                  // the mouse hold its last turn was made in, 0 for none
    bool remote = false;           // made over the network
    // The label made from the step's differences, made when first asked for.
    mutable std::string labelEnglish, labelChinese;
    mutable bool labelled = false;
  };
  void push(Step step);
  bool barrierAt(size_t position) const;
  std::string label(const Step& step, DiffLanguage language) const;
  void changed();

  ParameterMemory& mem_;
  Clock& clock_;
  std::vector<Step> steps_;
  size_t cursor_ = 0;             // steps before it can be undone, from it on redone
  std::vector<size_t> barriers_;  // positions (between steps) of box synchronisations
  bool inTurn_ = false;
  SettingsImage turnBefore_;
  std::vector<EditKey> turnKeys_;
  bool turnRemote_ = false;
  bool holding_ = false;
  int holdSerial_ = 0;  // counts presses, so a drag joins only the steps of its own hold
  bool restoring_ = false;  // undo or redo is writing: its own sends are no edits
};

}  // namespace ax7::history
