#include "hid/udev_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device/debug_log.h"

namespace ax7 {

UdevMonitor::UdevMonitor() {
  udev_ = udev_new();
  if (udev_) monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ &&
      (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
       udev_monitor_enable_receiving(monitor_) < 0)) {
    udev_monitor_unref(monitor_);
    monitor_ = nullptr;
  }
  if (monitor_) stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (!monitor_ || stopFd_ < 0) {
    DebugLog("udev monitor unavailable: arrival and removal of the box will not be noticed\n");
    return;
  }
  thread_ = std::thread([this] { run(); });
}

UdevMonitor::~UdevMonitor() {
  if (thread_.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
    thread_.join();
  }
  if (stopFd_ >= 0) ::close(stopFd_);
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
}

void UdevMonitor::setHandler(HidBackend::HotplugHandler handler) {
  std::lock_guard lock(handlerMutex_);
  handler_ = std::move(handler);
}

void UdevMonitor::deliver(HotplugEvent event, const std::string& devnode) {
  // Held while the handler runs, so that setHandler(nullptr) waits for a call in progress.
  std::lock_guard lock(handlerMutex_);
  if (handler_) handler_(event, devnode);
}

void UdevMonitor::run() {
  pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {stopFd_, POLLIN, 0}};
  for (;;) {
    fds[0].revents = fds[1].revents = 0;
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      DebugLog("udev monitor stopped: poll failed\n");
      return;
    }
    if (fds[1].revents) return;
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      DebugLog("udev monitor stopped: monitor socket failed\n");
      return;
    }
    if (!(fds[0].revents & POLLIN)) continue;
    udev_device* dev = udev_monitor_receive_device(monitor_);
    if (!dev) continue;
    const char* action = udev_device_get_action(dev);
    const char* node = udev_device_get_devnode(dev);
    if (action && node) {
      if (std::strcmp(action, "add") == 0)
        deliver(HotplugEvent::Arrived, node);
      else if (std::strcmp(action, "remove") == 0)
        deliver(HotplugEvent::Removed, node);
    }
    udev_device_unref(dev);
  }
}

}  // namespace ax7
