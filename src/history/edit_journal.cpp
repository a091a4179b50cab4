#include "history/edit_journal.h"

#include <algorithm>
#include <utility>

#include "history/write_differences.h"
#include "params/mode_file.h"

namespace ax7::history {

EditJournal::EditJournal(ParameterMemory& mem, Clock& clock) : mem_(mem), clock_(clock) {}

void EditJournal::attach(Commands& ui) {
  ui.setEditHook([this](const EditKey& key) { onEdit(key); });
}

void EditJournal::onEdit(const EditKey& key) {
  if (restoring_) return;
  if (!inTurn_) {
    inTurn_ = true;
    turnBefore_ = ImageOf(mem_);
    turnKeys_.clear();
    turnRemote_ = false;
  }
  if (std::find(turnKeys_.begin(), turnKeys_.end(), key) == turnKeys_.end()) {
    turnKeys_.push_back(key);
  }
}

void EditJournal::endTurn() {
  if (!inTurn_) return;
  inTurn_ = false;
  SettingsImage after = ImageOf(mem_);
  if (after == turnBefore_) return;  // an edit to the value already held
  const int64_t now = clock_.nowMs();
  const bool remote = std::exchange(turnRemote_, false);
  // A mouse held in the window has nothing to do with an edit from the network.
  const int hold = holding_ && !remote ? holdSerial_ : 0;

  if (cursor_ == steps_.size() && cursor_ > 0 && !barrierAt(cursor_)) {
    Step& last = steps_.back();
    const bool sameControl =
        !last.keys.empty() && last.keys == turnKeys_ && last.remote == remote;
    // Held: only the same press (a step of this control from before the press stays apart).
    const bool sameHold = hold != 0 && last.hold == hold;
    if (sameControl && (sameHold || now - last.lastAtMs <= kMergeWindowMs)) {
      last.after = std::move(after);
      last.lastAtMs = now;
      last.hold = hold;
      last.labelled = false;
      // A drag that came back to where it started leaves nothing to undo.
      if (last.after == last.before) {
        steps_.pop_back();
        cursor_ = steps_.size();
      }
      changed();
      return;
    }
  }
  Step step;
  step.before = std::move(turnBefore_);
  step.after = std::move(after);
  step.keys = std::move(turnKeys_);
  step.lastAtMs = now;
  step.hold = hold;
  step.remote = remote;
  push(std::move(step));
}

void EditJournal::markTurnRemote() {
  if (inTurn_) turnRemote_ = true;
}

void EditJournal::setHolding(bool holding) {
  if (holding && !holding_) ++holdSerial_;
  holding_ = holding;
}

void EditJournal::barrier() {
  endTurn();
  // What was undone cannot be redone onto settings that came from the box.
  steps_.resize(cursor_);
  if (!barrierAt(cursor_)) barriers_.push_back(cursor_);
  changed();
}

void EditJournal::recordStep(SettingsImage before, SettingsImage after, std::string english,
                             std::string chinese) {
  endTurn();
  if (before == after) return;
  Step step;
  step.before = std::move(before);
  step.after = std::move(after);
  step.english = std::move(english);
  step.chinese = std::move(chinese);
  step.lastAtMs = clock_.nowMs();
  push(std::move(step));
}

void EditJournal::push(Step step) {
  steps_.resize(cursor_);
  std::erase_if(barriers_, [this](size_t b) { return b > cursor_; });
  steps_.push_back(std::move(step));
  if (steps_.size() > size_t(kJournalSteps)) {
    const size_t drop = steps_.size() - size_t(kJournalSteps);
    steps_.erase(steps_.begin(), steps_.begin() + ptrdiff_t(drop));
    std::erase_if(barriers_, [drop](size_t b) { return b < drop; });
    for (size_t& b : barriers_) b -= drop;
  }
  cursor_ = steps_.size();
  changed();
}

bool EditJournal::barrierAt(size_t position) const {
  return std::find(barriers_.begin(), barriers_.end(), position) != barriers_.end();
}

bool EditJournal::canUndo() const {
  return cursor_ > 0 || inTurn_;
}

bool EditJournal::canRedo() const {
  return !inTurn_ && cursor_ < steps_.size();
}

bool EditJournal::undoCrossesBarrier() const {
  return !inTurn_ && cursor_ > 0 && barrierAt(cursor_);
}

std::string EditJournal::label(const Step& step, DiffLanguage language) const {
  if (step.keys.empty()) return language == DiffLanguage::Chinese ? step.chinese : step.english;
  if (!step.labelled) {
    const std::vector<Difference> d = DiffImages(step.before, step.after);
    step.labelEnglish.clear();
    step.labelChinese.clear();
    if (!d.empty()) {
      step.labelEnglish = NameOf(d.front(), DiffLanguage::English);
      step.labelChinese = NameOf(d.front(), DiffLanguage::Chinese);
      if (d.size() > 1) {
        const std::string more = std::to_string(d.size() - 1);
        step.labelEnglish += " and " + more + " more";
        step.labelChinese += " 等 " + std::to_string(d.size()) + " 项";
      }
    }
    if (step.remote) {
      step.labelEnglish += " (remote)";
      step.labelChinese += "（远程）";
    }
    step.labelled = true;
  }
  return language == DiffLanguage::Chinese ? step.labelChinese : step.labelEnglish;
}

std::string EditJournal::undoText(DiffLanguage language) const {
  const char* prefix = language == DiffLanguage::Chinese ? "撤销: " : "Undo: ";
  if (inTurn_) {
    // A turn still open (no event loop closed it yet) is what the next undo takes back.
    Step pending;
    pending.before = turnBefore_;
    pending.after = ImageOf(mem_);
    pending.keys = turnKeys_;
    pending.remote = turnRemote_;
    return prefix + label(pending, language);
  }
  if (cursor_ == 0) return {};
  return prefix + label(steps_[cursor_ - 1], language);
}

std::string EditJournal::redoText(DiffLanguage language) const {
  if (!canRedo()) return {};
  const char* prefix = language == DiffLanguage::Chinese ? "重做: " : "Redo: ";
  return prefix + label(steps_[cursor_], language);
}

namespace {

// The settings `live` with what changed from `from` to `to` taken over from `to`: whole PC words,
// band records and room trims, and the room block as one, so a value changed outside the step
// (an answer from the box) stays and no field is ever half one value, half another.
static_assert(4 + 4 * kPcWords + kBoxImageSize + kRoomTrimSize + kRoomBlockSize == kModeFileSize,
              "a settings image is a current mode file");
static_assert(kBoxImageSize % kBandRecordSize == 0 && kRoomTrimSize % 4 == 0);

SettingsImage applyChange(const SettingsImage& live, const SettingsImage& from,
                          const SettingsImage& to) {
  SettingsImage out = live;
  if (out.size() != from.size() || from.size() != to.size()) return to;
  const auto take = [&](size_t at, size_t n) {
    if (!std::equal(from.begin() + ptrdiff_t(at), from.begin() + ptrdiff_t(at + n),
                    to.begin() + ptrdiff_t(at))) {
      std::copy_n(to.begin() + ptrdiff_t(at), n, out.begin() + ptrdiff_t(at));
    }
  };
  size_t at = 4;  // after the version word
  for (int w = 0; w < kPcWords; ++w, at += 4) take(at, 4);
  for (int r = 0; r < kBoxImageSize / kBandRecordSize; ++r, at += kBandRecordSize) {
    take(at, kBandRecordSize);
  }
  for (int t = 0; t < kRoomTrimSize / 4; ++t, at += 4) take(at, 4);
  take(at, kRoomBlockSize);
  return out;
}

}  // namespace

int EditJournal::undo(Commands& ui, EqSenders& uiEq, bool acrossBarrier) {
  endTurn();
  if (cursor_ == 0) return -1;
  const Step& step = steps_[cursor_ - 1];
  // Across a synchronisation the settings go back to what they were before the step, since the
  // box's settings replaced everything since; otherwise only what the step changed goes back.
  SettingsImage target;
  if (barrierAt(cursor_)) {
    if (!acrossBarrier) return -1;
    std::erase(barriers_, cursor_);
    target = step.before;
  } else {
    target = applyChange(ImageOf(mem_), step.after, step.before);
  }
  restoring_ = true;
  const int sent = WriteDifferences(ui, uiEq, target, MasterVolumes::Restored);
  restoring_ = false;
  --cursor_;
  changed();
  return sent;
}

int EditJournal::redo(Commands& ui, EqSenders& uiEq) {
  endTurn();
  if (cursor_ >= steps_.size()) return -1;
  const Step& step = steps_[cursor_];
  const SettingsImage target = applyChange(ImageOf(mem_), step.before, step.after);
  restoring_ = true;
  const int sent = WriteDifferences(ui, uiEq, target, MasterVolumes::Restored);
  restoring_ = false;
  ++cursor_;
  changed();
  return sent;
}

void EditJournal::clear() {
  steps_.clear();
  barriers_.clear();
  cursor_ = 0;
  inTurn_ = false;
  turnKeys_.clear();
  turnRemote_ = false;
  changed();
}

void EditJournal::changed() {
  if (onChanged) onChanged();
}

}  // namespace ax7::history
