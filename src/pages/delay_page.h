#pragma once
// The delay page: per output channel a delay in milliseconds, its on switch, and whether it
// delays the whole channel or only the part above a split frequency; the graph shows the eight
// delays as markers that can be dragged.
#include <array>

#include "pages/page.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWheelEvent;

namespace ax7::ui {

class CDelayPanel;
class OutputNavRow;
class RadioGroup;
class SpinButtons;
class StepSlider;

class DelayPage : public Page {
  Q_OBJECT
 public:
  static constexpr int kChannels = 8;
  // Control ids of channel k's row: base + k.
  static constexpr int kRowLabelId = 1001;
  static constexpr int kOnId = 1011;
  static constexpr int kHighFreqId = 1021;
  static constexpr int kChannelModeId = 1031;
  static constexpr int kEditId = 1041;
  static constexpr int kSpinId = 1051;
  static constexpr int kSplitId = 1081;
  static constexpr int kSplitLabelId = 1091;
  static constexpr int kGraphId = 1100;
  // Delays the page accepts; the spin works in tenths.
  static constexpr float kMinMs = 1.5f;
  static constexpr float kMaxMs = 100.0f;

  DelayPage(PageContext& context, QWidget* parent = nullptr);

  void RefreshAll() override;
  void ApplyLanguage() override;

  CDelayPanel* panel() const { return panel_; }
  QLineEdit* edit(int channel) const { return rows_[size_t(channel)].edit; }
  SpinButtons* spin(int channel) const { return rows_[size_t(channel)].spin; }
  QCheckBox* onBox(int channel) const { return rows_[size_t(channel)].on; }
  QRadioButton* highFreq(int channel) const { return rows_[size_t(channel)].high; }
  QRadioButton* wholeChannel(int channel) const { return rows_[size_t(channel)].whole; }
  StepSlider* split(int channel) const { return rows_[size_t(channel)].split; }
  QLabel* splitLabel(int channel) const { return rows_[size_t(channel)].hz; }
  OutputNavRow* navRow() const { return nav_; }

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Row {
    QLabel* label = nullptr;
    QCheckBox* on = nullptr;
    QRadioButton* high = nullptr;
    QRadioButton* whole = nullptr;
    RadioGroup* mode = nullptr;
    QLineEdit* edit = nullptr;
    SpinButtons* spin = nullptr;
    StepSlider* split = nullptr;
    QLabel* hz = nullptr;
  };

  // The one path of a new delay from the spin, the edit and the graph.
  void setDelay(int channel, float ms);
  void spinStepped(int channel, int delta);
  void editEntered(int channel);
  void graphDragged(int channel, float ms);
  void onToggled(int channel);
  void modeChosen(int channel, int mode);
  void splitMoved(int channel, int position);
  void enableRow(int channel);
  void showSplit(int channel, int entry);
  float storedDelay(int channel) const;

  std::array<Row, kChannels> rows_;
  CDelayPanel* panel_ = nullptr;
  OutputNavRow* nav_ = nullptr;
  int wheelRemainder_ = 0;
};

}  // namespace ax7::ui
