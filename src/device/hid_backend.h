#pragma once
// What the device link needs from the host: find HID interfaces, open one, move 61-byte
// reports, hear about arrival and removal. Implemented by hidapi/libudev (real boxes) and by
// the simulated box; everything above this interface is the same code for both.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ax7 {

struct HidInterfaceInfo {
  std::string path;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  bool active = true;  // the interface is present and usable (and nothing else is flagged)
  std::string serial;  // the USB serial number, UTF-8; empty when the device has none
};

enum class OpenError { None, NotFound, PermissionDenied, Other };

class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // Writes one report (61 bytes, byte 0 the report number). Returns the bytes written or -1.
  virtual int write(const uint8_t* data, size_t length) = 0;
  // Reads one report into buf (61 bytes, byte 0 the report number). Returns the bytes read,
  // 0 when nothing came within timeoutMs, -1 when the device is gone or was interrupted.
  // A backend may wait longer than timeoutMs as long as interrupt() ends the wait.
  virtual int read(uint8_t* buf, size_t length, int timeoutMs) = 0;
  // Makes a pending read and every later read return -1 promptly (used when closing).
  virtual void interrupt() = 0;
};

enum class HotplugEvent { Arrived, Removed };

class HidBackend {
 public:
  using HotplugHandler = std::function<void(HotplugEvent, const std::string& path)>;
  virtual ~HidBackend() = default;
  virtual std::vector<HidInterfaceInfo> enumerate() = 0;
  virtual std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) = 0;
  // The handler is called from a thread of the backend; nullptr stops notifications.
  virtual void setHotplugHandler(HotplugHandler handler) = 0;
};

}  // namespace ax7
