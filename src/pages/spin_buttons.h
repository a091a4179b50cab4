#pragma once
// The up/down arrows beside an edit box. They keep an integer position in a range but do not
// move it themselves: a press (or Up/Down in the buddy edit, or a wheel notch the page hands
// over) reports a step of +1 or -1, and the page decides the new value, writes the edit and
// sets the position. Setting the position from code reports nothing.
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ax7::ui {

class SpinButtons : public QWidget {
  Q_OBJECT
 public:
  explicit SpinButtons(QWidget* parent = nullptr);

  void setRange(int minimum, int maximum);
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  // Clamped to the range.
  void setPosition(int position);
  int position() const { return position_; }
  // Up and Down in the buddy step the spin, as the arrows do.
  void setBuddy(QLineEdit* edit);
  QLineEdit* buddy() const { return buddy_; }
  QToolButton* upButton() const { return up_; }
  QToolButton* downButton() const { return down_; }

  // What a press of an arrow does: reports the step when enabled.
  void step(int delta);

 signals:
  void stepped(int delta);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
  QLineEdit* buddy_ = nullptr;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
};

}  // namespace ax7::ui
