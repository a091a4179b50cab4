#include "history/settings_image.h"

#include "params/mode_file.h"

namespace ax7::history {

SettingsImage ImageOf(const ParameterMemory& mem) {
  return ModeFileBytes(mem);
}

bool LoadImage(ParameterMemory& mem, const SettingsImage& image) {
  return LoadModeFileBytes(mem, image.data(), image.size()).ok;
}

}  // namespace ax7::history
