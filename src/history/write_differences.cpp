#include "history/write_differences.h"

#include <algorithm>
#include <array>

#include "device/sync.h"
#include "dsp/biquad.h"
#include "params/band_record.h"
#include "params/eq_sets.h"
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

// A step of the full write with what it owns, listed once: every write of differences asks
// for each step's words and bytes several times.
struct PlanStep {
  WriteStep step;
  StepWordList words;
  StepByteRanges bytes;
};

const std::vector<PlanStep>& planSteps() {
  static const std::vector<PlanStep> steps = [] {
    std::vector<PlanStep> out;
    for (const WriteStep& t : FullWritePlan()) out.push_back({t, StepWords(t), StepBoxBytes(t)});
    return out;
  }();
  return steps;
}

bool targetDiffers(const PlanStep& t, const ParameterMemory& a, const ParameterMemory& b) {
  for (int w : t.words)
    if (a.pc.raw(size_t(w)) != b.pc.raw(size_t(w))) return true;
  for (const auto& [address, length] : t.bytes)
    for (int i = 0; i < length; ++i)
      if (byteAt(a, address + i) != byteAt(b, address + i)) return true;
  return false;
}

void copyTarget(const PlanStep& t, ParameterMemory& to, const ParameterMemory& from) {
  for (int w : t.words) to.pc.setRaw(size_t(w), from.pc.raw(size_t(w)));
  for (const auto& [address, length] : t.bytes)
    for (int i = 0; i < length; ++i) setByteAt(to, address + i, byteAt(from, address + i));
}

// One side's settings as the full write leaves them in memory (clamped times, one group per
// microphone, split records that follow the delay mode), one step at a time. A step's send reads
// and fixes up only the step's own words and bytes, and no two steps share any, so a step taken
// alone ends as it does in the whole write, and only steps that differ need taking.
class Normalised {
 public:
  Normalised(Commands& like, bool soft) : cmd_(mem, like.link(), like.clock(), &sink_), eq_(cmd_) {
    mem.dev.g_settingsCurrent.set(0, soft ? 1 : 0);
  }
  Normalised(const Normalised&) = delete;
  Normalised& operator=(const Normalised&) = delete;

  // The step of `side` as the write leaves it; returns the reports its send made.
  int take(const PlanStep& t, const ParameterMemory& side) {
    copyTarget(t, mem, side);
    const int before = sink_.count;
    sendTarget(cmd_, eq_, t.step);
    return sink_.count - before;
  }

  ParameterMemory mem;

 private:
  CountingSink sink_;
  Commands cmd_;
  EqSenders eq_;
};

// PC words that no step of the write carries (nor the master volumes).
const std::array<bool, kPcWords>& wordsOfNoStep() {
  static const std::array<bool, kPcWords> none = [] {
    std::array<bool, kPcWords> owned{};
    for (const PlanStep& t : planSteps())
      for (int w : t.words) owned[size_t(w)] = true;
    for (P p : {P::MicMaster, P::MusicMaster}) owned[size_t(Describe(p).word)] = true;
    std::array<bool, kPcWords> out{};
    for (size_t w = 0; w < out.size(); ++w) out[w] = !owned[w];
    return out;
  }();
  return none;
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
  // Steps whose words and bytes are the same on both sides stay the same after the fix-ups.
  Normalised from(cmd, softStart(live)), to(cmd, softStart(live));
  // Whether the step differs once both sides are fixed up; `reports`: what the target's makes.
  auto differs = [&](const PlanStep& t, int& reports) {
    if (!targetDiffers(t, live, target)) return false;
    from.take(t, live);
    reports = to.take(t, target);
    return targetDiffers(t, from.mem, to.mem);
  };

  int sent = 0;
  for (const PlanStep& t : planSteps()) {
    int reports = 0;
    if (t.step.kind == WriteStep::Kind::Master && masters == MasterVolumes::Restored) {
      if (!differs(t, reports)) continue;
      // As the edit being taken back sent it.
      copyTarget(t, live, to.mem);
      cmd.SendParam(t.step.param);
      ++sent;
      continue;
    }
    // The full write leaves the box's master volumes alone unless it ramps them.
    if (t.step.kind == WriteStep::Kind::Master && !softStart(live)) continue;
    if (!differs(t, reports)) continue;
    copyTarget(t, live, to.mem);
    sendTarget(cmd, eq, t.step);
    sent += reports;
  }

  // Words that no report carries still follow the target, so memory holds what was loaded.
  const auto& unsent = wordsOfNoStep();
  for (size_t w = 0; w < unsent.size(); ++w)
    if (unsent[w]) live.pc.setRaw(w, target.pc.raw(w));

  // A changed band: its record as stored, then its section as the full write designs it. Each
  // band writes only its own record, so both images are read once.
  const auto haveBands = live.boxImage.snapshot();
  const auto wantBands = target.boxImage.snapshot();
  for (int set : kEqSetWriteOrder) {
    for (int band = 0; band < EqSetBandCount(set); ++band) {
      const EqSenders::BandAddress a = EqSenders::AddressOf(set, band);
      const size_t offset = size_t(BandRecordOffset(a.group, a.band));
      if (std::equal(haveBands.begin() + offset, haveBands.begin() + offset + kBandRecordSize,
                     wantBands.begin() + offset))
        continue;
      PackedBand want;
      std::copy_n(wantBands.begin() + offset, want.size(), want.begin());
      live.boxImage.copyIn(offset, want.data(), want.size());
      cmd.WriteBoxMemory(int(offset), want.data(), int(want.size()));
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
