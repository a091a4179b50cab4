#pragma once
// --sim-state: the simulated box starts in the state a PC-to-box synchronisation of a mode
// file (soft start off) leaves it in.
#include <string>

#include "sim/sim_box.h"

namespace ax7::cli {

// Runs the real synchronisation path in process against a scratch simulated box and returns
// that box. False with a one-line reason when the file is refused.
bool buildSimState(const std::string& path, sim::SimBox* box, std::string* error);

}  // namespace ax7::cli
