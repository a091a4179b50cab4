#pragma once
// The box's settings and live status as JSON, by the public names of params/param_names.h: what
// ax7ctl params, get and status print and what the server answers.
#include <array>
#include <cstdint>

#include "params/memory.h"
#include "params/param_names.h"
#include "server/json.h"

namespace ax7::server {

// Bytes of the live status record.
constexpr int kStatusMicLevels = 0;     // four
constexpr int kStatusMusicLevels = 4;   // two
constexpr int kStatusMusicFormat = 7;
constexpr int kStatusWireless1 = 8;     // RF, AF, channel, battery
constexpr int kStatusWireless2 = 12;    // RF, AF, channel (its battery is not in the record)

// Whole numbers as integers; others as the shortest decimal of the double; null when not finite.
Json plainJson(double v);
// A value in display units: choices by name, numbers as their text shows them, so JSON and
// text agree digit for digit.
Json valueJson(const ParamName& name, double value);
// One name of the table: type, unit, range, step, choices, instances, DSP address.
Json describeJson(const ParamName& name);
// {"api_version": 1, "params": [...]}: the whole table.
Json paramsDocument();
// Every name and its value as memory holds it, in the table's order.
Json valuesJson(const ParameterMemory& mem);
// The live status record: levels, music format, the two wireless microphones.
Json statusJson(const std::array<uint8_t, kLiveStatusSize>& status);

}  // namespace ax7::server
