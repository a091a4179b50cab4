#pragma once
// The human-readable dump of `modefile show`.
#include <iosfwd>
#include <string>

#include "params/memory.h"

namespace ax7::cli {

void printModeFile(std::ostream& out, const std::string& path, const ParameterMemory& mem,
                   int version);

}  // namespace ax7::cli
