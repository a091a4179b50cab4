// The band editor shown while one band is selected: type radios, the band's number and a slider
// with an edit box for gain (0.1 dB steps), frequency (Hz) and Q (x 100). It only shows and
// reports; the EQ editor applies the edits to the band.
#pragma once

#include <QWidget>
#include <array>

#include "pages/language.h"
#include "pages/step_slider.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace ax7::ui {

class RadioGroup;

class BandEditor : public QWidget {
  Q_OBJECT
 public:
  // Slider ranges: gain in tenths of a dB, frequency in Hz, Q in hundredths.
  static constexpr int kGainMin = -150, kGainMax = 150;
  static constexpr int kFrequencyMin = 20, kFrequencyMax = 20000;
  static constexpr int kQMin = 10, kQMaxPeq = 3000, kQMaxOther = 200;

  explicit BandEditor(QWidget* parent = nullptr);

  void setLanguage(Language language);
  // The 1-based band number in large green figures.
  void setBandNumber(int shownNumber);
  // Radio 0..4 (PEQ, LP, HP, LS, HS) checked, or none for -1; reports nothing.
  void setTypeIndex(int index);
  int typeIndex() const;
  // Q slider range 10..3000 for PEQ, 10..200 for every other type.
  void setPeqQRange(bool peq);
  void setGainEnabled(bool enabled);
  // Positions the sliders (clamped to their ranges) and writes the three edits; reports nothing.
  void showValues(double gainDb, double hz, double q);

  QString gainText() const;
  QString frequencyText() const;
  QString qText() const;

  QRadioButton* typeRadio(int index) const { return radios_[index]; }
  StepSlider* gainSlider() const { return gainSlider_; }
  StepSlider* frequencySlider() const { return frequencySlider_; }
  StepSlider* qSlider() const { return qSlider_; }
  QLineEdit* gainEdit() const { return gainEdit_; }
  QLineEdit* frequencyEdit() const { return frequencyEdit_; }
  QLineEdit* qEdit() const { return qEdit_; }
  QLabel* numberLabel() const { return number_; }

 signals:
  // The user clicked type radio 0..4.
  void typeClicked(int index);
  // A slider moved (its edit already shows the new value) or Enter was pressed in an edit: the
  // three edits are to be applied.
  void editsApplied();

 private:
  QGroupBox* typeBox_ = nullptr;
  RadioGroup* typeGroup_ = nullptr;
  std::array<QRadioButton*, 5> radios_{};
  QLabel* number_ = nullptr;
  QLabel* gainCaption_ = nullptr;
  QLabel* frequencyCaption_ = nullptr;
  QLabel* qCaption_ = nullptr;
  StepSlider* gainSlider_ = nullptr;
  StepSlider* frequencySlider_ = nullptr;
  StepSlider* qSlider_ = nullptr;
  QLineEdit* gainEdit_ = nullptr;
  QLineEdit* frequencyEdit_ = nullptr;
  QLineEdit* qEdit_ = nullptr;
};

}  // namespace ax7::ui
