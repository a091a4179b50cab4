#include "device/sync.h"

#include <algorithm>
#include <cmath>

#include "device/box_check.h"
#include "device/debug_log.h"
#include "dsp/biquad.h"
#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/room.h"
#include "params/saturate.h"

namespace ax7 {

namespace {

constexpr int kMasterVolumeTop = 100;

using P = Param;

constexpr uint8_t kCmdLoadMode = 0x05;

// Parameters read back from the box, in the order they are asked for; per-input and
// per-channel parameters are asked for every instance in turn.
constexpr P kReadBack[] = {
    P::MicVolume,      P::MicGate,       P::AutoSubSwitch,  P::AutoSubAmount,   P::MicMaster,
    P::MicMute,        P::MicAEqBypass,  P::MicToA,         P::ShiftFreqA,      P::ShiftPeriodA,
    P::ShiftOffA,      P::EffectMaster,  P::MicBEqBypass,   P::MicToB,          P::ShiftFreqB,
    P::ShiftPeriodB,   P::ShiftOffB,     P::EchoMaster,     P::EchoMute,        P::EchoAEqBypass,
    P::EchoLevelA,     P::EchoPredelayA, P::EchoTimeA,      P::EchoStartVolA,   P::EchoDecayA,
    P::EchoBEqBypass,  P::EchoLevelB,    P::EchoPredelayB,  P::EchoTimeB,       P::EchoStartVolB,
    P::EchoDecayB,     P::ReverbMaster,  P::ReverbMute,     P::ReverbAEqBypass, P::ReverbLevelA,
    P::ReverbPredelayA, P::ReverbTimeA,  P::ReverbTimeA2,   P::ReverbBEqBypass, P::ReverbLevelB,
    P::ReverbPredelayB, P::ReverbTimeB,  P::ReverbTimeB2,   P::MusicEqBypass,   P::MusicMaster,
    P::MusicMute,      P::MusicAgcSwitch, P::MusicAgcLevel, P::MusicPitch,      P::MusicNoiseGate,
    P::MusicSource,    P::OpticalVolume, P::CoaxialVolume,  P::Hdmi1Volume,     P::Hdmi2Volume,
    P::Hdmi3Volume,    P::Hdmi4Volume,   P::BtVolume,       P::AuxVolume,       P::Aux2Volume,
    P::HdmiInput,
};

// Then channel by channel these two, and then each of these for every channel.
constexpr P kChannelPairs[] = {P::DelayMode, P::Compressor};
constexpr P kChannelRows[] = {P::OutEqBypass, P::SpeakerAssign, P::ChannelDelay, P::DelayOn,
                              P::MixDirect,   P::MixReverb,     P::MixEcho,      P::MixMusic,
                              P::ChannelLevel, P::ChannelPhase, P::ChannelMute,  P::CompressorOn};

}  // namespace

Synchroniser::Synchroniser(ParameterMemory& mem, UsbLink& link, Commands& cmd, EqSenders& eq,
                           SendQueue& queue)
    : mem_(mem), link_(link), cmd_(cmd), eq_(eq), queue_(queue) {}

Synchroniser::~Synchroniser() { waitIdle(); }

void Synchroniser::startWorker(void (Synchroniser::*proc)()) {
  DebugLog("Start thread:SynchronizeData\n");
  running_.fetch_add(1);
  std::lock_guard lock(workersMutex_);
  workers_.push_back(link_.clock().startThread([this, proc] {
    queue_.waitIdle();
    (this->*proc)();
    running_.fetch_sub(1);
  }));
}

void Synchroniser::waitIdle() {
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(workersMutex_);
    workers.swap(workers_);
  }
  for (auto& t : workers)
    if (t.joinable()) t.join();
}

void Synchroniser::startSynchronizeFromBox() { startWorker(&Synchroniser::SynchronizeFromBox); }
void Synchroniser::startSynchronizeToBox() { startWorker(&Synchroniser::SynchronizeToBox); }

void Synchroniser::beginProgress(int total) {
  startCount_.store(link_.writeCount());
  total_.store(total);
  finished_.store(false);
}

void Synchroniser::endProgress() { finished_.store(true); }

int Synchroniser::progressDone() const {
  const int total = total_.load();
  if (finished_.load()) return total;
  const uint64_t done = link_.writeCount() - startCount_.load();
  return int(std::min<uint64_t>(done, uint64_t(total)));
}

void Synchroniser::phase(const char* name) {
  cmd_.phase(name);
}

