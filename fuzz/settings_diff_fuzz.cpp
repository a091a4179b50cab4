// Two settings from arbitrary bytes (a mode file of any version each, every word and record
// any bit pattern): listing their differences by name and value in both languages, and the
// differing-only write from one to the other. The write hands on exactly the reports it counts,
// and once done, a second write of the same target sends nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/core.h"
#include "device/clock.h"
#include "history/setting_names.h"
#include "history/write_differences.h"
#include "params/defaults.h"
#include "support/counting_sink.h"
#include "support/echo_backend.h"

using ax7::test::CountingSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Two bytes say where the first settings end (15 bits) and whether soft start is on.
  if (size < 2) return 0;
  const size_t wanted = size_t(data[0]) | size_t(data[1] & 0x7F) << 8;
  const size_t split = wanted < size - 2 ? wanted : size - 2;
  const bool softStart = (data[1] & 0x80) != 0;
  const ax7::history::SettingsImage a(data + 2, data + 2 + split);
  const ax7::history::SettingsImage b(data + 2 + split, data + size);

  for (const auto& d : ax7::history::DiffImages(a, b)) {
    for (auto language :
         {ax7::history::DiffLanguage::English, ax7::history::DiffLanguage::Chinese}) {
      if (ax7::history::NameOf(d, language).empty()) std::abort();
      (void)ax7::history::ValueText(d.from, language);
      (void)ax7::history::ValueText(d.to, language);
    }
  }

  // Built once: the link only owns the encoders here and is never opened; a Core for each input
  // would start and stop its threads every time.
  static ax7::VirtualClock clock;
  static ax7::test::EchoBackend backend(clock);
  static ax7::Core core(backend, clock);
  auto memory = std::make_unique<ax7::ParameterMemory>();
  ax7::ParameterMemory& mem = *memory;
  ax7::InitParameterMemory(mem);
  if (!ax7::history::LoadImage(mem, a)) return 0;
  mem.dev.g_settingsCurrent.set(0, softStart ? 1 : 0);
  CountingSink sink;
  ax7::Commands cmd(mem, core.link, clock, &sink);
  ax7::EqSenders eq(cmd);
  if (ax7::history::WriteDifferences(cmd, eq, b) != sink.count) std::abort();
  sink.count = 0;
  if (ax7::history::WriteDifferences(cmd, eq, b) != 0 || sink.count != 0) std::abort();
  return 0;
}
