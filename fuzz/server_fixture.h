#pragma once
// The box of a core that is ready but not connected, for the server's fuzz targets: edits are
// stored and queued, the queue's reports go nowhere.
#include "core/core.h"
#include "server/core_box.h"
#include "sim/sim_backend.h"

namespace ax7::fuzz {

struct ServerFixture {
  VirtualClock clock;
  sim::SimBackend backend{clock};
  Core core{backend, clock};
  // Snapshots cannot be written there, so the operations that keep one stop before sending.
  server::CoreBox box{core, "/dev/null/snapshots"};
  ServerFixture() { box.setReady(true); }
};

}  // namespace ax7::fuzz
