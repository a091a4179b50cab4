#pragma once
// Checked named values (params/param_names.h) onto the box, through the one parameter path:
// Commands::SetParam and SetCompressor for parameters, the EQ senders for bands, with the
// window's encodings and rules.
#include <vector>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "params/param_names.h"

namespace ax7 {

// Stores and sends every value, in the order given; the fields of one compressor or one EQ set
// go out together where the first of them stands. The values must have passed CheckNamedValues
// (and CheckAgainstMemory, for bands).
void ApplyNamedValues(Commands& cmd, EqSenders& eq, const std::vector<NamedValue>& values);

}  // namespace ax7
