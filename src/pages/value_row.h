#pragma once
// A value row: a title, a StepSlider and the formatted value ("%d%%", "%.1fms", ...). The row
// only shows and reports: a user move updates the value text and emits userMoved; the page
// stores the value and sends it. Positions set from memory report nothing.
#include <QWidget>
#include <functional>

#include "pages/step_slider.h"

class QLabel;

namespace ax7::ui {

class ValueRow : public QWidget {
  Q_OBJECT
 public:
  using Formatter = std::function<QString(int position)>;

  // The ids are the control ids of the title, the slider and the value text (0: none); the
  // page's ApplyLanguage sets the title through setTitle.
  ValueRow(int titleId, int sliderId, int valueId, int minimum, int maximum, Formatter format,
           Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

  // Positions the slider (clamped) and rewrites the value text; reports nothing.
  void setPosition(int position);
  // A float word from memory: word x scale, truncated and clamped; NaN and infinities give
  // the minimum, so a damaged word never moves the slider to an end by accident.
  void setFromWord(float word, double scale = 1.0);
  int position() const;

  void setTitle(const QString& title);
  void setFormatter(Formatter format);
  QLabel* title() const { return title_; }
  StepSlider* slider() const { return slider_; }
  QLabel* valueLabel() const { return value_; }

 signals:
  void userMoved(int position);

 private:
  void showValue();

  QLabel* title_;
  StepSlider* slider_;
  QLabel* value_;
  Formatter format_;
};

}  // namespace ax7::ui
