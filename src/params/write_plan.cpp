#include "params/write_plan.h"

#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/memory.h"

namespace ax7 {

namespace {

using P = Param;
constexpr int kChannels = 8;
constexpr int kInputs = 4;
constexpr int kSplitBands[] = {kSplitHighPassSlot, kSplitLowPassSlot};

}  // namespace

const std::vector<WriteStep>& FullWritePlan() {
  static const std::vector<WriteStep> plan = [] {
    std::vector<WriteStep> t;
    auto add = [&t](std::initializer_list<P> ps, int instance = 0) {
      for (P p : ps) t.push_back({WriteStep::Kind::Param, p, instance});
    };
    add({P::MicAEqBypass, P::ReverbAEqBypass, P::EchoAEqBypass, P::MicBEqBypass,
         P::ReverbBEqBypass, P::EchoBEqBypass, P::MusicEqBypass});
    for (int ch = 0; ch < kChannels; ++ch) {
      add({P::OutEqBypass, P::DelayOn, P::DelayMode, P::ChannelDelay, P::MixDirect, P::MixReverb,
           P::MixEcho, P::MixMusic, P::ChannelMute, P::ChannelPhase, P::SpeakerAssign,
           P::CompressorOn, P::Compressor, P::RoomTrim, P::ChannelLevel},
          ch);
    }
    add({P::EffectMaster, P::MicMute, P::MusicMute, P::ReverbMute, P::EchoMute});
    for (int i = 0; i < kInputs; ++i) t.push_back({WriteStep::Kind::Routing, P::MicToA, i});
    for (P p : {P::MicVolume, P::MicGate})
      for (int i = 0; i < kInputs; ++i) add({p}, i);
    add({P::ReverbMaster, P::EchoMaster, P::HdmiInput, P::MusicSource, P::OpticalVolume,
         P::CoaxialVolume, P::BtVolume, P::Hdmi1Volume, P::Hdmi2Volume, P::Hdmi3Volume,
         P::Hdmi4Volume, P::AuxVolume, P::Aux2Volume});
    add({P::ShiftFreqA, P::EchoLevelA, P::ReverbLevelA, P::ReverbPredelayA, P::ReverbTimeA,
         P::EchoPredelayA, P::EchoTimeA, P::EchoStartVolA, P::EchoDecayA});
    add({P::ShiftFreqB, P::EchoLevelB, P::ReverbLevelB, P::ReverbPredelayB, P::ReverbTimeB,
         P::EchoPredelayB, P::EchoTimeB, P::EchoStartVolB, P::EchoDecayB});
    add({P::MusicPitch, P::MusicAgcSwitch, P::MusicAgcLevel, P::MusicNoiseGate, P::AutoSubSwitch,
         P::AutoSubAmount});
    // With soft start the write ends by ramping the master volumes.
    t.push_back({WriteStep::Kind::Master, P::MicMaster, 0});
    t.push_back({WriteStep::Kind::Master, P::MusicMaster, 0});
    return t;
  }();
  return plan;
}

StepWordList StepWords(const WriteStep& t) {
  const ParamDesc& d = Describe(t.param);
  switch (t.kind) {
    case WriteStep::Kind::Routing:
      return {Describe(P::MicToA).wordOf(t.instance), Describe(P::MicToB).wordOf(t.instance)};
    case WriteStep::Kind::Master:
      return {d.word};
    case WriteStep::Kind::Param:
      break;
  }
  switch (d.encoding) {
    case Encoding::RoomTrim:
      return {};
    case Encoding::Compressor: {
      const int w = d.wordOf(t.instance);
      return {w, w + 8, w + 16, w + 24};
    }
    case Encoding::ShiftFreq:
      return {d.word, Describe(t.param == P::ShiftFreqA ? P::ShiftOffA : P::ShiftOffB).word};
    default:
      return {d.wordOf(t.instance)};
  }
}

StepByteRanges StepBoxBytes(const WriteStep& t) {
  if (t.kind != WriteStep::Kind::Param) return {};
  if (t.param == P::DelayMode) {
    StepByteRanges out;
    for (int band : kSplitBands)
      out.push_back({BandRecordOffset(DescribeEqSet(kFirstOutputEqSet + t.instance).block, band),
                     kBandRecordSize});
    return out;
  }
  if (t.param == P::RoomTrim) return {{kRoomTrimAddress + 4 * t.instance, 4}};
  return {};
}

}  // namespace ax7
