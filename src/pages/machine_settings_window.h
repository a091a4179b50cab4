#pragma once
// The box's own settings: start and maximum volumes, how volumes are saved, the power-on mode,
// and two maintenance actions (a box mode back to factory values, the smart-plug data erased).
// Edits collect in the edited copy of the settings record and reach the box with Apply; the
// start-volume sliders also move the live master volumes at once.
#include <array>

#include "device/machine_settings.h"
#include "pages/tool_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace ax7::ui {

class ImageButton;
class RadioGroup;
class ValueRow;

class MachineSettingsWindow : public ToolWindow {
  Q_OBJECT
 public:
  // Control ids (also the keys of their captions).
  enum : int {
    kMicStartTitle = 1005,
    kMicStartSlider = 1014,
    kMicStartValue = 1145,
    kMicEnable = 1039,
    kMusicStartTitle = 1002,
    kMusicStartSlider = 1015,
    kMusicStartValue = 1146,
    kMusicEnable = 1040,
    kMicMaxTitle = 1006,
    kMicMaxSlider = 1016,
    kMicMaxValue = 1147,
    kMusicMaxTitle = 1131,
    kMusicMaxSlider = 1019,
    kMusicMaxValue = 1150,
    kVolumeFrame = 1197,
    kSaveFrame = 1201,
    kSaveLabel = 1239,
    kByPower = 1190,
    kByMode = 1191,
    kPowerOnFrame = 1202,
    kPowerOnLabel = 1238,
    kPowerOnList = 1134,
    kModeFrame = 1183,
    kModeM1 = 32823,
    kPlugFrame = 1185,
    kPlugReset = 1070,
    kApply = 1073,
    kCancel = 2,
  };

  MachineSettingsWindow(PageContext& context, QWidget* parent);

  // Starts a new edit session from the current copy and fills every control from it.
  void RefreshAll() override;
  void ApplyLanguage() override;

  // The handlers of the buttons (also reached by clicks).
  void apply();
  void resetMode(int mode);
  void resetPlugs();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Start {
    ValueRow* row;
    QCheckBox* enable;
    size_t startByte, maxByte;
    int masterParam;  // Param of the live master volume
  };

  SettingsRecord edited() const;
  void setEdited(size_t byte, uint8_t value);
  void fill();
  void showStart(const Start& s);
  void startMoved(const Start& s, int v);
  void enableToggled(const Start& s, bool on);
  void maxMoved(const Start& s, ValueRow* max, int v);
  void showModeButtons();
  bool boxOpen();

  std::array<Start, 2> starts_;
  ValueRow* micMax_;
  ValueRow* musicMax_;
  RadioGroup* saveMode_;
  QComboBox* powerOn_;
  std::array<ImageButton*, 4> modes_;
  std::vector<QWidget*> captioned_;  // controls with an ax7Id whose text comes from the table
  QLabel* plugNote_;
};

}  // namespace ax7::ui
