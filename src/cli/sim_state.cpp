#include "cli/sim_state.h"

#include <bit>

#include "cli/mode_file_io.h"
#include "core/core.h"
#include "sim/sim_backend.h"

namespace ax7::cli {

bool buildSimState(const std::string& path, sim::SimBox* box, std::string* error) {
  VirtualClock clock;
  sim::SimBackend backend(clock);
  Core core(backend, clock);
  int version = 0;
  if (!loadModeInput(path, core.mem, &version, error)) return false;
  core.mem.dev.g_settingsCurrent.set(0, 0);  // soft start off
  // Taken now: the read-back at the end of the transfer replaces them with the box's values.
  const ParamDesc& mic = Describe(Param::MicMaster);
  const ParamDesc& music = Describe(Param::MusicMaster);
  const int micMaster = core.mem.pc.getInt(size_t(mic.word));
  const int musicMaster = core.mem.pc.getInt(size_t(music.word));
  if (!core.link.OpenUsbDevice(nullptr)) {
    *error = "the simulated box did not open";
    return false;
  }
  core.sync.WriteAllToBox();
  core.link.CloseUsbDevice(false);

  // Without soft start the master volumes are never written, and the room block is written
  // only by the room page; a box that was set up from this file holds them all the same.
  const ParameterMemory& mem = core.mem;
  backend.withBox([&](sim::SimBox& b) {
    b.setDspParam(mic.block, mic.index, {std::bit_cast<uint32_t>(EncodeMaster(micMaster))});
    b.setDspParam(music.block, music.index,
                  {std::bit_cast<uint32_t>(EncodeMaster(musicMaster))});
    const auto room = mem.roomBlock.snapshot();
    b.setMemory(kRoomBlockAddress, room.data(), int(room.size()));
    *box = b;
  });
  return true;
}

}  // namespace ax7::cli
