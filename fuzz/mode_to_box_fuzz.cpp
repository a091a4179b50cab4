// From an accepted mode file (or its JSON) to the reports sent to the box: load it, then run
// the PC-to-box synchronisation and count every report it hands on. Any word of the file may
// hold any bit pattern (NaN, infinities, 2^31, 0xFFFFFFFF), and none of them may reach undefined
// arithmetic on the way out. An odd input length turns soft start on, so the master volume
// ramps are driven too.
//
// The reports go to a counting sink, not through a link to a box: the link's reader thread and
// reply gate cost a thread hand-over per report and add nothing to what is checked here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/mode_file_io.h"
#include "core/core.h"
#include "device/clock.h"
#include "params/defaults.h"
#include "support/counting_sink.h"
#include "support/echo_backend.h"

using ax7::test::CountingSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Built once: the link is only the encoders' owner here and never opened.
  static ax7::VirtualClock clock;
  static ax7::test::EchoBackend backend(clock);
  static ax7::Core core(backend, clock);

  auto memory = std::make_unique<ax7::ParameterMemory>();
  ax7::ParameterMemory& mem = *memory;
  ax7::InitParameterMemory(mem);
  int version = 0;
  std::string error;
  if (!ax7::cli::loadModeBytes(std::vector<uint8_t>(data, data + size), "fuzz", mem, &version,
                               &error)) {
    return 0;
  }
  mem.dev.g_settingsCurrent.set(0, size % 2 == 1 ? 1 : 0);
  CountingSink sink;
  ax7::Commands cmd(mem, core.link, clock, &sink);
  ax7::EqSenders eq(cmd);
  ax7::Synchroniser sync(mem, core.link, cmd, eq, core.queue);
  const int expected = sync.ExpectedWriteReports();
  clock.startThread([&] { sync.WriteAllToBox(); }).join();
  // The progress the desktop program shows counts exactly these reports.
  if (sink.count != expected) std::abort();
  return 0;
}
