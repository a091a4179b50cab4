// ax7ctl's command-line parsers: the global options (--sim-fault included), a command's own
// words, and the number parsers. The input is split into words at newlines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/options.h"
#include "sim/sim_faults.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      words.emplace_back();
    } else {
      words.back() += char(data[i]);
    }
  }

  ax7::cli::CommandLine line;
  std::string error;
  const bool parsed = ax7::cli::parseCommandLine(words, &line, &error);
  if (!parsed && (error.empty() || error.find('\n') != std::string::npos)) std::abort();
  if (parsed && line.options.syncTimeoutMs <= 0) std::abort();

  ax7::cli::ParsedArgs args;
  error.clear();
  if (!ax7::cli::parseArgs(words, {"--save"}, {"--json"}, &args, &error) && error.empty()) {
    std::abort();
  }

  for (const std::string& word : words) {
    ax7::sim::SimFaults faults;
    const ax7::sim::SimFaults before = faults;
    error.clear();
    if (!ax7::sim::ParseSimFault(word, faults, &error)) {
      if (error.empty() || faults.latencyMs != before.latencyMs ||
          faults.unplugAfter != before.unplugAfter) {
        std::abort();
      }
    }
    (void)ax7::cli::parseDouble(word);
    (void)ax7::cli::parseInteger(word);
  }
  return 0;
}
