#pragma once
// The write that turns the box's settings into other settings by sending only what differs.
#include <cstdint>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "history/settings_image.h"
#include "params/memory.h"

namespace ax7::history {

// Turns what the box holds into `target`: the live memory is `cmd.memory()` (and is taken to be
// what the box holds); every parameter and band record that differs is stored in live memory
// and sent with the synchronisation's encoders, in its order, and nothing else is sent (a band:
// its record and its biquad section). The edit hook is not called. Returns the number of reports
// handed to the sink.
//
// Master volumes are the box's own, as in the full write (only a soft start sets them), unless
// `masters` is Restored: undo and redo take back a master volume edit like any other.
enum class MasterVolumes : uint8_t { LeftToTheBox, Restored };
int WriteDifferences(Commands& cmd, EqSenders& eq, const ParameterMemory& target,
                     MasterVolumes masters = MasterVolumes::LeftToTheBox);
int WriteDifferences(Commands& cmd, EqSenders& eq, const SettingsImage& target,
                     MasterVolumes masters = MasterVolumes::LeftToTheBox);

}  // namespace ax7::history
