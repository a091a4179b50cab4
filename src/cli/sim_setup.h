#pragma once
// The simulated box that the --sim-* options describe, shared by ax7ctl and ax7-control so both
// programs read the options the same way.
#include <memory>
#include <optional>
#include <string>

#include "cli/options.h"
#include "device/clock.h"
#include "sim/sim_backend.h"
#include "sim/sim_box.h"
#include "sim/sim_faults.h"

namespace ax7::cli {

struct SimSetup {
  sim::SimFaults faults;
  std::optional<sim::SimBox> state;  // --sim-state: the box starts holding this
  std::string serial = sim::SimBackend::kSerial;  // --sim-serial
};

// Reads --sim-latency, every --sim-fault in order, --sim-state and --sim-serial. False with a one-line reason
// naming the option ("--sim-fault SPEC: why", "--sim-state: why") when one is refused.
bool parseSimSetup(const GlobalOptions& options, SimSetup* out, std::string* error);

// A simulated box on `clock` as the setup describes.
std::unique_ptr<sim::SimBackend> makeSimBackend(Clock& clock, const SimSetup& setup);

}  // namespace ax7::cli
