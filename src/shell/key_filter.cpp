#include "shell/key_filter.h"

#include <QApplication>
#include <QKeyEvent>

#include "shell/app_state.h"

namespace ax7::ui {

KeyFilter::KeyFilter(AppState& state, std::function<void()> openMachineSettings, QObject* parent)
    : QObject(parent), state_(state), openMachineSettings_(std::move(openMachineSettings)) {}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
    return false;
  // Key events reach every widget up the parent chain; act once, for the focus widget's window.
  if (!watched->isWidgetType()) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
    key->accept();
    return type != QEvent::ShortcutOverride;
  }
  if (key->key() != Qt::Key_F7 || key->modifiers() != Qt::NoModifier) return false;
  if (type != QEvent::KeyRelease) return type == QEvent::KeyPress;
  if (key->isAutoRepeat()) return true;
  if (state_.f7Guard && QApplication::activeModalWidget() == nullptr) {
    state_.f7Guard = false;
    openMachineSettings_();
    state_.f7Guard = true;
  }
  return true;
}

}  // namespace ax7::ui
