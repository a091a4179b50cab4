// The single-instance request a later start sends: anything another local process writes to
// the socket. Only "raise\n" raises the window; every other input is either waited on (no end
// of line within the limit yet) or refused, and waiting never goes on past the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/instance_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using ax7::ui::InstanceRequest;
  const std::string_view received(reinterpret_cast<const char*>(data), size);
  const InstanceRequest r = ax7::ui::ParseInstanceRequest(received);
  if (r == InstanceRequest::Raise && received.substr(0, 6) != "raise\n") std::abort();
  if (r == InstanceRequest::Incomplete && size >= ax7::ui::kMaxInstanceRequest) std::abort();
  // More bytes never change a decided request.
  std::string longer(received);
  longer += 'x';
  if (r != InstanceRequest::Incomplete && ax7::ui::ParseInstanceRequest(longer) != r) std::abort();
  return 0;
}
