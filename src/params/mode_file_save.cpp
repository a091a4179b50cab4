// Saving a mode file: the whole version-5 layout at once, never a damaged file left behind.
#include "params/atomic_save.h"
#include "params/mode_file.h"

namespace ax7 {

ModeFileResult SaveModeFile(const ParameterMemory& mem, const std::string& path) {
  ModeFileResult r;
  r.version = kModeFileVersion;
  const std::vector<uint8_t> bytes = ModeFileBytes(mem);
  const SaveOutcome saved = SaveFileAtomically(path, bytes.data(), bytes.size());
  if (!saved.ok) {
    r.systemError = saved.systemError;
    r.error = "Can't write mode file '" + path + "': " + saved.reason;
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace ax7
