#include "pages/band_editor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "graphs/eq_panel_labels.h"
#include "pages/eq_editor_text.h"
#include "pages/radio_group.h"
#include "pages/step_slider.h"
#include "params/saturate.h"

namespace ax7::ui {
namespace {

constexpr const char* kRadioTexts[] = {"PEQ", "LP", "HP", "LS", "HS"};

void setClamped(StepSlider* slider, double value) {
  // Rounded to the nearest step; a value that is no number shows the minimum.
  const double rounded = std::round(value);
  slider->setValue(SliderPosition(rounded, slider->minimum(), slider->maximum()));
}

}  // namespace

BandEditor::BandEditor(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);

  typeBox_ = new QGroupBox(this);
  auto* typeRow = new QHBoxLayout(typeBox_);
  typeGroup_ = new RadioGroup(this);
  for (int i = 0; i < 5; ++i) {
    radios_[i] = new QRadioButton(QString::fromLatin1(kRadioTexts[i]), typeBox_);
    typeGroup_->addButton(radios_[i], i);
    typeRow->addWidget(radios_[i]);
  }
  connect(typeGroup_, &RadioGroup::idClicked, this, &BandEditor::typeClicked);
  outer->addWidget(typeBox_);

  number_ = new QLabel(this);
  QFont numberFont;
  numberFont.setFamilies({"Arial", "Nimbus Sans", "Liberation Sans", "DejaVu Sans"});
  numberFont.setPixelSize(24);
  numberFont.setBold(true);
  number_->setFont(numberFont);
  QPalette numberPalette = number_->palette();
  numberPalette.setColor(QPalette::WindowText, QColor(20, 200, 20));
  number_->setPalette(numberPalette);
  number_->setAlignment(Qt::AlignCenter);
  outer->addWidget(number_);

  auto* grid = new QGridLayout;
  outer->addLayout(grid);
  outer->addStretch(1);
  const auto addRow = [&](int row, QLabel*& caption, QLineEdit*& edit, int min, int max) {
    caption = new QLabel(this);
    auto* slider = new StepSlider(Qt::Horizontal, this);
    slider->setRange(min, max);
    slider->setFocusPolicy(Qt::StrongFocus);
    edit = new QLineEdit(this);
    edit->setFixedWidth(70);
    caption->setBuddy(slider);
    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(edit, row, 2);
    connect(edit, &QLineEdit::returnPressed, this, &BandEditor::editsApplied);
    return slider;
  };
  gainSlider_ = addRow(0, gainCaption_, gainEdit_, kGainMin, kGainMax);
  frequencySlider_ = addRow(1, frequencyCaption_, frequencyEdit_, kFrequencyMin, kFrequencyMax);
  qSlider_ = addRow(2, qCaption_, qEdit_, kQMin, kQMaxPeq);

  // Moves made in code report nothing, so these are the user's moves.
  connect(gainSlider_, &StepSlider::userMoved, this, [this](int v) {
    gainEdit_->setText(eqpanel::gainText(v / 10.0));
    emit editsApplied();
  });
  connect(frequencySlider_, &StepSlider::userMoved, this, [this](int v) {
    frequencyEdit_->setText(eqtext::editFrequencyText(v));
    emit editsApplied();
  });
  connect(qSlider_, &StepSlider::userMoved, this, [this](int v) {
    qEdit_->setText(eqpanel::qText(v / 100.0));
    emit editsApplied();
  });

  setTabOrder(radios_[4], gainSlider_);
  setLanguage(Language::English);
}

void BandEditor::setLanguage(Language language) {
  const bool zh = language == Language::Chinese;
  typeBox_->setTitle(zh ? QString::fromUtf8("类型") : QStringLiteral("EQ Type"));
  gainCaption_->setText(zh ? QString::fromUtf8("增益") : QStringLiteral("Gain"));
  frequencyCaption_->setText(zh ? QString::fromUtf8("频率") : QStringLiteral("F"));
  qCaption_->setText(zh ? QString::fromUtf8("Q值") : QStringLiteral("Q"));
}

void BandEditor::setBandNumber(int shownNumber) {
  number_->setText(QString::number(shownNumber));
}

void BandEditor::setTypeIndex(int index) {
  typeGroup_->setCheckedId(index);
}

int BandEditor::typeIndex() const {
  return typeGroup_->checkedId();
}

void BandEditor::setPeqQRange(bool peq) {
  qSlider_->setRange(kQMin, peq ? kQMaxPeq : kQMaxOther);
}

void BandEditor::setGainEnabled(bool enabled) {
  gainSlider_->setEnabled(enabled);
  gainEdit_->setEnabled(enabled);
}

void BandEditor::showValues(double gainDb, double hz, double q) {
  setClamped(gainSlider_, gainDb * 10.0);
  setClamped(frequencySlider_, hz);
  setClamped(qSlider_, q * 100.0);
  gainEdit_->setText(eqpanel::gainText(gainDb));
  frequencyEdit_->setText(eqtext::editFrequencyText(hz));
  qEdit_->setText(eqpanel::qText(q));
}

QString BandEditor::gainText() const {
  return gainEdit_->text();
}

QString BandEditor::frequencyText() const {
  return frequencyEdit_->text();
}

QString BandEditor::qText() const {
  return qEdit_->text();
}

}  // namespace ax7::ui
