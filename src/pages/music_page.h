#pragma once
// The microphone and music page: the four microphone inputs (routing to group A or B, gate,
// volume, meters), the music meters and format, and for the selected group (Mic CH A, Mic CH B,
// Music) its 10-band EQ, its nine echo and reverb parameters and previews of its two effect EQs.
// Every edit goes through the one parameter path of the window's queued encoders.
#include <array>

#include "pages/page.h"
#include "params/param_table.h"

class QAbstractButton;
class QLabel;
class QTableWidget;
class QTimer;

namespace ax7::ui {

class CPeakMeterCtrl;
class CSmallEqPanel;
class EqEditor;
class ImageButton;
class RadioGroup;
class StepSlider;
class ValueRow;

// One row of the effect list: its names, slider range and the parameter of each group.
struct EffectRow {
  TextPair name;
  int minimum, maximum;
  Param a, b;
};
inline constexpr int kEffectRows = 9;
const std::array<EffectRow, kEffectRows>& EffectRows();
// The value text of a row at a slider position ("35%", "2520ms", "Off", ...).
QString EffectValueText(int row, int position, Language language);
// The music format text from the live status flags: DOLBY, DTS, Multi-CH LPCM or Stereo.
QString MusicFormatText(uint8_t flags);

class MusicPage : public Page {
  Q_OBJECT
 public:
  static constexpr int kMics = 4;

  MusicPage(PageContext& context, int group, QWidget* parent = nullptr);
  ~MusicPage() override;

  void RefreshAll() override;
  void ApplyLanguage() override;
  // The group (0 mic A, 1 mic B, 2 music); the selected effect row stays.
  void SelectArgument(int group) override;

  bool hasEq() const override { return true; }
  bool IsEqBypassed() const override;
  void ToggleEqBypass() override;
  void ResetEq() override;

  int group() const { return group_; }
  int selectedEffectRow() const { return effectRow_; }
  void selectEffectRow(int row);
  // The status timer's work: meters and format text from the live status record.
  void updateStatus();

  EqEditor* eqEditor() const { return eq_; }
  QTableWidget* effectList() const { return effects_; }
  ValueRow* effectSlider() const { return effectSlider_; }
  CSmallEqPanel* reverbPreview() const { return reverbPreview_; }
  CSmallEqPanel* echoPreview() const { return echoPreview_; }
  ValueRow* gateRow(int mic) const { return gates_[size_t(mic)]; }
  ValueRow* volumeRow(int mic) const { return volumes_[size_t(mic)]; }
  CPeakMeterCtrl* micMeter(int mic) const { return micMeters_[size_t(mic)]; }
  CPeakMeterCtrl* musicMeter(int side) const { return musicMeters_[size_t(side)]; }
  QLabel* formatText() const { return format_; }
  QLabel* effectName() const { return effectName_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void configureGroup();
  void route(int mic, int channel);
  void effectMoved(int position);
  void stepEffect(int steps);
  int effectPosition(int row) const;
  void showEffectRow(int row);
  void refreshEffects();
  void fitEffectList();
  void refreshPreviews();
  void refreshGroupState();
  void openEffects(bool reverb);
  bool routeWheel(QObject* watched, QEvent* event);

  int group_ = 0;
  int effectRow_ = 0;
  bool forwardingWheel_ = false;

  std::array<ImageButton*, 3> groupButtons_{};
  std::array<RadioGroup*, kMics> routing_{};
  std::array<ValueRow*, kMics> gates_{};
  std::array<ValueRow*, kMics> volumes_{};
  std::array<CPeakMeterCtrl*, kMics> micMeters_{};
  std::array<CPeakMeterCtrl*, 2> musicMeters_{};
  QLabel* format_ = nullptr;
  EqEditor* eq_ = nullptr;
  QTableWidget* effects_ = nullptr;
  QLabel* effectName_ = nullptr;
  ValueRow* effectSlider_ = nullptr;
  CSmallEqPanel* reverbPreview_ = nullptr;
  CSmallEqPanel* echoPreview_ = nullptr;
  std::array<QLabel*, 4> previewTexts_{};  // reverb title, reverb hint, echo title, echo hint
  QTimer* statusTimer_ = nullptr;
};

}  // namespace ax7::ui
