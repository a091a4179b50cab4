#pragma once
// Arrival and removal of hidraw nodes, heard from udev on a thread of its own. The path given
// to the handler is the device node (/dev/hidrawN), the same string hidapi uses as the path of
// the interface, so a removal can be compared with the open box's path.
#include <mutex>
#include <string>
#include <thread>

#include "device/hid_backend.h"

struct udev;
struct udev_monitor;

namespace ax7 {

class UdevMonitor {
 public:
  // Starts listening at once. Without udev (containers, no netlink) there is no monitor: a
  // debug line says so and the handler is simply never called.
  UdevMonitor();
  // Stops the thread promptly; must not run on the monitor's own thread (from a handler).
  ~UdevMonitor();
  UdevMonitor(const UdevMonitor&) = delete;
  UdevMonitor& operator=(const UdevMonitor&) = delete;

  // Once this returns, the previous handler is not called again; nullptr stops notifications.
  // The handler runs on the monitor's thread and may call setHandler itself, but must not wait
  // for a thread that is calling setHandler.
  void setHandler(HidBackend::HotplugHandler handler);
  bool active() const { return thread_.joinable(); }

 private:
  void run();
  void deliver(HotplugEvent event, const std::string& devnode);

  struct udev* udev_ = nullptr;
  struct udev_monitor* monitor_ = nullptr;
  int stopFd_ = -1;  // eventfd that ends the poll promptly
  std::recursive_mutex handlerMutex_;
  HidBackend::HotplugHandler handler_;
  // Not a Clock thread: it blocks in poll(), and a virtual clock would stand still for it.
  std::thread thread_;
};

}  // namespace ax7
