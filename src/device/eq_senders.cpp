#include "device/eq_senders.h"

#include <algorithm>
#include <array>
#include <bit>

#include "dsp/crossover.h"
#include "dsp/section_type.h"
#include "params/band_record.h"
#include "params/eq_sets.h"

namespace ax7 {

namespace {

constexpr int kSampleRateHz = 48000;
constexpr int kChannels = kOutputEqSets;
constexpr int kSplitHighPassBand = kSplitHighPassSlot;
constexpr int kSplitLowPassBand = kSplitLowPassSlot;
constexpr float kResetQ = 1.41f;
constexpr float kSplitQ = 0.707f;
constexpr int kPeq = 1;
constexpr int kLowPass = 2;
constexpr int kHighPass = 3;

static_assert(kSampleRateHz == int(dsp::kSampleRate), "bands are designed for the box's rate");

bool validChannel(int channel) {
  return channel >= 0 && channel < kChannels;
}
bool validSet(int set) {
  return ValidEqSet(set);
}
bool isTenBandSet(int set) {
  return ValidEqSet(set) && !IsOutputEqSet(set) && DescribeEqSet(set).bands == 10;
}
bool isOutputSet(int set) {
  return IsOutputEqSet(set);
}

int splitHighPassHz(int entry) {
  return 500 + 100 * entry;
}
int splitLowPassHz(int entry) {
  return 1000 + 100 * entry;
}

// Bands a set's sender accepts: the EQ bands, plus the two split sections of an output.
int senderBandCount(int set) {
  return EqSetRecordSlots(set);
}

void sendBand(EqSenders& eq, Commands& cmd, int set, int band, int type, float gainDb,
              int frequency, float q) {
  const EqSenders::BandAddress a = EqSenders::AddressOf(set, band);
  if (a.block == 0) return;
  eq.StoreBandRecord(a.group, a.band, gainDb, float(frequency), q, type);
  cmd.WriteBiquad(a.block, a.index, dsp::designSection(type, gainDb, frequency, q));
}

// The journal names a record by its EQ set and band; the records of the sets tile the image.
EditKey bandKeyAt(int offset) {
  for (int set = 0; set < kEqSetCount; ++set) {
    const int at = offset - EqSetOffset(set);
    if (at >= 0 && at < senderBandCount(set) * kBandRecordSize && at % kBandRecordSize == 0) {
      return {EditKey::Kind::Band, set, at / kBandRecordSize};
    }
  }
  return {EditKey::Kind::Band, -1, offset};
}

void resetSet(EqSenders& eq, Commands& cmd, int set) {
  if (!validSet(set)) return;
  cmd.noteEdit({EditKey::Kind::EqSet, set, 0});
  for (int b = 0; b < EqSetBandCount(set); ++b) {
    sendBand(eq, cmd, set, b, kPeq, 0.0f, EqSetResetFrequency(set, b), kResetQ);
  }
}

}  // namespace

EqSenders::EqSenders(Commands& cmd) : cmd_(cmd) {}

EqSenders::BandAddress EqSenders::AddressOf(int set, int band) {
  if (!validSet(set) || band < 0 || band >= senderBandCount(set)) return {0, 0, 0, 0};
  const EqSetDesc& d = DescribeEqSet(set);
  return {d.block, d.firstRecord + band, d.block, d.firstIndex + band};
}

void EqSenders::StoreBandRecord(int group, int band, float gainDb, float frequency, float q,
                                int type) {
  const int offset = BandRecordOffset(group, band);
  if (offset < 0 || offset > kBoxImageSize - kBandRecordSize) return;
  cmd_.noteEdit(bandKeyAt(offset));
  const PackedBand record = PackBandRecord(type, gainDb, frequency, q);
  PutBandRecord(cmd_.memory(), group, band, record);
  cmd_.WriteBoxMemory(offset, record.data(), int(record.size()));
}

void EqSenders::SendEqBand(int set, int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, set, band, type, gainDb, frequency, q);
}
void EqSenders::SendMicAEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kMicAEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendMicBEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kMicBEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendReverbAEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kReverbAEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendReverbBEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kReverbBEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendEchoAEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kEchoAEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendEchoBEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kEchoBEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendMusicEqBand(int band, int type, float gainDb, int frequency, float q) {
  sendBand(*this, cmd_, kMusicEqSet, band, type, gainDb, frequency, q);
}
void EqSenders::SendOutputEqBand(int channel, int band, int type, float gainDb, int frequency,
                                 float q) {
  if (!validChannel(channel)) return;
  sendBand(*this, cmd_, OutputEqSet(channel), band, type, gainDb, frequency, q);
}

void EqSenders::ResendEqSet(int set) {
  ParameterMemory& mem = cmd_.memory();
  for (int b = 0; b < EqSetBandCount(set); ++b) {
    const BandAddress a = AddressOf(set, b);
    const int offset = BandRecordOffset(a.group, a.band);
    // The stored bytes go back unchanged: decoding and packing again is not exact for every
    // code, and a re-send must never alter what the box keeps.
    PackedBand record;
    mem.boxImage.copyOut(size_t(offset), record.data(), record.size());
    cmd_.WriteBoxMemory(offset, record.data(), int(record.size()));
    const BandRecord r = UnpackBandRecord(record.data());
    cmd_.WriteBiquad(a.block, a.index, dsp::designSection(r.type, r.gainDb, int(r.frequency), r.q));
  }
}

