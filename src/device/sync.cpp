#include "device/sync.h"

#include <algorithm>
#include <cmath>

#include "device/box_check.h"
#include "device/debug_log.h"
#include "dsp/biquad.h"
#include "params/band_record.h"
#include "params/room.h"
#include "params/saturate.h"

namespace ax7 {

namespace {

constexpr int kMasterVolumeTop = 100;

float muteWord(int32_t v) { return v != 0 ? 0.0f : 1.0f; }
float phaseWord(int32_t v) { return v != 0 ? -1.0f : 1.0f; }

}  // namespace

Synchroniser::Synchroniser(ParameterMemory& mem, UsbLink& link, Commands& cmd, EqSenders& eq)
    : mem_(mem), link_(link), cmd_(cmd), eq_(eq) {}

Synchroniser::~Synchroniser() { waitIdle(); }

void Synchroniser::startWorker(void (Synchroniser::*proc)()) {
  DebugLog("Start thread:SynchronizeData\n");
  running_.fetch_add(1);
  std::lock_guard lock(workersMutex_);
  workers_.push_back(link_.clock().startThread([this, proc] {
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
  if (ReportTrace* t = link_.trace()) t->phase(name);
}

void Synchroniser::LoadBoxMode(int mode) {
  mode = std::clamp(mode, 0, 3);
  mem_.dev.g_nCurrentMode = mode;
  cmd_.SendCommand(0x05, mode);
  startSynchronizeFromBox();
}

void Synchroniser::SynchronizeFromBox() {
  phase("SynchronizeFromBox");
  beginProgress(kFullReadRequests);
  mem_.dev.g_liveStatus.fill(0);
  link_.g_bStatusPoll = 0;
  link_.clock().sleepFor(kSyncFromBoxWaitMs);
  ReadAllFromBox();
  endProgress();
  if (ViewNotifier* view = link_.mainWindow()) view->post(kMsgSyncFinished, 0, 0);
  mem_.dev.g_liveStatus.fill(0);
  link_.g_bStatusPoll = 1;
}

void Synchroniser::SynchronizeToBox() {
  phase("SynchronizeToBox");
  beginProgress(ExpectedWriteReports());
  mem_.dev.g_liveStatus.fill(0);
  link_.g_bStatusPoll = 0;
  link_.clock().sleepFor(kSyncToBoxWaitMs);
  WriteAllToBox();
  endProgress();
  if (ViewNotifier* view = link_.mainWindow()) view->post(kMsgSyncFinished, 1, 0);
  mem_.dev.g_liveStatus.fill(0);
  link_.g_bStatusPoll = 1;
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
  auto req = [this](int block, int index, int count = 1) {
    cmd_.SendCommand(0x0A, 0x00, block, index, count);
  };
  for (int i = 4; i <= 15; ++i) req(1, i);
  for (int i = 26; i <= 34; ++i) req(1, i);
  for (int i = 45; i <= 52; ++i) req(1, i);
  for (int i : {26, 27, 7, 8, 9, 10, 11, 12, 20, 21, 22, 23, 24, 25}) req(2, i);
  req(3, 24, 2);
  req(3, 25, 2);
  for (int i : {7, 8, 9, 10, 11, 19, 20, 21, 22, 23}) req(3, i);
  for (int i : {10, 11, 12, 13, 14}) req(4, i);
  for (int i = 18; i <= 30; ++i) req(4, i);
  for (int ch = 0; ch < 8; ++ch) {
    req(5 + ch, 17, 2);
    req(5 + ch, 27, 7);
  }
  for (int i : {15, 16, 18, 19, 20, 21, 22, 23, 24, 25, 26, 28})
    for (int ch = 0; ch < 8; ++ch) req(5 + ch, i);
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
  cmd_.SendCommand(0x0A, 0x00, 1, 14, 1);
  cmd_.SendCommand(0x0A, 0x00, 4, 11, 1);
  link_.clock().sleepFor(50);
  mem_.dev.g_bParamsChanged = 0;
}

void Synchroniser::SendAllParams(bool softStart) {
  auto& pc = mem_.pc;
  auto byteWord = [this](int block, int index, int v) {
    const uint32_t w = ByteWord(v);
    cmd_.WriteDspWords(block, index, &w, 1);
  };
  auto level = [this, &pc](int block, int index, int word, int count = 1) {
    cmd_.WriteDspParam(block, index, EncodeLevel(pc.getInt(word)), count);
  };

  if (softStart) {
    cmd_.WriteDspParam(1, 14, 0.0f, 1);
    cmd_.WriteDspParam(4, 11, 0.0f, 1);
  }
  byteWord(1, 26, pc.getInt(5));
  byteWord(3, 7, pc.getInt(43));
  byteWord(2, 7, pc.getInt(29));
  byteWord(1, 45, pc.getInt(13));
  byteWord(3, 19, pc.getInt(47));
  byteWord(2, 20, pc.getInt(35));
  byteWord(4, 10, pc.getInt(61));

  for (int ch = 0; ch < 8; ++ch) {
    const int b = 5 + ch;
    byteWord(b, 15, pc.getInt(105 + ch));
    byteWord(b, 19, pc.getInt(161 + ch));
    eq_.SetHighFreqDelay(ch, pc.getInt(169 + ch));
    const float delay = std::max(1.5f, pc.getFloat(153 + ch));
    pc.setFloat(153 + ch, delay);
    const uint32_t samples = uint32_t(EncodeSamples(delay));
    cmd_.WriteDspWords(b, 18, &samples, 1);
    level(b, 20, 65 + ch);
    level(b, 21, 73 + ch);
    level(b, 22, 81 + ch);
    level(b, 23, 89 + ch);
    cmd_.WriteDspParam(b, 26, muteWord(pc.getInt(177 + ch)), 1);
    cmd_.WriteDspParam(b, 25, phaseWord(pc.getInt(185 + ch)), 1);
    byteWord(b, 16, pc.getInt(97 + ch));
    byteWord(b, 28, pc.getInt(113 + ch));
    cmd_.SetCompressor(ch, pc.getFloat(121 + ch), pc.getFloat(129 + ch), pc.getFloat(137 + ch),
                       pc.getFloat(145 + ch));
    cmd_.SetRoomTrim(ch, RoomTrimDb(mem_, ch));
    level(b, 24, 199 + ch);
  }

  cmd_.WriteDspParam(1, 34, EncodeMaster(pc.getInt(18)), 1);
  cmd_.WriteDspParam(1, 53, EncodeMaster(pc.getInt(18)), 1);
  cmd_.WriteDspParam(1, 15, muteWord(pc.getInt(17)), 1);
  cmd_.SetMusicMute(pc.getInt(60));
  cmd_.WriteDspParam(3, 25, muteWord(pc.getInt(52)), 2);
  cmd_.WriteDspParam(2, 27, muteWord(pc.getInt(42)), 1);

  // Every microphone input feeds exactly one group; group A wins when both were set.
  for (int i = 0; i < 4; ++i) {
    const bool toA = pc.getInt(1 + i) != 0;
    pc.setInt(1 + i, toA ? 100 : 0);
    cmd_.WriteDspParam(1, 27 + i, toA ? 1.0f : 0.0f, 1);
    pc.setInt(9 + i, toA ? 0 : 100);
    cmd_.WriteDspParam(1, 46 + i, toA ? 0.0f : 1.0f, 1);
  }

  for (int i = 0; i < 4; ++i) level(1, 4 + i, 19 + i);
  for (int i = 0; i < 4; ++i) cmd_.WriteDspParam(1, 8 + i, EncodeGate(pc.getInt(23 + i)), 1);

  level(3, 24, 51, 2);
  level(2, 26, 41);

  byteWord(4, 30, pc.getInt(195));
  byteWord(4, 20, pc.getInt(63));
  level(4, 21, 54);
  level(4, 22, 57);
  level(4, 27, 56);
  level(4, 23, 55);
  level(4, 24, 196);
  level(4, 25, 197);
  level(4, 26, 198);
  level(4, 28, 58);
  level(4, 29, 59);

  cmd_.SetShiftFreqA(pc.getInt(7));
  level(2, 8, 30);
  level(3, 8, 44);
  cmd_.SetReverbPredelayA(pc.getFloat(45));
  cmd_.SetReverbTimeA(SaturateToInt32(pc.getFloat(46)));
  cmd_.SetEchoPredelayA(pc.getFloat(31));
  cmd_.SetEchoTimeA(pc.getFloat(32));
  level(2, 11, 33);
  level(2, 12, 34);

  cmd_.SetShiftFreqB(pc.getInt(15));
  level(2, 21, 36);
  level(3, 20, 48);
  cmd_.SetReverbPredelayB(pc.getFloat(49));
  cmd_.SetReverbTimeB(SaturateToInt32(pc.getFloat(50)));
  cmd_.SetEchoPredelayB(pc.getFloat(37));
  cmd_.SetEchoTimeB(pc.getFloat(38));
  level(2, 24, 39);
  level(2, 25, 40);

  byteWord(4, 18, int(pc.raw(62) + 5u));  // only the low byte is sent; no overflow on wild words
  byteWord(4, 13, pc.getInt(193));
  cmd_.SetMusicAgcLevel(pc.raw(194));
  cmd_.WriteDspParam(4, 19, EncodeGate(pc.getInt(64)), 1);
  byteWord(1, 12, pc.getInt(27));
  level(1, 13, 28);
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
  // Microphone A and B, echo A and B, reverb A and B, music, then the outputs.
  for (int set : {0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
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
  const int mic = std::min(mem_.pc.getInt(0), kMasterVolumeTop);
  if (mic < 80) {
    cmd_.WriteDspParam(1, 14, EncodeMaster(mic), 1);
  } else {
    for (int i = 80; i <= mic; ++i) cmd_.WriteDspParam(1, 14, EncodeMaster(i), 1);
  }
  const int music = std::min(mem_.pc.getInt(53), kMasterVolumeTop);
  if (music < 70) {
    cmd_.WriteDspParam(4, 11, EncodeMaster(music), 1);
  } else {
    for (int i = 70; i <= music; ++i) {
      cmd_.WriteDspParam(4, 11, EncodeMaster(i), 1);
      link_.clock().sleepFor(100);
    }
  }
}

int Synchroniser::ExpectedWriteReports() const {
  const auto& pc = mem_.pc;
  const bool softStart = mem_.dev.g_settingsCurrent.get(0) == 1;
  // A shift value outside 0..5 (only a damaged file holds one) sends nothing.
  auto shift = [&](int word) {
    const int v = pc.getInt(word);
    return v == 1 ? 1 : (v >= 0 && v <= 5 ? 3 : 0);
  };
  int n = softStart ? 2 : 0;
  n += 7;                                                    // EQ bypasses
  n += 8 * 20;                                               // output channels
  n += 5 + (pc.getInt(60) != 0 ? 1 : 10);                    // masters, mutes, music fade
  n += 8 + 8 + 2 + 11;                                       // routing, inputs, effects, music
  n += shift(7) + 2 + 3 + 4 + shift(15) + 2 + 3 + 4 + 6;     // groups A and B, the rest
  n += 23 + 1;                                               // box image and room trims
  n += 2 * 10 + 4 * 7 + 10 + 8 * 13;                         // every EQ section
  if (softStart) {
    const int mic = std::min(pc.getInt(0), kMasterVolumeTop);
    const int music = std::min(pc.getInt(53), kMasterVolumeTop);
    n += mic < 80 ? 1 : mic - 79;
    n += music < 70 ? 1 : music - 69;
  }
  return n + 2;  // master volume read-back
}

}  // namespace ax7
