#include "cli/sim_setup.h"

#include "cli/sim_state.h"

namespace ax7::cli {

bool parseSimSetup(const GlobalOptions& options, SimSetup* out, std::string* error) {
  SimSetup setup;
  setup.faults.latencyMs = int(options.simLatencyMs);
  for (const std::string& spec : options.simFaults) {
    std::string why;
    if (!sim::ParseSimFault(spec, setup.faults, &why)) {
      *error = "--sim-fault " + spec + ": " + why;
      return false;
    }
  }
  if (!options.simStatePath.empty()) {
    sim::SimBox box;
    std::string why;
    if (!buildSimState(options.simStatePath, &box, &why)) {
      *error = "--sim-state: " + why;
      return false;
    }
    setup.state = std::move(box);
  }
  if (!options.simSerial.empty()) setup.serial = options.simSerial;
  *out = std::move(setup);
  return true;
}

std::unique_ptr<sim::SimBackend> makeSimBackend(Clock& clock, const SimSetup& setup) {
  auto backend = std::make_unique<sim::SimBackend>(clock, setup.faults, setup.serial);
  if (setup.state) backend->withBox([&](sim::SimBox& b) { b = *setup.state; });
  return backend;
}

}  // namespace ax7::cli