void EqSenders::ResetEqSet(int set) {
  resetSet(*this, cmd_, set);
}
void EqSenders::ResetMicAEq() {
  resetSet(*this, cmd_, kMicAEqSet);
}
void EqSenders::ResetMicBEq() {
  resetSet(*this, cmd_, kMicBEqSet);
}
void EqSenders::ResetReverbAEq() {
  resetSet(*this, cmd_, kReverbAEqSet);
}
void EqSenders::ResetReverbBEq() {
  resetSet(*this, cmd_, kReverbBEqSet);
}
void EqSenders::ResetEchoAEq() {
  resetSet(*this, cmd_, kEchoAEqSet);
}
void EqSenders::ResetEchoBEq() {
  resetSet(*this, cmd_, kEchoBEqSet);
}
void EqSenders::ResetMusicEq() {
  resetSet(*this, cmd_, kMusicEqSet);
}
void EqSenders::ResetOutputEq(int channel) {
  if (validChannel(channel)) resetSet(*this, cmd_, OutputEqSet(channel));
}

bool EqSenders::CopyEqSet(int source, int target) {
  if (!validSet(source) || !validSet(target)) return false;
  cmd_.noteEdit({EditKey::Kind::EqSet, target, 0});
  ParameterMemory& mem = cmd_.memory();
  const int n = std::min(EqSetBandCount(source), EqSetBandCount(target));
  const size_t bytes = size_t(n * kBandRecordSize);
  std::array<uint8_t, kOutputRecordSlots * kBandRecordSize> buffer{};
  mem.boxImage.copyOut(size_t(EqSetOffset(source)), buffer.data(), bytes);
  mem.boxImage.copyIn(size_t(EqSetOffset(target)), buffer.data(), bytes);

  // The crossover band of an output set, band 9 of a ten-band set.
  const int last = EqSetOffset(target) + dsp::kCrossoverBand * kBandRecordSize;
  if (isTenBandSet(source) && isOutputSet(target)) {
    // The three extra output bands become flat at band 9's frequency and Q. Their bytes are
    // taken as stored, so the copy is exact.
    PackedBand flat;
    mem.boxImage.copyOut(size_t(last), flat.data(), flat.size());
    const PackedBand zeroGain = PackBandRecord(kPeq, 0.0f, 0.0f, 0.0f);
    flat[0] = zeroGain[0];
    flat[1] = zeroGain[1];
    flat[6] = uint8_t(kPeq);
    for (int b = dsp::kCrossoverBand + 1; b < dsp::kCrossoverBand + dsp::kCrossoverSections; ++b) {
      mem.boxImage.copyIn(size_t(EqSetOffset(target) + b * kBandRecordSize), flat.data(),
                          flat.size());
    }
  } else if (isOutputSet(source) && isTenBandSet(target)) {
    // A crossover section has no partner in a 10-band EQ; keep its direction as a plain pass.
    const size_t typeAt = size_t(last + 6);
    const uint8_t type = mem.boxImage.get(typeAt);
    if (dsp::isCrossoverType(type)) {
      mem.boxImage.set(typeAt, uint8_t(type % 2 == 0 ? kLowPass : kHighPass));
    }
  }
  ResendEqSet(target);
  return true;
}

void EqSenders::SetHighFreqSplit(int channel, int entry) {
  if (!validChannel(channel) || entry < 0 || entry >= kSplitEntries) return;
  SendOutputEqBand(channel, kSplitHighPassBand, kHighPass, 0.0f, splitHighPassHz(entry), kSplitQ);
  SendOutputEqBand(channel, kSplitLowPassBand, kLowPass, 0.0f, splitLowPassHz(entry), kSplitQ);
}

int EqSenders::FindHighFreqSplit(int channel) const {
  if (!validChannel(channel)) return 0;
  const BandRecord r = LoadEqSetRecord(cmd_.memory(), OutputEqSet(channel), kSplitHighPassBand);
  const int hz = int(r.frequency);
  for (int i = 0; i < kSplitEntries; ++i) {
    if (splitHighPassHz(i) == hz) return i;
  }
  return 0;
}

void EqSenders::SetHighFreqDelay(int channel, int mode) {
  if (!validChannel(channel)) return;
  cmd_.noteEdit({EditKey::Kind::Param, int(Param::DelayMode), channel});
  cmd_.memory().pc.setInt(size_t(Describe(Param::DelayMode).wordOf(channel)), mode);
  cmd_.SendParam(Param::DelayMode, channel);
  // Taken before records 13 and 14 change, so that switching back restores this split.
  const int entry = FindHighFreqSplit(channel);
  if (mode == 1) {
    SendOutputEqBand(channel, kSplitHighPassBand, kPeq, 0.0f, splitHighPassHz(entry), kSplitQ);
    SendOutputEqBand(channel, kSplitLowPassBand, kPeq, 0.0f, splitLowPassHz(entry), kSplitQ);
  } else {
    SetHighFreqSplit(channel, entry);
  }
}

}  // namespace ax7
