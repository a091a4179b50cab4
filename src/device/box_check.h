#pragma once
// Which boxes the program accepts after reading their identity.
#include <string_view>

#include "params/memory.h"

namespace ax7 {

constexpr int kAcceptedCmdVersion = 17;
inline constexpr const char* kWrongModelText = "机器型号与软件不匹配!";
inline constexpr const char* kWrongVersionText = "机器与软件通信版本不匹配，请使用机器配套软件!";

// The module string names our model ("AX7", letter case aside).
bool IsBoxModel(std::u16string_view module);
// Why a box with this identity is refused (the texts above), or nullptr when it is accepted.
const char* BoxRejection(const DeviceState& state);

}  // namespace ax7