void Synchroniser::LoadBoxMode(int mode) {
  mode = std::clamp(mode, 0, 3);
  mem_.dev.g_nCurrentMode = mode;
  // Queued behind the window's edits; the worker starts reading once it has gone out.
  Report recall{};
  recall[0] = 0x02;
  recall[1] = kCmdLoadMode;
  recall[2] = uint8_t(mode);
  queue_.send(recall, MergeKey::None());
  startSynchronizeFromBox();
}

void Synchroniser::SynchronizeFromBox() {
  phase("SynchronizeFromBox");
  beginProgress(kFullReadRequests);
  mem_.dev.g_liveStatus.fill(0);
  link_.setStatusPoll(false);
  link_.clock().sleepFor(kSyncFromBoxWaitMs);
  ReadAllFromBox();
  endProgress();
  if (ViewNotifier* view = link_.mainWindow()) view->post(kMsgSyncFinished, 0, 0);
  mem_.dev.g_liveStatus.fill(0);
  link_.setStatusPoll(true);
}

void Synchroniser::SynchronizeToBox() {
  phase("SynchronizeToBox");
  beginProgress(ExpectedWriteReports());
  mem_.dev.g_liveStatus.fill(0);
  link_.setStatusPoll(false);
  link_.clock().sleepFor(kSyncToBoxWaitMs);
  WriteAllToBox();
  endProgress();
  if (ViewNotifier* view = link_.mainWindow()) view->post(kMsgSyncFinished, 1, 0);
  mem_.dev.g_liveStatus.fill(0);
  link_.setStatusPoll(true);
}

void Synchroniser::ReadAllFromBox() {
  bool matched = false;
  for (int attempt = 0; attempt < 2 && !matched; ++attempt) {
    cmd_.SendCommand(0x80);
    cmd_.SendCommand(0x7F);
    cmd_.SendCommand(0x81);
    matched = IsBoxModel(mem_.dev.g_szModule.get());
  }
  if (!matched) return;
  if (mem_.dev.g_nCmdVersion.load() != kAcceptedCmdVersion) return;
  cmd_.SendCommand(0x07);
  cmd_.SendCommand(0x95);
  RequestAllParams();
  RequestBoxImage();
  cmd_.SendCommand(0x92);
  cmd_.SendCommand(0x62);
  mem_.dev.g_bParamsChanged = 0;
  link_.clock().sleepFor(200);
}

void Synchroniser::RequestAllParams() {
  auto all = [this](P p) {
    for (int i = 0; i < Describe(p).instances; ++i) cmd_.RequestParam(p, i);
  };
  for (P p : kReadBack) all(p);
  for (int ch = 0; ch < Describe(P::DelayMode).instances; ++ch)
    for (P p : kChannelPairs) cmd_.RequestParam(p, ch);
  for (P p : kChannelRows) all(p);
}

void Synchroniser::RequestBoxImage() {
  auto req = [this](int address, int length) {
    cmd_.SendCommand(0x86, address >> 8, address & 0xFF, length);
  };
  for (int i = 0; i < 22; ++i) req(56 * i, 56);
  req(1232, 14);
  req(kRoomTrimAddress, kRoomTrimSize);
  req(kRoomBlockAddress, kRoomBlockSize);
}

void Synchroniser::WriteAllToBox() {
  const bool softStart = mem_.dev.g_settingsCurrent.get(0) == 1;
  SendAllParams(softStart);
  WriteBoxImage();
  ResendAllEq();
  if (softStart) RampMasterVolume();
  // The box reports its master volumes back, so words 0 and 53 show what it really uses.
  cmd_.RequestParam(P::MicMaster);
  cmd_.RequestParam(P::MusicMaster);
  link_.clock().sleepFor(50);
  mem_.dev.g_bParamsChanged = 0;
}

void SendWriteStep(Commands& cmd, EqSenders& eq, const WriteStep& step) {
  auto& pc = cmd.memory().pc;
  switch (step.kind) {
    case WriteStep::Kind::Routing: {
      // Every microphone input feeds exactly one group; group A wins when both were set.
      const size_t a = size_t(Describe(P::MicToA).wordOf(step.instance));
      const size_t b = size_t(Describe(P::MicToB).wordOf(step.instance));
      const bool toA = pc.getInt(a) != 0;
      pc.setInt(a, toA ? 100 : 0);
      cmd.SendParam(P::MicToA, step.instance);
      pc.setInt(b, toA ? 0 : 100);
      cmd.SendParam(P::MicToB, step.instance);
      return;
    }
    case WriteStep::Kind::Master:
      return;
    case WriteStep::Kind::Param:
      if (step.param == P::DelayMode) {
        eq.SetHighFreqDelay(step.instance,
                            pc.getInt(size_t(Describe(P::DelayMode).wordOf(step.instance))));
      } else {
        cmd.SendParam(step.param, step.instance);
      }
      return;
  }
}

