#pragma once
// The master controls on the ribbon: the volumes, the music noise gate and pitch, and the four
// mutes. Each change is stored in the PC block and sent at once; both category twins and their
// labels always show the same value.
#include <QObject>

#include "shell/master_labels.h"

namespace ax7::ui {

class AppState;
class InfoBoxHost;
class Ribbon;
struct MasterControl;  // one row of the control table (master_controls.cpp)

class MasterControls : public QObject {
  Q_OBJECT
 public:
  MasterControls(AppState& state, Ribbon& ribbon, InfoBoxHost& info, QObject* parent = nullptr);

  // A master slider (either twin) moved: returns false for other ids.
  bool handleSlider(int id);
  // A mute check box (either twin) was clicked: returns false for other ids.
  bool handleMute(int id);
  // One wheel step (+1 or -1) over the control of this Input slider id.
  void stepSlider(int inputSliderId, int direction);

  // Every slider and value label from memory (after a category change or a synchronisation).
  void RefreshRibbonValues();
  // Mute check marks follow their words (update cycle).
  void updateMuteChecks();

 private:
  static const MasterControl* findSlider(int inputId);
  int activeValue(int inputSliderId) const;
  void setTwinSliders(int inputSliderId, int value);
  void setTwinLabels(const MasterControl& c, int value, LabelOccasion occasion);
  void applyVolume(const MasterControl& c, int value);
  void applyPitch(int value);
  // The maximum volume the box allows for word 0 or 53, from its settings record.
  int maximumFor(const MasterControl& c) const;

  AppState& state_;
  Ribbon& ribbon_;
  InfoBoxHost& info_;
};

}  // namespace ax7::ui
