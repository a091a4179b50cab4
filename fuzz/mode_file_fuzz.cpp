// Mode files come from anywhere the user points the file dialog: no byte sequence may crash
// the loader, every answer is either accepted or carries a message, and an accepted file of
// the current version must write back exactly as it was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "params/defaults.h"
#include "params/mode_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ax7::ParameterMemory mem;
  static const bool initialised = (ax7::InitParameterMemory(mem), true);
  (void)initialised;

  ax7::ModeFileResult r = ax7::LoadModeFileBytes(mem, data, size);
  if (r.ok != r.error.empty()) std::abort();
  if (r.ok && r.version == ax7::kModeFileVersion) {
    std::vector<uint8_t> again = ax7::ModeFileBytes(mem);
    if (std::memcmp(again.data(), data, again.size()) != 0) std::abort();
  }
  return 0;
}
