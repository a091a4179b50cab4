#pragma once
// Turns wheel notches over the ribbon's volume panels, the pitch slider and the noise-gate
// slider into single slider steps. The ribbon's controls ignore the wheel themselves and hand
// it up to the ribbon, where this filter sees it. Wheel events over the pages are not touched.
#include <QObject>

namespace ax7::ui {

class MasterControls;
class Ribbon;

class WheelFilter : public QObject {
  Q_OBJECT
 public:
  WheelFilter(Ribbon& ribbon, MasterControls& controls, QObject* parent = nullptr);

  // The Input slider id under a point of the ribbon, or 0.
  int sliderAt(const QPoint& ribbonPos) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Ribbon& ribbon_;
  MasterControls& controls_;
  int remainder_ = 0;  // angle delta short of a whole notch (high-resolution wheels)
};

}  // namespace ax7::ui
