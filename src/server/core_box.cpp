#include "server/core_box.h"

#include <chrono>
#include <memory>
#include <utility>

#include "device/named_values.h"
#include "eqx/eq_set.h"
#include "eqx/mapping.h"
#include "history/settings_image.h"
#include "history/write_differences.h"
#include "history/snapshots.h"
#include "params/defaults.h"
#include "params/mode_file.h"
#include "server/eq_report_json.h"
#include "server/state_json.h"

namespace ax7::server {

namespace {

int64_t wallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CoreBox::CoreBox(Core& core, std::string snapshotDir)
    : core_(core), snapshotDir_(std::move(snapshotDir)) {}

void CoreBox::setReady(bool ready) {
  std::vector<std::function<void(bool)>> observers;
  {
    std::lock_guard lock(mutex_);
    ready_ = ready;
    observers = observersLocked();
  }
  tell(observers, ready);
}

void CoreBox::setReadyObserver(std::function<void(bool)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

int CoreBox::addReadyObserver(std::function<void(bool)> observer) {
  std::lock_guard lock(mutex_);
  moreObservers_.emplace_back(nextObserverId_, std::move(observer));
  return nextObserverId_++;
}

void CoreBox::removeReadyObserver(int id) {
  std::lock_guard lock(mutex_);
  std::erase_if(moreObservers_, [&](const auto& o) { return o.first == id; });
}

std::vector<std::function<void(bool)>> CoreBox::observersLocked() const {
  std::vector<std::function<void(bool)>> all;
  if (observer_) all.push_back(observer_);
  for (const auto& o : moreObservers_) {
    if (o.second) all.push_back(o.second);
  }
  return all;
}

void CoreBox::tell(const std::vector<std::function<void(bool)>>& observers, bool ready) {
  for (const auto& observer : observers) observer(ready);
}

void CoreBox::setRecall(std::function<void(int)> recall) {
  std::lock_guard lock(mutex_);
  recall_ = std::move(recall);
}

void CoreBox::setStatusPoll(int64_t periodMs) {
  std::lock_guard lock(mutex_);
  statusPeriodMs_ = periodMs;
}

bool CoreBox::connected() {
  std::lock_guard lock(mutex_);
  return ready_;
}

int CoreBox::mode() { return core_.mem.dev.g_nCurrentMode.load() + 1; }

Json CoreBox::values() { return valuesJson(core_.mem); }

Json CoreBox::status() { return statusJson(core_.mem.dev.g_liveStatus.snapshot()); }

Outcome CoreBox::notReady() const {
  return Outcome::failure(503, "no box is connected (or it is being read)");
}

bool CoreBox::keepSnapshot(int reason, std::string* path, Outcome* failed) {
  history::SnapshotStore store(snapshotDir_);
  std::string error;
  const auto why = history::SnapshotReason(reason);
  if (!store.save(history::ImageOf(core_.mem), why, wallClockMs(), &error)) {
    *failed = Outcome::failure(500, "could not keep a snapshot of the box's settings: " + error +
                                        "; nothing sent");
    return false;
  }
  const std::vector<history::Snapshot> kept = store.list();
  *path = !kept.empty() && kept.front().reason == why ? kept.front().path : store.dir();
  return true;
}

Outcome CoreBox::setValues(const std::vector<std::pair<std::string, InputValue>>& pairs) {
  std::vector<NamedValue> values;
  std::string error;
  if (!CheckNamedValues(pairs, &values, &error)) return Outcome::failure(400, error);
  std::lock_guard lock(mutex_);
  if (!ready_) return notReady();
  if (!CheckAgainstMemory(core_.mem, values, &error) ||
      !CheckBoxMaximum(core_.mem.dev, values, &error)) {
    return Outcome::failure(400, error);
  }
  ApplyNamedValues(core_.ui, core_.uiEq, values);
  Outcome o;
  Json applied = Json::object();
  for (const NamedValue& v : values) applied[v.name->name] = valueJson(*v.name, v.value);
  o.body["applied"] = applied;
  return o;
}

Outcome CoreBox::recallMode(int mode) {
  std::function<void(int)> recall;
  std::vector<std::function<void(bool)>> observers;
  std::string kept;
  Outcome failed;
  {
    std::lock_guard lock(mutex_);
    if (!ready_) return notReady();
    if (!recall_) return Outcome::failure(503, "this program recalls modes only from its window");
    if (!keepSnapshot(int(history::SnapshotReason::RecallMode), &kept, &failed)) return failed;
    // Edits wait until the box has been read again: the recall replaces every value.
    ready_ = false;
    recall = recall_;
    observers = observersLocked();
  }
  tell(observers, false);
  recall(mode - 1);
  Outcome o;
  o.body["recalled"] = mode;
  o.body["snapshot"] = kept;
  return o;
}

Outcome CoreBox::saveMode(int mode) {
  std::lock_guard lock(mutex_);
  if (!ready_) return notReady();
  // The window's "save mode" sends this one report; the box stores what it plays.
  core_.ui.SelectBoxMode(mode - 1);
  Outcome o;
  o.body["saved"] = mode;
  return o;
}

Outcome CoreBox::modeFile(std::vector<uint8_t>* bytes) {
  std::lock_guard lock(mutex_);
  if (!ready_) return notReady();
  *bytes = ModeFileBytes(core_.mem);
  return {};
}

Outcome CoreBox::writeModeFile(const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  if (!ready_) return notReady();
  // Loaded over what the box holds, so parts an older file lacks keep the box's values.
  auto target = std::make_unique<ParameterMemory>();
  InitParameterMemory(*target);
  history::LoadImage(*target, history::ImageOf(core_.mem));
  const ModeFileResult loaded = LoadModeFileBytes(*target, bytes.data(), bytes.size());
  if (!loaded.ok) return Outcome::failure(400, "not a mode file the box takes: " + loaded.error);
  std::string kept;
  Outcome failed;
  if (!keepSnapshot(int(history::SnapshotReason::WriteChanged), &kept, &failed)) return failed;
  const size_t differences = history::DiffSettings(core_.mem, *target).size();
  const int sent = history::WriteDifferences(core_.ui, core_.uiEq, *target);
  Outcome o;
  o.body["differences"] = differences;
  o.body["reports"] = sent;
  o.body["snapshot"] = kept;
  return o;
}

Outcome CoreBox::exportEq(int set, eqx::Format format, std::string* text) {
  std::lock_guard lock(mutex_);
  if (!ready_) return notReady();
  *text = eqx::writeEqFile(format, set, eqx::loadSet(core_.mem, set));
  return {};
}

Outcome CoreBox::importEq(int set, const std::string& text, eqx::Format format) {
  eqx::ReadOptions options;
  options.format = format;
  const eqx::ReadResult read = eqx::readEqFile(text, options);
  if (!read.ok) return Outcome::failure(400, read.error + "; nothing changed");
  std::lock_guard lock(mutex_);
  if (!ready_) return notReady();
  const eqx::ImportResult result = eqx::mapToSet(read.eq, set, eqx::loadSet(core_.mem, set));
  if (result.report.bandsFilled() == 0) {
    Outcome o = Outcome::failure(
        400, "no filter of the file can be applied to " + eqx::setName(set) + "; nothing sent");
    o.body["report"] = eqImportReportJson(result.report, set, false);
    return o;
  }
  std::string kept;
  Outcome failed;
  if (!keepSnapshot(int(history::SnapshotReason::EqImport), &kept, &failed)) return failed;
  // Band by band, as the import of the window sends them; an output's crossover band stays.
  for (int b = 0; b < eqx::editableBands(set); ++b) {
    const BandRecord& r = result.bands[size_t(b)];
    core_.uiEq.SendEqBand(set, b, r.type, r.gainDb, int(r.frequency), r.q);
  }
  Outcome o;
  o.body = eqImportReportJson(result.report, set, true);
  o.body["snapshot"] = kept;
  return o;
}

void CoreBox::tick() {
  std::lock_guard lock(mutex_);
  if (!ready_ || statusPeriodMs_ <= 0) return;
  // Wall time, as the window's timer: the status is for people watching.
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
  if (lastStatusMs_ >= 0 && now - lastStatusMs_ < statusPeriodMs_) return;
  const UsbLink& link = core_.link;
  if (!link.statusPollAllowed() || !link.deviceOpen()) return;
  lastStatusMs_ = now;
  core_.ui.RequestStatus();
}

}  // namespace ax7::server
