// One WebSocket message from a client, from any bytes: answered with nothing, "applied" or
// "error", never anything else, against the box of a core that is ready but not connected.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/core.h"
#include "server/api.h"
#include "server/core_box.h"
#include "sim/sim_backend.h"

namespace {

struct Fixture {
  ax7::VirtualClock clock;
  ax7::sim::SimBackend backend{clock};
  ax7::Core core{backend, clock};
  ax7::server::CoreBox box{core, "/dev/null/snapshots"};
  Fixture() { box.setReady(true); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::server;
  static Fixture* f = new Fixture;
  if (size > 256 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Json answer = HandleClientMessage(f->box, text);
  const std::string type = answer.value("type", "");
  if (type != "applied" && type != "error") std::abort();
  (void)dumpJson(answer);
  return 0;
}
