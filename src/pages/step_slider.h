#pragma once
// A slider that moves in single steps: a left press on the track beside the thumb moves it one
// step toward the press (no page jumps, no auto-repeat), a press on the thumb starts a drag,
// the arrow keys and each wheel notch move one step. Every move the user makes is reported at
// once through userMoved, after the value has changed, so a handler that reads value() sees
// the new position. Setting the value from code reports nothing.
#include <QSlider>

namespace ax7::ui {

class StepSlider : public QSlider {
  Q_OBJECT
 public:
  explicit StepSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);
  // Where the thumb is drawn now, in the slider's own coordinates (tests press it there).
  QRect handleRect() const;

 signals:
  void userMoved(int position);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // Moves by steps single steps (clamped to the range) and reports it.
  void step(int steps);
  void reportIfChanged(int before);

  bool dragging_ = false;
  int wheelRemainder_ = 0;  // angle delta not yet worth a whole notch (high-resolution wheels)
};

}  // namespace ax7::ui
