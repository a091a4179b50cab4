#include "hid/hidapi_backend.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <set>
#include <string_view>

#include "hid/udev_monitor.h"
#include "params/memory.h"

namespace ax7 {

namespace {

// hidapi keeps a per-handle error string that hid_read_timeout and hid_write both free and
// replace without a lock, so one handle used by the reader and a writer at once can free the
// same string twice (typically when the box is unplugged). Each direction therefore gets its
// own handle on the node; hidraw allows several opens, and the write handle's unread input
// copies only fill a small kernel queue that then drops them.
class HidapiDevice final : public HidDevice {
 public:
  HidapiDevice(hid_device* reader, hid_device* writer) : reader_(reader), writer_(writer) {}
  ~HidapiDevice() override {
    hid_close(reader_);
    hid_close(writer_);
  }

  int write(const uint8_t* data, size_t length) override {
    if (interrupted_.load()) return -1;
    return hid_write(writer_, data, length);
  }

  int read(uint8_t* buf, size_t length, int timeoutMs) override {
    if (interrupted_.load()) return -1;
    const int n = hid_read_timeout(reader_, buf, length, timeoutMs);
    // A close that came in while we waited wins over whatever arrived.
    return interrupted_.load() ? -1 : n;
  }

  // A pending read notices within its time-out (the link polls in short slices).
  void interrupt() override { interrupted_.store(true); }

 private:
  hid_device* reader_;
  hid_device* writer_;
  std::atomic<bool> interrupted_{false};
};

// hid_open_path does not say why it failed; open the node ourselves to find out.
OpenError classifyOpenFailure(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return OpenError::Other;
  }
  if (errno == EACCES || errno == EPERM) return OpenError::PermissionDenied;
  if (errno == ENOENT || errno == ENODEV || errno == ENXIO) return OpenError::NotFound;
  return OpenError::Other;
}

// hidapi 0.13 crashes when asked to open anything but a hidraw node (it looks the node up in
// udev by its device number), so a path that did not come from enumeration is checked first.
OpenError checkHidrawNode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return (errno == EACCES || errno == EPERM) ? OpenError::PermissionDenied : OpenError::NotFound;
  }
  if (!S_ISCHR(st.st_mode)) return OpenError::Other;
  const std::string link = "/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                           std::to_string(minor(st.st_rdev)) + "/subsystem";
  char target[256];
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0) return OpenError::Other;
  const std::string_view subsystem(target, size_t(n));
  return subsystem.ends_with("/hidraw") ? OpenError::None : OpenError::Other;
}

}  // namespace

HidNodeProbe HidNodeProbe::system() { return {checkHidrawNode, classifyOpenFailure}; }

HidapiBackend::HidapiBackend(HidNodeProbe probe) : probe_(std::move(probe)) {
  static std::once_flag once;
  std::call_once(once, [] { hid_init(); });
}

HidapiBackend::~HidapiBackend() = default;

namespace {

// hidapi hands the USB string descriptor over as wide characters (UTF-32 here); the project
// keeps UTF-16 and has one encoder from it to UTF-8.
std::string serialText(const wchar_t* serial) {
  if (!serial) return {};
  std::u16string units;
  for (const wchar_t* c = serial; *c; ++c) {
    const uint32_t code = uint32_t(*c);
    if (code > 0x10FFFF) continue;
    if (code > 0xFFFF) {
      units.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
      units.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      units.push_back(char16_t(code));
    }
  }
  return toUtf8(units);
}

}  // namespace

std::vector<HidInterfaceInfo> HidapiBackend::enumerate() {
  std::vector<HidInterfaceInfo> out;
  hid_device_info* list = hid_enumerate(0, 0);
  // hidapi lists a node once per top-level usage; the link counts interfaces, so keep one.
  std::set<std::string> seen;
  for (const hid_device_info* d = list; d; d = d->next) {
    if (!d->path || !seen.insert(d->path).second) continue;
    out.push_back({d->path, d->vendor_id, d->product_id, true, serialText(d->serial_number)});
  }
  hid_free_enumeration(list);
  return out;
}

std::unique_ptr<HidDevice> HidapiBackend::open(const std::string& path, OpenError* error) {
  OpenError ignored = OpenError::None;
  if (!error) error = &ignored;
  *error = probe_.check(path);
  if (*error != OpenError::None) return nullptr;
  hid_device* reader = hid_open_path(path.c_str());
  hid_device* writer = reader ? hid_open_path(path.c_str()) : nullptr;
  if (!reader || !writer) {
    if (reader) hid_close(reader);
    *error = probe_.whyOpenFailed(path);
    return nullptr;
  }
  return std::make_unique<HidapiDevice>(reader, writer);
}

void HidapiBackend::setHotplugHandler(HotplugHandler handler) {
  UdevMonitor* monitor = nullptr;
  {
    std::lock_guard lock(monitorMutex_);
    if (!monitor_ && !handler) return;
    if (!monitor_) monitor_ = std::make_unique<UdevMonitor>();
    monitor = monitor_.get();  // lives as long as the backend
  }
  monitor->setHandler(std::move(handler));
}

}  // namespace ax7
