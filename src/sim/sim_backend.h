#pragma once
// The simulated box behind the HID backend interface: one interface "sim:ax7-0" with the
// box's vendor and product id. What the program writes goes to a SimBox; its answers become
// readable through the clock (after the configured latency), with the faults of SimFaults
// applied on the way.
//
// Locking: the box, the faults and the counters are guarded by one box mutex; the answer
// queue and presence by the clock's lock (readers wait on them), the hotplug events by a lock
// of their own, taken inside the clock's. The box mutex is taken before the clock's lock, never
// after it. Hotplug notifications
// come from a thread of the backend, one at a time; setHotplugHandler waits for a running
// notification to finish. Devices must not outlive the backend.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include "device/clock.h"
#include "device/hid_backend.h"
#include "device/report.h"
#include "sim/sim_box.h"
#include "sim/sim_faults.h"

namespace ax7::sim {

class SimBackend : public HidBackend {
 public:
  static constexpr const char* kPath = "sim:ax7-0";
  static constexpr const char* kSerial = "SIM0001";

  // `serial` is the USB serial number the box reports (several simulated boxes on one broker
  // or one computer need different ones).
  explicit SimBackend(Clock& clock, SimFaults faults = {}, std::string serial = kSerial);
  ~SimBackend() override;
  SimBackend(const SimBackend&) = delete;
  SimBackend& operator=(const SimBackend&) = delete;

  std::vector<HidInterfaceInfo> enumerate() override;
  std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) override;
  void setHotplugHandler(HotplugHandler handler) override;

  // The box appears (Arrived) or disappears (Removed). A disappearing box ends every open
  // device: pending and later reads and writes return -1, answers on their way are lost.
  // The box keeps its state; after plug() it takes new connections.
  void plug();
  void unplug();
  bool present();

  // Runs fn(SimBox&) under the box mutex and returns its result. fn must not call back into
  // the backend.
  template <typename F>
  decltype(auto) withBox(F&& fn) {
    std::lock_guard lock(boxMutex_);
    return fn(box_);
  }

  SimFaults faults() const;
  void setFaults(SimFaults faults);
  // Output reports the box has received (also the ones it did not answer).
  int reportsReceived() const;

 private:
  class Device;
  struct Pending {
    Report report{};
    int64_t due = 0;
    uint32_t learnTicket = 0;
  };
  struct Hotplug {
    HotplugEvent event;
    std::string path;
  };

  int deviceWrite(uint64_t generation, const uint8_t* data, size_t length);
  int deviceRead(uint64_t generation, const bool& interrupted, uint8_t* buf, size_t length);
  bool aliveLocked(uint64_t generation) const { return present_ && generation_ == generation; }
  void disappearLocked();  // box mutex held
  void replugLocked();     // box mutex held: the replug-after fault
  void applyFaults(Pending& p);
  void notifierLoop();
  void pushEvent(HotplugEvent event);  // with the clock's lock held

  Clock& clock_;
  const std::string serial_;

  mutable std::mutex boxMutex_;
  SimBox box_;
  SimFaults faults_;
  int received_ = 0;
  int sincePlug_ = 0;  // reports since the box last arrived, for unplug-after
  std::mt19937 rng_{0xA7u};

  // Guarded by the clock's lock.
  bool present_ = true;
  uint64_t generation_ = 0;    // bumped when the box disappears
  std::deque<Pending> queue_;  // by due time
  uint64_t pushes_ = 0;

  // Hotplug events on their way to the handler.
  std::mutex eventsMutex_;
  std::condition_variable eventsCv_;
  std::deque<Hotplug> events_;
  bool stopNotifier_ = false;

  std::mutex handlerMutex_;
  HotplugHandler handler_;
  std::thread notifier_;
  std::thread replugger_;    // started under the box mutex
  bool stopReplug_ = false;  // guarded by the clock's lock
};

}  // namespace ax7::sim
