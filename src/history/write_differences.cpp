#include "history/write_differences.h"

#include <algorithm>
#include <array>
#include <vector>

#include "device/sync.h"
#include "dsp/biquad.h"
#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/mode_file.h"
#include "params/room.h"
#include "params/write_plan.h"

namespace ax7::history {

namespace {

using P = Param;

uint8_t byteAt(const ParameterMemory& mem, int address) {
  if (address < kRoomTrimAddress) return mem.boxImage.get(size_t(address));
  if (address < kRoomBlockAddress) return mem.roomTrim.get(size_t(address - kRoomTrimAddress));
  return mem.roomBlock.get(size_t(address - kRoomBlockAddress));
}

void setByteAt(ParameterMemory& mem, int address, uint8_t v) {
  if (address < kRoomTrimAddress) {
    mem.boxImage.set(size_t(address), v);
  } else if (address < kRoomBlockAddress) {
    mem.roomTrim.set(size_t(address - kRoomTrimAddress), v);
  } else {
    mem.roomBlock.set(size_t(address - kRoomBlockAddress), v);
  }
}

bool softStart(const ParameterMemory& mem) {
  return mem.dev.g_settingsCurrent.get(0) == 1;
}

// What the full write's parameter phase does for one target, with the same encoders.
void sendTarget(Commands& cmd, EqSenders& eq, const WriteStep& t) {
  if (t.kind != WriteStep::Kind::Master) {
    SendWriteStep(cmd, eq, t);
    return;
  }
  if (!softStart(cmd.memory())) return;
  // Where the ramp ends, without the ramp: a switch between settings must not fade out.
  auto& pc = cmd.memory().pc;
  const int v = std::min(pc.getInt(size_t(Describe(t.param).word)), 100);
  cmd.WriteParamValue(t.param, 0, EncodeMaster(v));
}

// Reports are only counted: memory is what the scratch runs are for.
class CountingSink final : public FrameSink {
 public:
  int send(const Report&, MergeKey) override {
    ++count;
    return int(kReportSize);
  }
  void pause(int) override {}
  void phase(const char*) override {}
  int count = 0;
};

void copyMemory(ParameterMemory& to, const ParameterMemory& from) {
  LoadModeFileBytes(to, ModeFileBytes(from).data(), size_t(kModeFileSize));
  to.dev.g_settingsCurrent.set(0, from.dev.g_settingsCurrent.get(0));
}

// A copy of settings as the full write leaves them in memory (clamped times, one group per
// microphone, split records that follow the delay mode), with the reports of every target.
struct Normalised {
  ParameterMemory mem;
  std::vector<int> reports;  // per target of FullWritePlan()
};

void normalise(Normalised& n, const ParameterMemory& from, Commands& like, bool soft) {
  copyMemory(n.mem, from);
  n.mem.dev.g_settingsCurrent.set(0, soft ? 1 : 0);
  CountingSink sink;
  Commands cmd(n.mem, like.link(), like.clock(), &sink);
  EqSenders eq(cmd);
  n.reports.clear();
  for (const WriteStep& t : FullWritePlan()) {
    const int before = sink.count;
    sendTarget(cmd, eq, t);
    n.reports.push_back(sink.count - before);
  }
}

bool targetDiffers(const WriteStep& t, const ParameterMemory& a, const ParameterMemory& b) {
  for (int w : StepWords(t))
    if (a.pc.raw(size_t(w)) != b.pc.raw(size_t(w))) return true;
  for (const auto& [address, length] : StepBoxBytes(t))
    for (int i = 0; i < length; ++i)
      if (byteAt(a, address + i) != byteAt(b, address + i)) return true;
  return false;
}

void copyTarget(const WriteStep& t, ParameterMemory& to, const ParameterMemory& from) {
  for (int w : StepWords(t)) to.pc.setRaw(size_t(w), from.pc.raw(size_t(w)));
  for (const auto& [address, length] : StepBoxBytes(t))
    for (int i = 0; i < length; ++i) setByteAt(to, address + i, byteAt(from, address + i));
}

// The write restores settings as a whole; none of its sends is an edit of the user's.
class EditHookAside {
 public:
  explicit EditHookAside(Commands& cmd) : cmd_(cmd), saved_(cmd.editHook()) { cmd.setEditHook({}); }
  ~EditHookAside() { cmd_.setEditHook(std::move(saved_)); }
  EditHookAside(const EditHookAside&) = delete;
  EditHookAside& operator=(const EditHookAside&) = delete;

