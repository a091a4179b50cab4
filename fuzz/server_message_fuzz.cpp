// One WebSocket message from a client, from any bytes: answered "applied" or "error", never
// anything else, and the answer always prints.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "server/api.h"
#include "server_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::server;
  static auto* f = new ax7::fuzz::ServerFixture;
  if (size > 256 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Json answer = HandleClientMessage(f->box, text);
  const std::string type = answer.value("type", "");
  if (type != "applied" && type != "error") std::abort();
  (void)dumpJson(answer);
  return 0;
}
