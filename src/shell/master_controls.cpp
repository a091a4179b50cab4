#include "shell/master_controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "shell/app_state.h"
#include "shell/info_box.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "pages/step_slider.h"

namespace ax7::ui {

namespace {

constexpr int kNoticeMs = 1100;
constexpr int kMicMaxByte = 5;    // machine settings record: microphone maximum volume
constexpr int kMusicMaxByte = 6;  // music maximum volume

enum class Send { Mic, Effect, Reverb, Echo, Music, NoiseGate, Pitch };

struct Mute {
  int inputId;
  int word;
};
constexpr Mute kMutes[] = {
    {ID_CHK_MUTE1, kWordMicMute},
    {ID_CHK_MUTE2, kWordReverbMute},
    {ID_CHK_MUTE3, kWordEchoMute},
    {ID_CHK_MUTE4, kWordMusicMute},
};

}  // namespace

struct MasterControl {
  int sliderId;  // Input twin
  int labelId;   // Input twin; 0 for the pitch, whose value is in the panel caption
  MasterLabel label;
  int word;
  int muteWord;  // -1: no warning
  Send send;
};

namespace {

const MasterControl kControls[] = {
    {ID_SLIDER_MICVOL, ID_LABEL_MICVOL, MasterLabel::MicVolume, kWordMicVolume, kWordMicMute,
     Send::Mic},
    {ID_SLIDER_EFXVOL, ID_LABEL_EFXVOL, MasterLabel::EffectVolume, kWordEffectVolume, -1,
     Send::Effect},
    {ID_SLIDER_REVERBVOL, ID_LABEL_REVERBVOL, MasterLabel::ReverbVolume, kWordReverbVolume,
     kWordReverbMute, Send::Reverb},
    {ID_SLIDER_ECHOVOL, ID_LABEL_ECHOVOL, MasterLabel::EchoVolume, kWordEchoVolume, kWordEchoMute,
     Send::Echo},
    {ID_SLIDER_MUSICVOL, ID_LABEL_MUSICVOL, MasterLabel::MusicVolume, kWordMusicVolume,
     kWordMusicMute, Send::Music},
    {ID_SLIDER_NOISEGATE, ID_LABEL_NOISEGATE, MasterLabel::NoiseGate, kWordNoiseGate, -1,
     Send::NoiseGate},
    {ID_SLIDER_PITCH, 0, MasterLabel::NoiseGate, kWordPitch, -1, Send::Pitch},
};

}  // namespace

MasterControls::MasterControls(AppState& state, Ribbon& ribbon, InfoBoxHost& info, QObject* parent)
    : QObject(parent), state_(state), ribbon_(ribbon), info_(info) {}

const MasterControl* MasterControls::findSlider(int inputId) {
  for (const MasterControl& c : kControls) {
    if (c.sliderId == inputId) return &c;
  }
  return nullptr;
}

int MasterControls::activeValue(int inputSliderId) const {
  const int category =
      ribbon_.currentCategory() == kOutputCategory ? kOutputCategory : kInputCategory;
  auto* slider = ribbon_.controlAs<StepSlider>(TwinIn(category, inputSliderId));
  return slider ? slider->value() : 0;
}

void MasterControls::setTwinSliders(int inputSliderId, int value) {
  for (int category : {kInputCategory, kOutputCategory}) {
    if (auto* slider = ribbon_.controlAs<StepSlider>(TwinIn(category, inputSliderId))) {
      const QSignalBlocker block(slider);
      slider->setValue(value);
    }
  }
}

void MasterControls::setTwinLabels(const MasterControl& c, int value, LabelOccasion occasion) {
  const QString text = MasterLabelText(c.label, value, state_.g_nLanguage, occasion);
  for (int category : {kInputCategory, kOutputCategory}) {
    if (auto* label = ribbon_.controlAs<QLabel>(TwinIn(category, c.labelId))) label->setText(text);
  }
}

int MasterControls::maximumFor(const MasterControl& c) const {
  const int byte = c.send == Send::Mic ? kMicMaxByte : kMusicMaxByte;
  const int maximum = state_.core.mem.dev.g_settingsCurrent.get(size_t(byte));
  // The box reports 1..99. Until it has reported (a zero record), there is nothing to hold the
  // volume to; clamping to 0 would silence every change made without a box.
  return maximum >= 1 && maximum <= 99 ? maximum : 99;
}

bool MasterControls::handleSlider(int id) {
  const MasterControl* c = findSlider(InputTwin(id));
  if (!c) return false;
  int value = activeValue(c->sliderId);
  if (c->send == Send::Pitch) {
    applyPitch(value);
    return true;
  }
  applyVolume(*c, value);
  return true;
}

void MasterControls::stepSlider(int inputSliderId, int direction) {
  const MasterControl* c = findSlider(inputSliderId);
  if (!c) return;
  const int category =
      ribbon_.currentCategory() == kOutputCategory ? kOutputCategory : kInputCategory;
  auto* slider = ribbon_.controlAs<StepSlider>(TwinIn(category, inputSliderId));
  if (!slider) return;
  const int value = std::clamp(slider->value() + direction, slider->minimum(), slider->maximum());
  {
    const QSignalBlocker block(slider);
    slider->setValue(value);
  }
  handleSlider(inputSliderId);
}

void MasterControls::applyVolume(const MasterControl& c, int value) {
  Commands& cmd = state_.core.cmd;
  if (c.send == Send::Mic || c.send == Send::Music) {
    const int maximum = maximumFor(c);
    if (value > maximum) {
      info_.ShowInfoBox(
          c.send == Send::Mic
              ? state_.text("不能超过最大话筒音量!", "Mic vol can't over max value!")
              : state_.text("不能超过最大音乐音量!", "Music vol can't over max value!"),
          kNoticeMs);
      value = maximum;
    }
  }
  setTwinSliders(c.sliderId, value);

  state_.core.mem.pc.setInt(size_t(c.word), value);
  switch (c.send) {
    case Send::Mic:
      cmd.WriteDspParam(1, 14, EncodeMaster(value), 1);
      break;
    case Send::Effect:
      cmd.WriteDspParam(1, 34, EncodeMaster(value), 1);
      cmd.WriteDspParam(1, 53, EncodeMaster(value), 1);
      break;
    case Send::Reverb:
      cmd.WriteDspParam(3, 24, EncodeLevel(value), 2);
      break;
    case Send::Echo:
      cmd.WriteDspParam(2, 26, EncodeLevel(value), 1);
      break;
    case Send::Music:
      cmd.WriteDspParam(4, 11, EncodeMaster(value), 1);
      break;
    case Send::NoiseGate:
      cmd.WriteDspParam(4, 19, EncodeGate(value), 1);
      break;
    case Send::Pitch:
      break;
  }

  if (c.muteWord >= 0 && state_.core.mem.pc.getInt(size_t(c.muteWord)) != 0) {
    info_.ShowInfoBox(state_.text("当前是静音状态", "vol is mute"), kNoticeMs);
  }
  setTwinLabels(c, value, LabelOccasion::SliderChange);
}

void MasterControls::applyPitch(int value) {
  value = std::clamp(value, -5, 5);
  state_.core.mem.pc.setInt(kWordPitch, value);
  // The box takes the pitch as a whole number 0..10.
  const uint32_t word = uint32_t(value + 5);
  state_.core.cmd.WriteDspWords(4, 0x12, &word, 1);
  setTwinSliders(ID_SLIDER_PITCH, value);
  const int category =
      ribbon_.currentCategory() == kOutputCategory ? kOutputCategory : kInputCategory;
  ribbon_.setPanelText(category, 5,
                       PitchCaption(value, state_.g_nLanguage, LabelOccasion::SliderChange));
}

bool MasterControls::handleMute(int id) {
  const int inputId = InputTwin(id);
  const Mute* mute = nullptr;
  for (const Mute& m : kMutes) {
    if (m.inputId == inputId) mute = &m;
  }
  if (!mute) return false;
  ParameterMemory& mem = state_.core.mem;
  Commands& cmd = state_.core.cmd;
  const int muted = mem.pc.getInt(size_t(mute->word)) != 0 ? 0 : 1;
  // The box takes the mute as a gain: 0.0 silences, 1.0 passes.
  const float gain = muted ? 0.0f : 1.0f;
  switch (mute->word) {
    case kWordMicMute:
      mem.pc.setInt(kWordMicMute, muted);
      cmd.WriteDspParam(1, 15, gain, 1);
      break;
    case kWordReverbMute:
      mem.pc.setInt(kWordReverbMute, muted);
      cmd.WriteDspParam(3, 25, gain, 2);
      break;
    case kWordEchoMute:
      mem.pc.setInt(kWordEchoMute, muted);
      cmd.WriteDspParam(2, 27, gain, 1);
      break;
    case kWordMusicMute:
      cmd.SetMusicMute(muted);
      break;
  }
  updateMuteChecks();
  return true;
}

void MasterControls::updateMuteChecks() {
  for (const Mute& m : kMutes) {
    const bool muted = state_.core.mem.pc.getInt(size_t(m.word)) != 0;
    for (int category : {kInputCategory, kOutputCategory}) {
      if (auto* box = ribbon_.controlAs<QCheckBox>(TwinIn(category, m.inputId))) {
        if (box->isChecked() == muted) continue;
        const QSignalBlocker block(box);
        box->setChecked(muted);
      }
    }
  }
}

void MasterControls::RefreshRibbonValues() {
  const ParameterMemory& mem = state_.core.mem;
  for (const MasterControl& c : kControls) {
    if (c.send == Send::Pitch) continue;
    const int value = mem.pc.getInt(size_t(c.word));
    setTwinSliders(c.sliderId, value);
    setTwinLabels(c, value, LabelOccasion::Refresh);
  }
  const int pitch = mem.pc.getInt(kWordPitch);
  for (int category : {kInputCategory, kOutputCategory}) {
    if (auto* slider = ribbon_.controlAs<StepSlider>(TwinIn(category, ID_SLIDER_PITCH))) {
      const QSignalBlocker block(slider);
      slider->setRange(-5, 5);
      slider->setValue(pitch);
    }
  }
  const int category =
      ribbon_.currentCategory() == kOutputCategory ? kOutputCategory : kInputCategory;
  ribbon_.setPanelText(category, 5,
                       PitchCaption(pitch, state_.g_nLanguage, LabelOccasion::Refresh));
  ribbon_.updateGeometry();
  ribbon_.update();
}

}  // namespace ax7::ui
