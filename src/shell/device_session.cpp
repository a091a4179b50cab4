#include "shell/device_session.h"

#include "shell/command_line.h"
#include "cli/sim_setup.h"
#ifdef AX7_WITH_HIDAPI
#include "hid/hidapi_backend.h"
#endif

namespace ax7::ui {

DeviceSession::DeviceSession(Clock& clock, HidBackend& backend)
    : clock_(clock), backend_(backend), core_(std::make_unique<Core>(backend, clock)) {
  notifier_.setClock(&clock_);
  core_->setNotifier(&notifier_);
}

DeviceSession::DeviceSession(std::unique_ptr<Clock> clock, std::unique_ptr<HidBackend> backend)
    : ownedClock_(std::move(clock)),
      ownedBackend_(std::move(backend)),
      clock_(*ownedClock_),
      backend_(*ownedBackend_),
      core_(std::make_unique<Core>(backend_, clock_)) {
  notifier_.setClock(&clock_);
  core_->setNotifier(&notifier_);
}

DeviceSession::~DeviceSession() {
  notifier_.detach();
  backend_.setHotplugHandler(nullptr);
  // The last edits still go out, but a box that stopped answering does not hold up the end
  // for more than one reply wait.
  core_->queue.waitIdle(kReplyTimeoutMs);
  core_->link.CloseUsbDevice(false);
  core_->link.setTrace(nullptr);
  core_.reset();
}

std::unique_ptr<DeviceSession> DeviceSession::create(const CommandLine& options, QString* error) {
  std::unique_ptr<Clock> clock;
  if (options.virtualTime) {
    clock = std::make_unique<VirtualClock>();
  } else {
    clock = std::make_unique<RealClock>();
  }
  std::unique_ptr<HidBackend> backend;
  if (options.device == CommandLine::Device::Sim) {
    backend = cli::makeSimBackend(*clock, options.sim);
  } else {
#ifdef AX7_WITH_HIDAPI
    backend = std::make_unique<HidapiBackend>();
#else
    *error = "this program was built without USB support; use --device sim";
    return nullptr;
#endif
  }
  std::unique_ptr<DeviceSession> session(new DeviceSession(std::move(clock), std::move(backend)));
  if (options.device == CommandLine::Device::Hid) {
    session->core_->link.setDeviceSelector(options.deviceSelector);
  }
  if (!options.tracePath.isEmpty() && !session->startTrace(options.tracePath, error)) {
    return nullptr;
  }
  return session;
}

bool DeviceSession::startTrace(const QString& path, QString* error) {
  std::string why;
  if (!trace_.open(path.toStdString(), &why)) {
    if (error) *error = QString::fromStdString(why);
    return false;
  }
  core_->link.setTrace(&trace_);
  return true;
}

}  // namespace ax7::ui
