#include "device/box_check.h"

namespace ax7 {

bool IsBoxModel(std::u16string_view module) {
  constexpr std::u16string_view want = u"ax7";
  if (module.size() != want.size()) return false;
  for (size_t i = 0; i < want.size(); ++i) {
    char16_t c = module[i];
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    if (c != want[i]) return false;
  }
  return true;
}

const char* BoxRejection(const DeviceState& state) {
  if (!IsBoxModel(state.g_szModule.get())) return kWrongModelText;
  if (state.g_nCmdVersion.load() != kAcceptedCmdVersion) return kWrongVersionText;
  return nullptr;
}

}  // namespace ax7
