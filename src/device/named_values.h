#pragma once
// Checked named values (params/param_names.h) onto the box, through the one parameter path:
// Commands::SetParam and SetCompressor for parameters, the EQ senders for bands, with the
// window's encodings and rules.
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "params/param_names.h"

namespace ax7 {

// Stores and sends every value, in the order given; the fields of one compressor or one EQ set
// go out together where the first of them stands. The values must have passed CheckNamedValues
// (and CheckAgainstMemory, for bands).
// Whether a value is a master volume whose maximum the box's settings record holds (read it
// first: 0x92).
bool NeedsBoxMaximum(const std::vector<NamedValue>& values);
// A master volume above the maximum the box allows is refused, as the window holds its slider
// there; false with "NAME=VALUE: reason".
bool CheckBoxMaximum(const DeviceState& dev, const std::vector<NamedValue>& values,
                     std::string* error);

void ApplyNamedValues(Commands& cmd, EqSenders& eq, const std::vector<NamedValue>& values);

}  // namespace ax7