 private:
  Commands& cmd_;
  Commands::EditHook saved_;
};

}  // namespace

int WriteDifferences(Commands& cmd, EqSenders& eq, const ParameterMemory& target,
                     MasterVolumes masters) {
  ParameterMemory& live = cmd.memory();
  const EditHookAside quiet(cmd);
  // Both sides as the full write would leave them: a target whose words only differ in what
  // the write fixes up anyway (a time below its minimum, both routing words set) is unchanged.
  Normalised from, to;
  normalise(from, live, cmd, softStart(live));
  normalise(to, target, cmd, softStart(live));

  int sent = 0;
  const auto& order = FullWritePlan();
  for (size_t i = 0; i < order.size(); ++i) {
    const WriteStep& t = order[i];
    if (t.kind == WriteStep::Kind::Master && masters == MasterVolumes::Restored) {
      if (!targetDiffers(t, from.mem, to.mem)) continue;
      // As the edit being taken back sent it.
      copyTarget(t, live, to.mem);
      cmd.SendParam(t.param);
      ++sent;
      continue;
    }
    // The full write leaves the box's master volumes alone unless it ramps them.
    if (t.kind == WriteStep::Kind::Master && !softStart(live)) continue;
    if (!targetDiffers(t, from.mem, to.mem)) continue;
    copyTarget(t, live, to.mem);
    sendTarget(cmd, eq, t);
    sent += to.reports[i];
  }

  // Words that no report carries still follow the target, so memory holds what was loaded.
  std::array<bool, kPcWords> owned{};
  for (const WriteStep& t : order)
    for (int w : StepWords(t)) owned[size_t(w)] = true;
  for (P p : {P::MicMaster, P::MusicMaster}) owned[size_t(Describe(p).word)] = true;
  for (int w = 0; w < kPcWords; ++w)
    if (!owned[size_t(w)]) live.pc.setRaw(size_t(w), target.pc.raw(size_t(w)));

  // A changed band: its record as stored, then its section as the full write designs it.
  for (int set : kEqSetWriteOrder) {
    for (int band = 0; band < EqSetBandCount(set); ++band) {
      const EqSenders::BandAddress a = EqSenders::AddressOf(set, band);
      const int offset = BandRecordOffset(a.group, a.band);
      PackedBand have, want;
      live.boxImage.copyOut(size_t(offset), have.data(), have.size());
      target.boxImage.copyOut(size_t(offset), want.data(), want.size());
      if (have == want) continue;
      live.boxImage.copyIn(size_t(offset), want.data(), want.size());
      cmd.WriteBoxMemory(offset, want.data(), int(want.size()));
      const BandRecord r = UnpackBandRecord(want.data());
      cmd.WriteBiquad(a.block, a.index,
                      dsp::designSection(r.type, r.gainDb, double(int(r.frequency)), r.q));
      sent += 2;
    }
  }

  // The room layout goes with the trims it was measured for; the full write leaves it to the
  // room page, which would leave the box with the old layout under the new trims.
  const auto haveRoom = live.roomBlock.snapshot();
  const auto wantRoom = target.roomBlock.snapshot();
  if (haveRoom != wantRoom) {
    live.roomBlock.copyIn(0, wantRoom.data(), wantRoom.size());
    DecodeRoomBlock(live);
    cmd.WriteBoxMemory(kRoomBlockAddress, wantRoom.data(), int(wantRoom.size()));
    ++sent;
  }
  return sent;
}

int WriteDifferences(Commands& cmd, EqSenders& eq, const SettingsImage& target,
                     MasterVolumes masters) {
  ParameterMemory mem;
  if (!LoadImage(mem, target)) return 0;
  return WriteDifferences(cmd, eq, mem, masters);
}

}  // namespace ax7::history
