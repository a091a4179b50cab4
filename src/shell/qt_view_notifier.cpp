#include "shell/qt_view_notifier.h"

#include <QString>
#include <QThread>
#include <chrono>
#include <future>
#include <memory>

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
  // Not a blocking queued call: one already on its way when the view detaches (the program is
  // closing and its event loop has ended) would never return, and closing the link waits for
  // the reader that is making it.
  auto answer = std::make_shared<std::promise<intptr_t>>();
  std::future<intptr_t> result = answer->get_future();
  QMetaObject::invokeMethod(
      this,
      [this, answer, message, wParam, lParam] {
        intptr_t a = 0;
        if (!detached_.load() && handlers_.sent) a = handlers_.sent(message, wParam, lParam);
        answer->set_value(a);
      },
      Qt::QueuedConnection);
  struct OutsideWait {
    Clock* clock;
    explicit OutsideWait(Clock* c) : clock(c) {
      if (clock) clock->beginOutsideWait();
    }
    ~OutsideWait() {
      if (clock) clock->endOutsideWait();
    }
  } outside(clock_);
  while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
    if (detached_.load()) return 0;
  return result.get();
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
