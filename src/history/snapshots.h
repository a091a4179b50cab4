#pragma once
// The history of settings: before anything replaces the settings (a mode file load, a box mode
// recall or reset, the machine reset, an EQ reset or import, an A/B switch, a differing-only
// write), the current settings are kept as a mode file in the user's data folder, so no setting
// is ever lost. The newest 100 are kept.
#include <cstdint>
#include <string>
#include <vector>

#include "history/setting_names.h"
#include "history/settings_image.h"

namespace ax7::history {

constexpr int kSnapshotsKept = 100;

// What replaced the settings; also the snapshot file's name part.
enum class SnapshotReason : uint8_t {
  LoadFile,      // "load-file"
  RecallMode,    // "recall-mode"
  ResetMode,     // "reset-mode"
  MachineReset,  // "machine-reset"
  EqReset,       // "eq-reset"
  EqImport,      // "eq-import"
  AbSwitch,      // "ab-switch"
  Restore,       // "restore": a history entry was written back
  WriteChanged,  // "write-changed": ax7ctl write --changed
};
const char* ReasonKey(SnapshotReason r);                        // the file-name part above
std::string ReasonText(SnapshotReason r, DiffLanguage language);  // "Load mode file" / "载入模式文件"

struct Snapshot {
  std::string path;         // the mode file
  int64_t unixMs = 0;       // when it was taken (from the name)
  SnapshotReason reason{};  // from the name
};

// The time and reason a snapshot's file name stands for (the path is left empty); false for any
// name this store would not have written.
bool ParseSnapshotName(const std::string& fileName, Snapshot& out);
// The file name a snapshot of that time and reason gets.
std::string SnapshotName(int64_t unixMs, SnapshotReason reason);

// The snapshot folder: $XDG_DATA_HOME/ax7-control/snapshots, or
// $HOME/.local/share/ax7-control/snapshots when XDG_DATA_HOME is unset or not absolute.
std::string DefaultSnapshotDir();

class SnapshotStore {
 public:
  explicit SnapshotStore(std::string dir);

  const std::string& dir() const { return dir_; }
  // Saves the image as "<UTC yyyy-mm-ddThh-mm-ss.mmm>_<reason>.px44t" (creating the folder), then
  // removes the oldest beyond kSnapshotsKept. `unixMs` is the time to name it with (the caller's
  // clock). On failure nothing is removed and `error` says why in one English line.
  bool save(const SettingsImage& image, SnapshotReason reason, int64_t unixMs,
            std::string* error = nullptr);
  // Newest first; files in the folder that are not snapshots are left out and left alone.
  std::vector<Snapshot> list() const;
  // The snapshot's settings; false when it can't be read or is not a mode file.
  bool read(const Snapshot& s, SettingsImage& out, std::string* error = nullptr) const;

 private:
  std::string dir_;
};

}  // namespace ax7::history
