#pragma once
// Saving a file without ever leaving a damaged one behind: the bytes go to a temporary file
// in the target's folder, which replaces the target only once it is completely on disk; the
// folder is synced after the rename, so the new name survives a power cut as well.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ax7 {

struct SaveOutcome {
  bool ok = false;
  int systemError = 0;  // errno of the failed step (EACCES for a write-protected target)
  std::string reason;   // one English line without the path; empty when ok
};

// Replaces `path` with the bytes. A symlink is followed (even a dangling one: its target is
// created), so the link stays a link; the old file's permissions are kept; a write-protected
// file, a folder, a pipe or a device is never replaced.
SaveOutcome SaveFileAtomically(const std::string& path, const uint8_t* data, size_t size);

// Creates `path` with the bytes, complete or not at all, only where no entry of that name
// exists (a dangling symlink included): fails with systemError EEXIST and writes nothing when
// one does, also when another process takes the name at the same moment.
SaveOutcome SaveNewFileAtomically(const std::string& path, const uint8_t* data, size_t size);

}  // namespace ax7
