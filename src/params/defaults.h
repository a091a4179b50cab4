#pragma once
#include "params/memory.h"

namespace ax7 {

// Start-up state of every block, so pages show sensible values before a box is connected.
void InitParameterMemory(ParameterMemory& mem);

}  // namespace ax7
