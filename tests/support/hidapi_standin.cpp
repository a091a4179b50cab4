#include "support/hidapi_standin.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

// The handle type is opaque in hidapi's header; the stand-in gives it a body.
struct hid_device_ {
  std::string path;
  bool closed = false;
  int readsRunning = 0;
};

namespace ax7::test::hidapi {

namespace {

struct PathScript {
  std::deque<ReadResult> reads;
  bool hold = false;
  int waiting = 0;
  int openFailures = 0;
  int opensBeforeFailing = 0;
  int writeResult = -2;  // -2: the length
  std::vector<std::vector<uint8_t>> written;
};

struct State {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Interface> interfaces;
  std::function<void()> onEnumerate;
  std::map<std::string, PathScript> paths;
  Counters counters;
  // Closed handles are kept (not freed) so a late use is recorded instead of crashing.
  std::vector<hid_device*> handles;
};

State& state() {
  static State s;
  return s;
}

}  // namespace

void reset() {
  State& s = state();
  std::lock_guard lock(s.mutex);
  for (hid_device* d : s.handles) delete d;
  s.handles.clear();
  s.interfaces.clear();
  s.onEnumerate = nullptr;
  s.paths.clear();
  s.counters = {};
}

void setInterfaces(std::vector<Interface> interfaces) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  s.interfaces = std::move(interfaces);
}

void onEnumerate(std::function<void()> fn) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  s.onEnumerate = std::move(fn);
}

void failOpen(const std::string& path, int times, int after) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  s.paths[path].openFailures = times;
  s.paths[path].opensBeforeFailing = after;
}

void pushRead(const std::string& path, ReadResult read) {
  State& s = state();
  {
    std::lock_guard lock(s.mutex);
    s.paths[path].reads.push_back(std::move(read));
  }
  s.changed.notify_all();
}

void holdReads(const std::string& path, bool hold) {
  State& s = state();
  {
    std::lock_guard lock(s.mutex);
    s.paths[path].hold = hold;
  }
  s.changed.notify_all();
}

int readsWaiting(const std::string& path) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  return s.paths[path].waiting;
}

void setWriteResult(const std::string& path, int result) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  s.paths[path].writeResult = result;
}

Counters counters() {
  State& s = state();
  std::lock_guard lock(s.mutex);
  return s.counters;
}

std::vector<std::vector<uint8_t>> written(const std::string& path) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  return s.paths[path].written;
}

}  // namespace ax7::test::hidapi

using ax7::test::hidapi::state;

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void) {
  std::lock_guard lock(state().mutex);
  ++state().counters.init;
  return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void) { return 0; }

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id,
                                                                   unsigned short product_id) {
  auto& s = state();
  std::vector<ax7::test::hidapi::Interface> list;
  std::function<void()> during;
  {
    std::lock_guard lock(s.mutex);
    ++s.counters.enumerate;
    list = s.interfaces;
    during = s.onEnumerate;
  }
  if (during) during();
  hid_device_info* head = nullptr;
  hid_device_info** tail = &head;
  for (const auto& i : list) {
    if ((vendor_id && i.vendorId != vendor_id) || (product_id && i.productId != product_id)) {
      continue;
    }
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    info->path = i.path.empty() ? nullptr : strdup(i.path.c_str());
    info->vendor_id = i.vendorId;
    info->product_id = i.productId;
    info->interface_number = i.interfaceNumber;
    info->serial_number = i.serial.empty() ? nullptr : wcsdup(i.serial.c_str());
    *tail = info;
    tail = &info->next;
  }
  return head;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs) {
  {
    std::lock_guard lock(state().mutex);
    ++state().counters.freeEnumeration;
  }
  while (devs) {
    hid_device_info* next = devs->next;
    std::free(devs->path);
    std::free(devs->serial_number);
    std::free(devs);
    devs = next;
  }
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  auto& script = s.paths[path];
  if (script.opensBeforeFailing > 0) {
    --script.opensBeforeFailing;
  } else if (script.openFailures != 0) {
    if (script.openFailures > 0) --script.openFailures;
    return nullptr;
  }
  auto* d = new hid_device{path};
  s.handles.push_back(d);
  ++s.counters.opens;
  s.counters.openedPaths.push_back(path);
  return d;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device* dev, const unsigned char* data,
                                          size_t length) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (dev->closed) {
    s.counters.misuse.push_back("write on a closed handle of " + dev->path);
    return -1;
  }
  ++s.counters.writes;
  auto& script = s.paths[dev->path];
  script.written.emplace_back(data, data + length);
  return script.writeResult == -2 ? int(length) : script.writeResult;
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device* dev, unsigned char* data,
                                                 size_t length, int milliseconds) {
  auto& s = state();
  std::unique_lock lock(s.mutex);
  if (dev->closed) {
    s.counters.misuse.push_back("read on a closed handle of " + dev->path);
    return -1;
  }
  auto& script = s.paths[dev->path];
  ++dev->readsRunning;
  ++s.counters.readsRunning;
  ++script.waiting;
  auto ready = [&] { return !script.hold && !script.reads.empty(); };
  if (milliseconds < 0) {
    s.changed.wait(lock, ready);
  } else {
    s.changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
  }
  --script.waiting;
  --dev->readsRunning;
  --s.counters.readsRunning;
  if (!ready()) return 0;
  ax7::test::hidapi::ReadResult r = std::move(script.reads.front());
  script.reads.pop_front();
  if (r.result > 0) {
    const size_t n = std::min({size_t(r.result), length, r.bytes.size()});
    std::memcpy(data, r.bytes.data(), n);
    return int(n);
  }
  return r.result;
}

const wchar_t* HID_API_EXPORT HID_API_CALL hid_error(hid_device*) { return L"scripted failure"; }

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev) {
  if (!dev) return;
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (dev->closed) {
    s.counters.misuse.push_back("second close of " + dev->path);
    return;
  }
  if (dev->readsRunning > 0) s.counters.misuse.push_back("close during a read of " + dev->path);
  dev->closed = true;
  ++s.counters.closes;
}

}  // extern "C"
