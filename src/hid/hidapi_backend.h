#pragma once
// Real boxes: hidapi on hidraw for enumeration and reports, a udev monitor for arrival and
// removal.
#include <memory>
#include <mutex>

#include "device/hid_backend.h"

namespace ax7 {

class UdevMonitor;

class HidapiBackend final : public HidBackend {
 public:
  HidapiBackend();
  ~HidapiBackend() override;

  // Every HID interface of the system, one entry per device node, all active.
  std::vector<HidInterfaceInfo> enumerate() override;
  // PermissionDenied when the node exists but this user may not open it (no udev rule).
  std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) override;
  void setHotplugHandler(HotplugHandler handler) override;

 private:
  std::mutex monitorMutex_;
  std::unique_ptr<UdevMonitor> monitor_;  // started with the first handler
};

}  // namespace ax7
