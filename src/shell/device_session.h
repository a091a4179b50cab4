#pragma once
// The program's link to a box: clock, backend (real or simulated), the core, the notifier
// that carries the core's messages to the view, and the optional report trace.
#include <QString>
#include <memory>

#include "core/core.h"
#include "device/clock.h"
#include "device/hid_backend.h"
#include "shell/qt_view_notifier.h"
#include "device/trace_file.h"

namespace ax7::ui {

struct CommandLine;

class DeviceSession {
 public:
  // Uses the given clock and backend (tests).
  DeviceSession(Clock& clock, HidBackend& backend);
  // Builds what the command line asks for: a simulated box on a real clock, or the hidapi
  // backend; nullptr with *error when that is impossible.
  static std::unique_ptr<DeviceSession> create(const CommandLine& options, QString* error);
  // Stops the view's messages, then closes the link without a leaving notice.
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  bool startTrace(const QString& path, QString* error);
  // Why the trace could not be written in full; empty while every line reached it.
  QString traceError() const { return QString::fromStdString(trace_.error()); }

  Core& core() { return *core_; }
  HidBackend& backend() { return backend_; }
  Clock& clock() { return clock_; }
  QtViewNotifier& notifier() { return notifier_; }

 private:
  DeviceSession(std::unique_ptr<Clock> clock, std::unique_ptr<HidBackend> backend);

  std::unique_ptr<Clock> ownedClock_;
  std::unique_ptr<HidBackend> ownedBackend_;
  Clock& clock_;
  HidBackend& backend_;
  TraceFile trace_;
  QtViewNotifier notifier_;
  std::unique_ptr<Core> core_;  // first to go: it waits for the workers and the reader
};

}  // namespace ax7::ui
