#include "shell/qt_view_notifier.h"

#include <QString>
#include <QThread>

namespace ax7::ui {

void QtViewNotifier::post(int message, intptr_t wParam, intptr_t lParam) {
  if (detached_.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this, message, wParam, lParam] {
        if (!detached_.load() && handlers_.posted) handlers_.posted(message, wParam, lParam);
      },
      Qt::QueuedConnection);
}

intptr_t QtViewNotifier::send(int message, intptr_t wParam, intptr_t lParam) {
  if (detached_.load()) return 0;
  if (QThread::currentThread() == thread()) {
    return handlers_.sent ? handlers_.sent(message, wParam, lParam) : 0;
  }
  intptr_t answer = 0;
  QMetaObject::invokeMethod(
      this,
      [&] {
        if (!detached_.load() && handlers_.sent) answer = handlers_.sent(message, wParam, lParam);
      },
      Qt::BlockingQueuedConnection);
  return answer;
}

void QtViewNotifier::showError(const std::string& text, const std::string& caption) {
  if (detached_.load()) return;
  const QString t = QString::fromStdString(text);
  const QString c = QString::fromStdString(caption);
  QMetaObject::invokeMethod(
      this,
      [this, t, c] {
        if (!detached_.load() && handlers_.error) handlers_.error(t, c);
      },
      Qt::QueuedConnection);
}

}  // namespace ax7::ui