void Synchroniser::SendAllParams(bool softStart) {
  if (softStart) {
    cmd_.WriteParamValue(P::MicMaster, 0, 0.0f);
    cmd_.WriteParamValue(P::MusicMaster, 0, 0.0f);
  }
  // The master volumes come last, from RampMasterVolume.
  for (const WriteStep& step : FullWritePlan()) SendWriteStep(cmd_, eq_, step);
}

void Synchroniser::WriteBoxImage() {
  uint8_t buf[56];
  for (int i = 0; i < 22; ++i) {
    mem_.boxImage.copyOut(size_t(56 * i), buf, 56);
    cmd_.WriteBoxMemory(56 * i, buf, 56);
  }
  mem_.boxImage.copyOut(1232, buf, 14);
  cmd_.WriteBoxMemory(1232, buf, 14);
  mem_.roomTrim.copyOut(0, buf, kRoomTrimSize);
  cmd_.WriteBoxMemory(kRoomTrimAddress, buf, kRoomTrimSize);
}

void Synchroniser::ResendAllEq() {
  for (int set : kEqSetWriteOrder) {
    const int bands = EqSetBandCount(set);
    for (int band = 0; band < bands; ++band) {
      const auto a = EqSenders::AddressOf(set, band);
      const BandRecord r = LoadBandRecord(mem_, a.group, a.band);
      cmd_.WriteBiquad(a.block, a.index,
                       dsp::designSection(r.type, r.gainDb, double(int(r.frequency)), r.q));
    }
  }
}

void Synchroniser::RampMasterVolume() {
  // A ramp ends at the top of the volume range: a wild word from a mode file must not turn
  // into billions of reports.
  const int mic =
      std::min(mem_.pc.getInt(size_t(Describe(P::MicMaster).word)), kMasterVolumeTop);
  if (mic < 80) {
    cmd_.WriteParamValue(P::MicMaster, 0, EncodeMaster(mic));
  } else {
    for (int i = 80; i <= mic; ++i) cmd_.WriteParamValue(P::MicMaster, 0, EncodeMaster(i));
  }
  const int music =
      std::min(mem_.pc.getInt(size_t(Describe(P::MusicMaster).word)), kMasterVolumeTop);
  if (music < 70) {
    cmd_.WriteParamValue(P::MusicMaster, 0, EncodeMaster(music));
  } else {
    for (int i = 70; i <= music; ++i) {
      cmd_.WriteParamValue(P::MusicMaster, 0, EncodeMaster(i));
      cmd_.pause(100);
    }
  }
}

int Synchroniser::ExpectedWriteReports() const {
  const auto& pc = mem_.pc;
  const bool softStart = mem_.dev.g_settingsCurrent.get(0) == 1;
  // A shift value outside 0..5 (only a damaged file holds one) sends nothing.
  auto word = [&](P p) { return pc.getInt(size_t(Describe(p).word)); };
  auto shift = [&](P p) {
    const int v = word(p);
    return v == 1 ? 1 : (v >= 0 && v <= 5 ? 3 : 0);
  };
  int n = softStart ? 2 : 0;
  n += 7;                                       // EQ bypasses
  n += 8 * 20;                                  // output channels
  n += 5 + (word(P::MusicMute) != 0 ? 1 : 10);  // masters, mutes, music fade
  n += 8 + 8 + 2 + 11;                          // routing, inputs, effects, music
  // Groups A and B, then the rest.
  n += shift(P::ShiftFreqA) + 2 + 3 + 4 + shift(P::ShiftFreqB) + 2 + 3 + 4 + 6;
  n += 23 + 1;                                  // box image and room trims
  n += 2 * 10 + 4 * 7 + 10 + 8 * 13;            // every EQ section
  if (softStart) {
    const int mic = std::min(word(P::MicMaster), kMasterVolumeTop);
    const int music = std::min(word(P::MusicMaster), kMasterVolumeTop);
    n += mic < 80 ? 1 : mic - 79;
    n += music < 70 ? 1 : music - 69;
  }
  return n + 2;  // master volume read-back
}

}  // namespace ax7
