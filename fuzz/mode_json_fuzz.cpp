// ax7ctl's mode input (a mode file of any version or its JSON): no byte sequence may crash it
// or recurse without bound, every refusal carries one line, and an accepted input written
// back as JSON reads back to the same memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/mode_file_io.h"
#include "cli/mode_file_json.h"
#include "params/defaults.h"
#include "params/mode_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> defaults = [] {
    auto m = std::make_unique<ax7::ParameterMemory>();
    ax7::InitParameterMemory(*m);
    return ax7::ModeFileBytes(*m);
  }();

  const std::vector<uint8_t> bytes(data, data + size);
  auto memory = std::make_unique<ax7::ParameterMemory>();
  ax7::ParameterMemory& mem = *memory;
  ax7::InitParameterMemory(mem);
  int version = 0;
  std::string error;
  const bool ok = ax7::cli::loadModeBytes(bytes, "fuzz", mem, &version, &error);
  if (ok != error.empty() || error.find('\n') != std::string::npos) std::abort();
  if (!ok) {
    if (ax7::ModeFileBytes(mem) != defaults) std::abort();  // untouched
    return 0;
  }
  if (version < 1 || version > 5) std::abort();

  const std::string text = ax7::cli::modeFileToJson(mem, version).dump();
  auto againMemory = std::make_unique<ax7::ParameterMemory>();
  ax7::ParameterMemory& again = *againMemory;
  ax7::InitParameterMemory(again);
  int againVersion = 0;
  if (!ax7::cli::loadModeBytes(std::vector<uint8_t>(text.begin(), text.end()), "again", again,
                               &againVersion, &error)) {
    std::abort();
  }
  if (againVersion != version || ax7::ModeFileBytes(again) != ax7::ModeFileBytes(mem)) std::abort();
  return 0;
}
