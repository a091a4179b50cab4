#pragma once
// The core's messages to the main view, carried onto the UI thread: posted messages as queued
// calls, sent messages as queued calls the sender waits for (direct when already on the UI
// thread; given up when the view detaches), error boxes queued so the reader thread never waits
// for a person.
#include <QObject>
#include <atomic>
#include <functional>

#include "device/clock.h"
#include "device/view_notifier.h"

namespace ax7::ui {

class QtViewNotifier final : public QObject, public ViewNotifier {
  Q_OBJECT
 public:
  // Handlers run on the thread of this object (the UI thread).
  struct Handlers {
    std::function<void(int message, intptr_t wParam, intptr_t lParam)> posted;
    std::function<intptr_t(int message, intptr_t wParam, intptr_t lParam)> sent;
    std::function<void(const QString& text, const QString& caption)> error;
  };

  explicit QtViewNotifier(QObject* parent = nullptr) : QObject(parent) {}

  void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }
  // The clock of the threads that send: while one waits for the UI thread it counts as waiting,
  // so a virtual clock moves on and a wait of the UI thread for that thread can time out.
  void setClock(Clock* clock) { clock_ = clock; }
  // From now on nothing reaches the view and sent messages are answered with 0 at once (the
  // view is going away and no longer runs its event loop).
  void detach() { detached_.store(true); }

  void post(int message, intptr_t wParam, intptr_t lParam) override;
  intptr_t send(int message, intptr_t wParam, intptr_t lParam) override;
  void showError(const std::string& text, const std::string& caption) override;

 private:
  Handlers handlers_;
  Clock* clock_ = nullptr;
  std::atomic<bool> detached_{false};
};

}  // namespace ax7::ui
