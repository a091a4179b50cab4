// From an accepted mode file (or its JSON) to the reports sent to the box: load it, then run
// the PC-to-box synchronisation against a box that answers every report and records it. Any
// word of the file may hold any bit pattern (NaN, infinities, 2^31, 0xFFFFFFFF), and none of
// them may reach undefined arithmetic on the way out. An odd input length turns soft start
// on, so the master volume ramps are driven too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/mode_file_io.h"
#include "device/clock.h"
#include "device/core.h"
#include "params/defaults.h"
#include "support/echo_backend.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ax7::VirtualClock clock;
  ax7::test::EchoBackend backend(clock);
  ax7::Core core(backend, clock);
  int version = 0;
  std::string error;
  if (!ax7::cli::loadModeBytes(std::vector<uint8_t>(data, data + size), "fuzz", core.mem,
                               &version, &error)) {
    return 0;
  }
  core.mem.dev.g_settingsCurrent.set(0, size % 2 == 1 ? 1 : 0);
  if (!core.link.OpenUsbDevice(nullptr)) std::abort();
  const int expected = core.sync.ExpectedWriteReports();
  clock.startThread([&] { core.sync.WriteAllToBox(); }).join();
  core.link.CloseUsbDevice(false);

  const std::vector<ax7::Report> sent = backend.written();
  // The progress the desktop program shows counts exactly these reports.
  if (int(sent.size()) != expected) std::abort();
  for (const ax7::Report& r : sent)
    if (r[0] != 0x02) std::abort();
  return 0;
}
