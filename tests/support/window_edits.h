#pragma once
// The reports the window's encoders send for edits, straight to a simulated box: what the
// reports of another path to the box (ax7ctl set, the server) are compared with.
#include <string>
#include <vector>

#include "device/commands.h"
#include "params/defaults.h"
#include "sim/sim_backend.h"
#include "support/box_sink.h"
#include "support/frame_capture.h"

namespace ax7::test {

struct WindowEdits {
  struct Memory {
    Memory() { InitParameterMemory(mem); }
    ParameterMemory mem;
  };
  VirtualClock clock;
  sim::SimBackend backend{clock};
  Memory memory;
  UsbLink link{backend, clock, memory.mem.dev};
  sim::SimBox box;
  BoxSink sink{box};
  Commands window{memory.mem, link, clock, &sink};

  std::vector<std::string> frames() const { return framesHex(sink.sent); }
};

}  // namespace ax7::test
