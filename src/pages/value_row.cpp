#include "pages/value_row.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "params/saturate.h"

namespace ax7::ui {

ValueRow::ValueRow(int titleId, int sliderId, int valueId, int minimum, int maximum,
                   Formatter format, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(this)),
      slider_(new StepSlider(orientation, this)),
      value_(new QLabel(this)),
      format_(std::move(format)) {
  if (titleId) title_->setProperty("ax7Id", titleId);
  if (sliderId) slider_->setProperty("ax7Id", sliderId);
  if (valueId) value_->setProperty("ax7Id", valueId);
  slider_->setRange(minimum, maximum);
  title_->setBuddy(slider_);
  const bool horizontal = orientation == Qt::Horizontal;
  value_->setAlignment(horizontal ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter);
  // Wide enough for the longest value, so the slider does not jump while the text changes.
  const QFontMetrics fm(value_->font());
  int widest = 0;
  for (int p : {minimum, maximum, (minimum + maximum) / 2}) {
    widest = std::max(widest, fm.horizontalAdvance(format_ ? format_(p) : QString::number(p)));
  }
  value_->setMinimumWidth(widest + 6);

  QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                  : static_cast<QBoxLayout*>(new QVBoxLayout(this));
  layout->setContentsMargins(0, 0, 0, 0);
  if (horizontal) {
    layout->addWidget(title_);
    layout->addWidget(slider_, 1);
    layout->addWidget(value_);
  } else {
    // Vertical rows read top-down: value, slider, title.
    title_->setAlignment(Qt::AlignCenter);
    layout->addWidget(value_);
    layout->addWidget(slider_, 1, Qt::AlignHCenter);
    layout->addWidget(title_);
  }
  connect(slider_, &StepSlider::userMoved, this, [this](int p) {
    showValue();
    emit userMoved(p);
  });
  showValue();
}

void ValueRow::setPosition(int position) {
  const QSignalBlocker block(slider_);
  slider_->setValue(std::clamp(position, slider_->minimum(), slider_->maximum()));
  showValue();
}

void ValueRow::setFromWord(float word, double scale) {
  setPosition(SliderPosition(double(word), slider_->minimum(), slider_->maximum(), scale));
}

int ValueRow::position() const {
  return slider_->value();
}

void ValueRow::setTitle(const QString& title) {
  title_->setText(title);
}

void ValueRow::setFormatter(Formatter format) {
  format_ = std::move(format);
  showValue();
}

void ValueRow::showValue() {
  const int p = slider_->value();
  value_->setText(format_ ? format_(p) : QString::number(p));
}

}  // namespace ax7::ui
