#pragma once
// The request a later start sends to the running program: one line, "raise\n". Kept free of
// Qt so that it can be fuzzed; the server acts only on a complete line it knows and drops a
// peer whose line would never end.
#include <cstddef>
#include <string_view>

namespace ax7::ui {

enum class InstanceRequest {
  Incomplete,  // no end of line yet: wait for more
  Raise,       // raise the window
  Unknown,     // anything else, or more than a request can be: drop the connection
};

inline constexpr std::string_view kRaiseRequest = "raise\n";
inline constexpr std::string_view kRaisedAnswer = "ok\n";
inline constexpr size_t kMaxInstanceRequest = 64;

// `received` is what the peer sent so far (at most kMaxInstanceRequest bytes are looked at).
inline InstanceRequest ParseInstanceRequest(std::string_view received) {
  received = received.substr(0, kMaxInstanceRequest);
  const size_t end = received.find('\n');
  if (end == std::string_view::npos) {
    return received.size() < kMaxInstanceRequest ? InstanceRequest::Incomplete
                                                 : InstanceRequest::Unknown;
  }
  return received.substr(0, end + 1) == kRaiseRequest ? InstanceRequest::Raise
                                                      : InstanceRequest::Unknown;
}

}  // namespace ax7::ui
