#include "pages/band_editor.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "graphs/eq_panel_labels.h"
#include "pages/eq_editor_text.h"

namespace ax7::ui {
namespace {

constexpr const char* kRadioTexts[] = {"PEQ", "LP", "HP", "LS", "HS"};

void setClamped(QSlider* slider, double value) {
  const QSignalBlocker block(slider);
  const double v = std::isfinite(value) ? std::round(value) : 0.0;
  slider->setValue(int(std::clamp(v, double(slider->minimum()), double(slider->maximum()))));
}

}  // namespace

BandEditor::BandEditor(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);

  typeBox_ = new QGroupBox(this);
  auto* typeRow = new QHBoxLayout(typeBox_);
  typeGroup_ = new QButtonGroup(this);
  for (int i = 0; i < 5; ++i) {
    radios_[i] = new QRadioButton(QString::fromLatin1(kRadioTexts[i]), typeBox_);
    typeGroup_->addButton(radios_[i], i);
    typeRow->addWidget(radios_[i]);
  }
  connect(typeGroup_, &QButtonGroup::idClicked, this, &BandEditor::typeClicked);
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
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(min, max);
    // One step per track click, arrow key and wheel notch.
    slider->setSingleStep(1);
    slider->setPageStep(1);
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

  // Signals of programmatic moves are blocked, so these are the user's moves.
  connect(gainSlider_, &QSlider::valueChanged, this, [this](int v) {
    gainEdit_->setText(eqpanel::gainText(v / 10.0));
    emit editsApplied();
  });
  connect(frequencySlider_, &QSlider::valueChanged, this, [this](int v) {
    frequencyEdit_->setText(eqtext::editFrequencyText(v));
    emit editsApplied();
  });
  connect(qSlider_, &QSlider::valueChanged, this, [this](int v) {
    qEdit_->setText(eqpanel::qText(v / 100.0));
    emit editsApplied();
  });

  setTabOrder(radios_[4], gainSlider_);
  setLanguage(1);
}

void BandEditor::setLanguage(int language) {
  const bool zh = language == 0;
  typeBox_->setTitle(zh ? QString::fromUtf8("类型") : QStringLiteral("EQ Type"));
  gainCaption_->setText(zh ? QString::fromUtf8("增益") : QStringLiteral("Gain"));
  frequencyCaption_->setText(zh ? QString::fromUtf8("频率") : QStringLiteral("F"));
  qCaption_->setText(zh ? QString::fromUtf8("Q值") : QStringLiteral("Q"));
}

void BandEditor::setBandNumber(int shownNumber) {
  number_->setText(QString::number(shownNumber));
}

void BandEditor::setTypeIndex(int index) {
  // An exclusive group cannot show "none"; drop exclusivity while clearing.
  typeGroup_->setExclusive(false);
  for (int i = 0; i < 5; ++i) {
    const QSignalBlocker block(radios_[i]);
    radios_[i]->setChecked(i == index);
  }
  typeGroup_->setExclusive(true);
}

int BandEditor::typeIndex() const {
  return typeGroup_->checkedId();
}

void BandEditor::setPeqQRange(bool peq) {
  const QSignalBlocker block(qSlider_);
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
