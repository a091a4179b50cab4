// A message from the broker, from any bytes: the first byte's low bit is the retained flag, the
// topic runs to the first zero byte, the rest is the payload. Every message is either not a
// command of this box, a refusal that says why, or a command the box takes or refuses; the
// refusal always prints.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mqtt/topics.h"
#include "server_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::mqtt;
  static auto* f = new ax7::fuzz::ServerFixture;
  static const BoxTopics topics("ax7", BoxId("SIM0001"));
  if (size < 1 || size > 64 * 1024) return 0;
  const bool retained = (data[0] & 1) != 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t zero = rest.find('\0');
  const std::string_view topic = rest.substr(0, zero);
  const std::string_view payload = zero == std::string_view::npos ? "" : rest.substr(zero + 1);
  const Command c = ParseCommand(topics, topic, payload, retained);
  switch (c.kind) {
    case Command::Kind::Other:
      break;
    case Command::Kind::Refused:
      if (c.error.empty()) std::abort();
      (void)ErrorPayload(topic, c.error);
      break;
    case Command::Kind::Values:
      if (c.values.size() != 1 || retained || payload.size() > kMaxCommandBytes) std::abort();
      (void)f->box.setValues(c.values);
      break;
    case Command::Kind::Mode:
      if (c.mode < 1 || c.mode > 4) std::abort();
      (void)f->box.recallMode(c.mode);
      break;
  }
  return 0;
}
