#include "shell/master_controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "shell/app_state.h"
#include "shell/info_box.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/step_slider.h"

namespace ax7::ui {

namespace {

constexpr int kNoticeMs = 1100;
constexpr int kMicMaxByte = 5;    // machine settings record: microphone maximum volume
constexpr int kMusicMaxByte = 6;  // music maximum volume

struct Mute {
  int inputId;
  Param param;
};
constexpr Mute kMutes[] = {
    {ID_CHK_MUTE1, Param::MicMute},
    {ID_CHK_MUTE2, Param::ReverbMute},
    {ID_CHK_MUTE3, Param::EchoMute},
    {ID_CHK_MUTE4, Param::MusicMute},
};

int wordValue(const ParameterMemory& mem, Param p) {
  return mem.pc.getInt(size_t(Describe(p).word));
}

}  // namespace

struct MasterControl {
  int sliderId;  // Input twin
  int labelId;   // Input twin; 0 for the pitch, whose value is in the panel caption
  MasterLabel label;
  Param param;
  bool warnMuted;  // a change while this mute is on shows a notice
  Param mute;
};

namespace {

const MasterControl kControls[] = {
    {ID_SLIDER_MICVOL, ID_LABEL_MICVOL, MasterLabel::MicVolume, Param::MicMaster, true,
     Param::MicMute},
    {ID_SLIDER_EFXVOL, ID_LABEL_EFXVOL, MasterLabel::EffectVolume, Param::EffectMaster, false,
     Param::MicMute},
    {ID_SLIDER_REVERBVOL, ID_LABEL_REVERBVOL, MasterLabel::ReverbVolume, Param::ReverbMaster, true,
     Param::ReverbMute},
    {ID_SLIDER_ECHOVOL, ID_LABEL_ECHOVOL, MasterLabel::EchoVolume, Param::EchoMaster, true,
     Param::EchoMute},
    {ID_SLIDER_MUSICVOL, ID_LABEL_MUSICVOL, MasterLabel::MusicVolume, Param::MusicMaster, true,
     Param::MusicMute},
    {ID_SLIDER_NOISEGATE, ID_LABEL_NOISEGATE, MasterLabel::NoiseGate, Param::MusicNoiseGate, false,
     Param::MicMute},
    {ID_SLIDER_PITCH, 0, MasterLabel::NoiseGate, Param::MusicPitch, false, Param::MicMute},
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
  const int byte = c.param == Param::MicMaster ? kMicMaxByte : kMusicMaxByte;
  const int maximum = state_.core.mem.dev.g_settingsCurrent.get(size_t(byte));
  // The box reports 1..99. Until it has reported (a zero record), there is nothing to hold the
  // volume to; clamping to 0 would silence every change made without a box.
  return maximum >= 1 && maximum <= 99 ? maximum : 99;
}

bool MasterControls::handleSlider(int id) {
  const MasterControl* c = findSlider(InputTwin(id));
  if (!c) return false;
  int value = activeValue(c->sliderId);
  if (c->param == Param::MusicPitch) {
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
  const bool mic = c.param == Param::MicMaster;
  if (mic || c.param == Param::MusicMaster) {
    const int maximum = maximumFor(c);
    if (value > maximum) {
      info_.ShowInfoBox(
          mic ? state_.text("不能超过最大话筒音量!", "Mic vol can't over max value!")
              : state_.text("不能超过最大音乐音量!", "Music vol can't over max value!"),
          kNoticeMs);
      value = maximum;
    }
  }
  setTwinSliders(c.sliderId, value);
  state_.core.ui.SetParam(c.param, value);
  if (c.warnMuted && wordValue(state_.core.mem, c.mute) != 0) {
    info_.ShowInfoBox(state_.text("当前是静音状态", "vol is mute"), kNoticeMs);
  }
  setTwinLabels(c, value, LabelOccasion::SliderChange);
}

void MasterControls::applyPitch(int value) {
  const ParamDesc& pitch = Describe(Param::MusicPitch);
  value = std::clamp(value, int(pitch.minimum), int(pitch.maximum));
  state_.core.ui.SetParam(Param::MusicPitch, value);
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
  // The box takes a mute as a gain; the core sends it (and fades the music back in).
  const int muted = wordValue(state_.core.mem, mute->param) != 0 ? 0 : 1;
  state_.core.ui.SetParam(mute->param, muted);
  updateMuteChecks();
  return true;
}

void MasterControls::updateMuteChecks() {
  for (const Mute& m : kMutes) {
    const bool muted = wordValue(state_.core.mem, m.param) != 0;
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
    if (c.param == Param::MusicPitch) continue;
    const int value = wordValue(mem, c.param);
    setTwinSliders(c.sliderId, value);
    setTwinLabels(c, value, LabelOccasion::Refresh);
  }
  const int pitch = wordValue(mem, Param::MusicPitch);
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
