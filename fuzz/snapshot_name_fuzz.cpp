// File names found in the snapshot folder: any name the store accepts as a snapshot is exactly
// the name it would write for that time and reason, so nothing foreign is ever rotated away.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "history/snapshots.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  ax7::history::Snapshot s;
  if (ax7::history::ParseSnapshotName(name, s) &&
      ax7::history::SnapshotName(s.unixMs, s.reason) != name) {
    std::abort();
  }
  return 0;
}
