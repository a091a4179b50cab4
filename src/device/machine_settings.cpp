#include "device/machine_settings.h"

#include <algorithm>

namespace ax7 {

int SettingsMaximum(uint8_t raw) {
  return raw >= 1 && raw <= kMaxStartVolume ? raw : kMaxStartVolume;
}

std::optional<int> SettingsStart(const SettingsRecord& r, size_t startByte, size_t maxByte) {
  if (r[startByte] == kNoStartVolume) return std::nullopt;
  return std::min<int>(r[startByte], SettingsMaximum(r[maxByte]));
}

int SettingsPowerOn(const SettingsRecord& r) {
  return r[kSetPowerOn] < kPowerOnModes ? r[kSetPowerOn] : -1;
}

SettingsRecord NormalisedSettings(const SettingsRecord& current) {
  SettingsRecord r = current;
  for (auto [start, max] :
       {std::pair{kSetMicStart, kSetMicMax}, std::pair{kSetMusicStart, kSetMusicMax}}) {
    r[max] = uint8_t(SettingsMaximum(current[max]));
    if (auto s = SettingsStart(current, start, max)) r[start] = uint8_t(*s);
  }
  return r;
}

Report SettingsApplyFrame(const SettingsRecord& r) {
  Report out{};
  out[0] = 0x02;
  out[1] = 0x91;
  std::copy(r.begin(), r.end(), out.begin() + 2);
  return out;
}

}  // namespace ax7
