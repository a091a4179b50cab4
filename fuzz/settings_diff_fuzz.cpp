// Two settings that differ from the start-up defaults in bytes the input chooses: listing their
// differences by name and value in both languages, and the differing-only write from one to the
// other. The write hands on exactly the reports it counts, and once done, a second write of the
// same target sends nothing.
//
// The input edits two copies of one current mode file rather than being two whole files: the
// fuzzer then spends its time on what the settings hold (every word and record any bit pattern,
// at most a few hundred edited bytes) instead of on mode file headers, which mode_file_fuzz
// covers, and an execution stays cheap.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/core.h"
#include "device/clock.h"
#include "history/setting_names.h"
#include "history/settings_diff.h"
#include "history/write_differences.h"
#include "params/defaults.h"
#include "support/counting_sink.h"
#include "support/echo_backend.h"

using ax7::test::CountingSink;

namespace {

const ax7::history::SettingsImage& defaultImage() {
  static const ax7::history::SettingsImage image = [] {
    auto m = std::make_unique<ax7::ParameterMemory>();
    ax7::InitParameterMemory(*m);
    return ax7::history::ImageOf(*m);
  }();
  return image;
}

// Four bytes an edit: the image offset (16 bits, taken modulo the size), the new byte, and which
// image it goes to (bit 0: the first, bit 1: the second, both or neither).
void applyEdits(const uint8_t* data, size_t size, ax7::history::SettingsImage& a,
                ax7::history::SettingsImage& b) {
  for (size_t i = 0; i + 4 <= size; i += 4) {
    const size_t offset = (size_t(data[i]) << 8 | data[i + 1]) % a.size();
    if (data[i + 3] & 1) a[offset] = data[i + 2];
    if (data[i + 3] & 2) b[offset] = data[i + 2];
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte: bit 0 soft start on or off; bit 1 also checks that a second write of the
  // same target sends nothing (it doubles the cost, so the fuzzer pays it for half its inputs).
  // Then the edits, at most 256 of them.
  if (size < 1 || size > 1 + 4 * 256) return 0;
  const bool softStart = (data[0] & 1) != 0;
  const bool writeTwice = (data[0] & 2) != 0;
  // Kept between runs: assigning into them reuses their buffers.
  static ax7::history::SettingsImage a, b;
  a = defaultImage();
  b = a;
  applyEdits(data + 1, size - 1, a, b);

  // Built once: the link only owns the encoders here and is never opened; a Core for each input
  // would start and stop its threads every time.
  static ax7::VirtualClock clock;
  static ax7::test::EchoBackend backend(clock);
  static ax7::Core core(backend, clock);
  static auto memories = [] {
    auto m = std::make_unique<std::array<ax7::ParameterMemory, 2>>();
    ax7::InitParameterMemory((*m)[1]);
    return m;
  }();
  ax7::ParameterMemory& mem = (*memories)[0];
  // Only read, and loading an image replaces all it holds but the box's own state, which
  // stays as set up once; the side that is written to starts afresh each run.
  ax7::ParameterMemory& target = (*memories)[1];
  ax7::InitParameterMemory(mem);
  if (!ax7::history::LoadImage(mem, a) || !ax7::history::LoadImage(target, b)) return 0;

  for (const auto& d : ax7::history::DiffSettings(mem, target)) {
    for (auto language :
         {ax7::history::DiffLanguage::English, ax7::history::DiffLanguage::Chinese}) {
      if (ax7::history::NameOf(d, language).empty()) std::abort();
      (void)ax7::history::ValueText(d.from, language);
      (void)ax7::history::ValueText(d.to, language);
    }
  }

  mem.dev.g_settingsCurrent.set(0, softStart ? 1 : 0);
  CountingSink sink;
  ax7::Commands cmd(mem, core.link, clock, &sink);
  ax7::EqSenders eq(cmd);
  if (ax7::history::WriteDifferences(cmd, eq, target) != sink.count) std::abort();
  if (!writeTwice) return 0;
  sink.count = 0;
  if (ax7::history::WriteDifferences(cmd, eq, target) != 0 || sink.count != 0) std::abort();
  return 0;
}
