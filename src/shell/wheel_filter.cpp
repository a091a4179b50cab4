#include "shell/wheel_filter.h"

#include <QWheelEvent>

#include "shell/master_controls.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"

namespace ax7::ui {

namespace {

constexpr int kNotch = 120;

// Panels 0..4 of either category and the volume they step.
constexpr int kPanelSliders[] = {ID_SLIDER_MICVOL, ID_SLIDER_EFXVOL, ID_SLIDER_REVERBVOL,
                                 ID_SLIDER_ECHOVOL, ID_SLIDER_MUSICVOL};

}  // namespace

WheelFilter::WheelFilter(Ribbon& ribbon, MasterControls& controls, QObject* parent)
    : QObject(parent), ribbon_(ribbon), controls_(controls) {
  ribbon_.installEventFilter(this);
}

int WheelFilter::sliderAt(const QPoint& pos) const {
  const int category = ribbon_.currentCategory();
  if (category != kInputCategory && category != kOutputCategory) return 0;
  for (int panel = 0; panel < 5; ++panel) {
    if (ribbon_.panelRect(category, panel).contains(pos)) return kPanelSliders[panel];
  }
  for (int id : {ID_SLIDER_PITCH, ID_SLIDER_NOISEGATE}) {
    QWidget* slider = ribbon_.control(TwinIn(category, id));
    if (slider && QRect(slider->mapTo(&ribbon_, QPoint(0, 0)), slider->size()).contains(pos))
      return id;
  }
  return 0;
}

bool WheelFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &ribbon_ || event->type() != QEvent::Wheel) return false;
  const int category = ribbon_.currentCategory();
  if (category != kInputCategory && category != kOutputCategory) return false;

  auto* wheel = static_cast<QWheelEvent*>(event);
  // Consumed wherever it points: the wheel never changes anything else on the ribbon.
  wheel->accept();
  const QPoint delta = wheel->angleDelta();
  const int notchDelta = delta.y() != 0 ? delta.y() : delta.x();
  const int id = sliderAt(wheel->position().toPoint());
  if (id == 0) {
    remainder_ = 0;
    return true;
  }
  remainder_ += notchDelta;
  while (remainder_ >= kNotch || remainder_ <= -kNotch) {
    const int direction = remainder_ > 0 ? 1 : -1;
    remainder_ -= direction * kNotch;
    controls_.stepSlider(id, direction);
  }
  return true;
}

}  // namespace ax7::ui
