#include "params/mode_file.h"
#include "history/settings_diff.h"

namespace ax7::history {

SettingsImage ImageOf(const ParameterMemory& mem) { return ModeFileBytes(mem); }

bool LoadImage(ParameterMemory& mem, const SettingsImage& image) {
  return LoadModeFileBytes(mem, image.data(), image.size()).ok;
}

}  // namespace ax7::history
