#include "params/write_plan.h"

namespace ax7 {

namespace {

using P = Param;
constexpr int kChannels = 8;
constexpr int kInputs = 4;

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

}  // namespace ax7
