#include "shell/mic_status_labels.h"

#include <QLabel>

#include "device/status_text.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"

namespace ax7::ui {

namespace {

QString u8(const std::string& s) {
  return QString::fromStdString(s);
}

void setTwin(Ribbon& ribbon, int inputId, const QString& text) {
  for (int category : {kInputCategory, kOutputCategory}) {
    if (auto* label = ribbon.controlAs<QLabel>(TwinIn(category, inputId))) {
      if (label->text() != text) label->setText(text);
    }
  }
}

}  // namespace

MicStatusTexts FormatMicStatus(const std::array<uint8_t, kLiveStatusSize>& s, Language language) {
  const bool en = language == Language::English;
  const QString freq = en ? QStringLiteral("Freq:") : QString::fromUtf8("频率:");
  const QString battery = en ? QStringLiteral("Battary: ") : QString::fromUtf8("电   量:");
  MicStatusTexts t;
  t.rf[0] = "RF:" + u8(FormatRfBars(s[8])) + " AF:" + u8(FormatAfBars(s[9]));
  t.frequency[0] = freq + u8(FormatMicFrequency(s[10]));
  t.battery[0] = battery + u8(FormatBatteryBars(s[11]));
  t.rf[1] = "RF:" + u8(FormatRfBars(s[12])) + " AF:" + u8(FormatAfBars(s[13]));
  t.frequency[1] = freq + u8(FormatMicFrequency(s[14]));
  // The status record has no battery byte for microphone 2: it shows the empty bar.
  t.battery[1] = battery + u8(FormatBatteryBars(0));
  return t;
}

void UpdateMicStatusLabels(Ribbon& ribbon, const DeviceState& device, Language language) {
  const MicStatusTexts t = FormatMicStatus(device.g_liveStatus.snapshot(), language);
  setTwin(ribbon, ID_LABEL_MIC1_RF, t.rf[0]);
  setTwin(ribbon, ID_LABEL_MIC1_FREQ, t.frequency[0]);
  setTwin(ribbon, ID_LABEL_MIC1_BATTERY, t.battery[0]);
  setTwin(ribbon, ID_LABEL_MIC2_RF, t.rf[1]);
  setTwin(ribbon, ID_LABEL_MIC2_FREQ, t.frequency[1]);
  setTwin(ribbon, ID_LABEL_MIC2_BATTERY, t.battery[1]);
}

}  // namespace ax7::ui
