#include "sim/sim_backend.h"

#include <algorithm>
#include <optional>

namespace ax7::sim {

class SimBackend::Device : public HidDevice {
 public:
  Device(SimBackend& backend, uint64_t generation) : b_(backend), generation_(generation) {}

  int write(const uint8_t* data, size_t length) override {
    return b_.deviceWrite(generation_, data, length);
  }
  // The timeout is not needed: interrupt() and a disappearing box end the wait.
  int read(uint8_t* buf, size_t length, int) override {
    return b_.deviceRead(generation_, interrupted_, buf, length);
  }
  void interrupt() override {
    b_.clock_.notify([this] { interrupted_ = true; });
  }

 private:
  SimBackend& b_;
  const uint64_t generation_;
  bool interrupted_ = false;  // guarded by the clock's lock
};

SimBackend::SimBackend(Clock& clock, SimFaults faults, std::string serial)
    : clock_(clock), serial_(std::move(serial)), faults_(std::move(faults)) {
  // Not a thread of the clock: it only waits for hotplug events, and waking it on every change
  // the clock announces would double the cost of each report.
  notifier_ = std::thread([this] { notifierLoop(); });
}

SimBackend::~SimBackend() {
  clock_.notify([this] { stopReplug_ = true; });
  std::thread replugger;
  {
    std::lock_guard lock(boxMutex_);
    replugger = std::move(replugger_);
  }
  if (replugger.joinable()) replugger.join();
  {
    std::lock_guard lock(eventsMutex_);
    stopNotifier_ = true;
  }
  eventsCv_.notify_one();
  notifier_.join();
  for (size_t i = 0; i < events_.size(); ++i) clock_.endWork();  // never delivered
}

std::vector<HidInterfaceInfo> SimBackend::enumerate() {
  if (!present()) return {};
  return {{kPath, kBoxVendorId, kBoxProductId, true, serial_}};
}

std::unique_ptr<HidDevice> SimBackend::open(const std::string& path, OpenError* error) {
  std::optional<uint64_t> generation;
  if (path == kPath) {
    std::lock_guard lock(boxMutex_);
    // Plugs that join or leave on their own do so shortly after each connection.
    std::vector<Report> unsolicited;
    SimZWave& zwave = box_.zwave();
    for (int node : faults_.zwaveSilentNodes) zwave.setSilentNode(node);
    for (int node : faults_.zwaveAdded) {
      for (const Report& r : zwave.addNode(node)) unsolicited.push_back(r);
    }
    for (int node : faults_.zwaveRemoved) {
      for (const Report& r : zwave.removeNode(node)) unsolicited.push_back(r);
    }
    if (faults_.zwaveSilentModule) unsolicited.clear();
    const int64_t due = clock_.nowMs() + kZWaveUnsolicitedDelayMs;
    // A new connection starts without the answers an earlier one left unread.
    clock_.notify([&] {
      if (!present_) return;
      generation = generation_;
      queue_.clear();
      for (const Report& r : unsolicited) queue_.push_back({r, due, 0});
      ++pushes_;
    });
  }
  if (error) *error = generation ? OpenError::None : OpenError::NotFound;
  if (!generation) return nullptr;
  return std::make_unique<Device>(*this, *generation);
}

void SimBackend::setHotplugHandler(HotplugHandler handler) {
  std::lock_guard lock(handlerMutex_);
  handler_ = std::move(handler);
}

void SimBackend::plug() {
  std::lock_guard lock(boxMutex_);
  sincePlug_ = 0;
  clock_.notify([this] {
    if (present_) return;
    present_ = true;
    pushEvent(HotplugEvent::Arrived);
  });
  eventsCv_.notify_one();
}

void SimBackend::unplug() {
  std::lock_guard lock(boxMutex_);
  disappearLocked();
}

void SimBackend::disappearLocked() {
  clock_.notify([this] {
    if (!present_) return;
    present_ = false;
    ++generation_;
    queue_.clear();
    pushEvent(HotplugEvent::Removed);
  });
  eventsCv_.notify_one();
}

void SimBackend::replugLocked() {
  const int delay = faults_.replugAfterMs;
  if (delay < 0 || replugger_.joinable()) return;
  faults_.unplugAfter = -1;
  replugger_ = clock_.startThread([this, delay] {
    bool stopped = false;
    clock_.waitFor(delay, [&] { return stopped = stopReplug_; });
    if (!stopped) plug();
  });
}

void SimBackend::pushEvent(HotplugEvent event) {
  clock_.beginWorkLocked();  // ended once the handler has seen it
  std::lock_guard lock(eventsMutex_);
  events_.push_back({event, kPath});
}

bool SimBackend::present() {
  bool p = false;
  clock_.waitFor(0, [&] {
    p = present_;
    return true;
  });
  return p;
}

SimFaults SimBackend::faults() const {
  std::lock_guard lock(boxMutex_);
  return faults_;
}

void SimBackend::setFaults(SimFaults faults) {
  std::lock_guard lock(boxMutex_);
  faults_ = std::move(faults);
}

int SimBackend::reportsReceived() const {
  std::lock_guard lock(boxMutex_);
  return received_;
}

void SimBackend::applyFaults(Pending& p) {
  Report& r = p.report;
  if (faults_.model && r[1] == 0x80) {
    std::fill(r.begin() + 2, r.end(), 0);
    const std::string& m = *faults_.model;
    std::copy_n(m.begin(), std::min(m.size(), kReportSize - 3), r.begin() + 2);
  }
  if (faults_.version && r[1] == 0x7F) r[2] = uint8_t(*faults_.version);
  if (faults_.paramErrorStatus != 0 && r[1] == 0x0A) r[2] = uint8_t(faults_.paramErrorStatus);
  // The raw generator output is the same on every platform, unlike the distributions.
  if (faults_.garbagePercent > 0 && int(rng_() % 100) < faults_.garbagePercent) {
    for (uint8_t& b : r) b = uint8_t(rng_());
    p.learnTicket = 0;
  }
}

int SimBackend::deviceWrite(uint64_t generation, const uint8_t* data, size_t length) {
  Report out{};
  std::copy_n(data, std::min(length, kReportSize), out.begin());

  std::lock_guard lock(boxMutex_);
  bool alive = false;
  clock_.waitFor(0, [&] {
    alive = aliveLocked(generation);
    return true;
  });
  if (!alive) return -1;
  const int limit = faults_.unplugAfter;
  if (limit >= 0 && sincePlug_ >= limit) {  // only with unplug-after=0
    disappearLocked();
    replugLocked();
    return -1;
  }
  ++received_;
  ++sincePlug_;
  std::vector<SimReply> replies = box_.respond(out);
  // A silent module takes its frames and never answers; the box relays nothing.
  if (faults_.zwaveSilentModule && out[1] == 0x12) replies.clear();
  // The box takes its last report but is gone before it can answer.
  if (limit >= 0 && sincePlug_ >= limit) {
    disappearLocked();
    replugLocked();
    return int(kReportSize);
  }
  if (faults_.silent) return int(kReportSize);

  const int64_t now = clock_.nowMs();
  std::vector<Pending> pending;
  for (const SimReply& r : replies) {
    if (r.learnTicket != 0 && faults_.noLearn) continue;
    const int delay = r.learnTicket != 0 && faults_.learnDelayMs >= 0 ? faults_.learnDelayMs
                                                                       : r.delayMs;
    Pending p{r.report, now + faults_.latencyMs + delay, r.learnTicket};
    applyFaults(p);
    pending.push_back(p);
  }
  clock_.notify([&] {
    if (!aliveLocked(generation)) return;
    for (const Pending& p : pending) {
      auto at = std::upper_bound(queue_.begin(), queue_.end(), p.due,
                                 [](int64_t due, const Pending& q) { return due < q.due; });
      queue_.insert(at, p);
    }
    ++pushes_;
  });
  return int(kReportSize);
}

int SimBackend::deviceRead(uint64_t generation, const bool& interrupted, uint8_t* buf,
                           size_t length) {
  for (;;) {
    const int64_t now = clock_.nowMs();
    std::optional<Pending> got;
    bool ended = false;
    int64_t due = -1;
    uint64_t seen = 0;
    clock_.waitFor(0, [&] {
      if (interrupted || !aliveLocked(generation)) {
        ended = true;
      } else if (!queue_.empty() && queue_.front().due <= now) {
        got = queue_.front();
        queue_.pop_front();  // only readers look at the queue, and this is the reader
      } else {
        due = queue_.empty() ? -1 : queue_.front().due;
        seen = pushes_;
      }
      return true;
    });
    if (ended) return -1;
    if (got) {
      // A learn answer counts only if learning was not stopped while it was on its way.
      if (got->learnTicket != 0 &&
          !withBox([&](SimBox& box) { return box.completeLearning(got->learnTicket); }))
        continue;
      const size_t n = std::min(length, kReportSize);
      std::copy_n(got->report.begin(), n, buf);
      return int(n);
    }
    clock_.waitFor(due < 0 ? Clock::kForever : due - now,
                   [&] { return interrupted || !aliveLocked(generation) || pushes_ != seen; });
  }
}

void SimBackend::notifierLoop() {
  for (;;) {
    std::optional<Hotplug> event;
    {
      std::unique_lock lock(eventsMutex_);
      eventsCv_.wait(lock, [&] { return stopNotifier_ || !events_.empty(); });
      if (stopNotifier_) return;
      event = std::move(events_.front());
      events_.pop_front();
    }
    {
      std::lock_guard lock(handlerMutex_);
      if (handler_) handler_(event->event, event->path);
    }
    clock_.endWork();
  }
}

}  // namespace ax7::sim
