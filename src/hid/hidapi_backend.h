#pragma once
// Real boxes: hidapi on hidraw for enumeration and reports, a udev monitor for arrival and
// removal.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "device/hid_backend.h"

namespace ax7 {

class UdevMonitor;

// What the backend learns from the device node itself, around hidapi: hidapi cannot say why an
// open failed, and must not be handed a path that is no hidraw node. Tests put scripted answers
// in place of the file system.
struct HidNodeProbe {
  // None when `path` is a hidraw character device; otherwise what opening it would meet.
  std::function<OpenError(const std::string& path)> check;
  // Why hid_open_path failed on a node that passed check.
  std::function<OpenError(const std::string& path)> whyOpenFailed;

  static HidNodeProbe system();
};

class HidapiBackend final : public HidBackend {
 public:
  explicit HidapiBackend(HidNodeProbe probe = HidNodeProbe::system());
  ~HidapiBackend() override;

  // Every HID interface of the system, one entry per device node, all active.
  std::vector<HidInterfaceInfo> enumerate() override;
  // PermissionDenied when the node exists but this user may not open it (no udev rule).
  std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) override;
  void setHotplugHandler(HotplugHandler handler) override;

 private:
  HidNodeProbe probe_;
  std::mutex monitorMutex_;
  std::unique_ptr<UdevMonitor> monitor_;  // started with the first handler
};

}  // namespace ax7
