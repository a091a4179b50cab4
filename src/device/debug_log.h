#pragma once
// The device link's debug channel: fixed texts, never shown to the user. Goes to stderr when
// the environment variable AX7_DEBUG is set, otherwise nowhere.
#include <functional>
#include <string_view>

namespace ax7 {

void DebugLog(std::string_view text);
// For tests: receives every line instead of stderr (nullptr restores the default).
void SetDebugLogSink(std::function<void(std::string_view)> sink);

}  // namespace ax7
