#pragma once
// write --changed: only the settings that differ from the box's go to the box.
#include <string>

#include "cli/command.h"

namespace ax7::cli {

// Reads the box, keeps its settings as a snapshot (unless `snapshot` is false; a failed
// snapshot stops the write), then writes only what differs from `path`, which the caller has
// already checked to be a mode file the box takes.
int runWriteChanged(Context& ctx, const std::string& path, bool snapshot);

}  // namespace ax7::cli
