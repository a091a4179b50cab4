#pragma once
// A minimal box for unit tests of the link and the encoders: it answers every report with a
// report carrying the same code (so the reply gate opens at once), or stays silent.
#include <deque>
#include <mutex>
#include <vector>

#include "device/clock.h"
#include "device/hid_backend.h"
#include "device/report.h"

namespace ax7::test {

class EchoBackend : public HidBackend {
 public:
  explicit EchoBackend(Clock& clock) : clock_(clock) {}

  bool silent = false;
  std::vector<HidInterfaceInfo> interfaces{{"echo:0", kBoxVendorId, kBoxProductId, true, ""}};

  std::vector<HidInterfaceInfo> enumerate() override { return interfaces; }
  std::unique_ptr<HidDevice> open(const std::string& path, OpenError* error) override {
    if (error) *error = OpenError::None;
    return std::make_unique<Device>(*this);
  }
  void setHotplugHandler(HotplugHandler) override {}

  // Reports written so far (without the report number byte handling: byte 0 as sent).
  std::vector<Report> written() {
    std::lock_guard lock(mutex_);
    return written_;
  }
  // Makes every read fail, as an unplugged box does.
  void unplug() {
    clock_.notify([this] { gone_ = true; });
  }

 private:
  class Device : public HidDevice {
   public:
    explicit Device(EchoBackend& b) : b_(b) {}
    int write(const uint8_t* data, size_t length) override {
      if (b_.goneNow()) return -1;
      Report r{};
      std::copy(data, data + std::min(length, kReportSize), r.begin());
      {
        std::lock_guard lock(b_.mutex_);
        b_.written_.push_back(r);
      }
      if (!b_.silent) {
        Report answer{};
        answer[1] = r[1];
        b_.clock_.notify([&] { b_.queue_.push_back(answer); });
      }
      return int(kReportSize);
    }
    int read(uint8_t* buf, size_t length, int) override {
      Report r{};
      bool ok = false;
      b_.clock_.waitFor(Clock::kForever, [&] {
        if (b_.gone_ || interrupted_) return true;
        if (b_.queue_.empty()) return false;
        r = b_.queue_.front();
        b_.queue_.pop_front();
        ok = true;
        return true;
      });
      if (!ok) return -1;
      std::copy(r.begin(), r.begin() + std::min(length, kReportSize), buf);
      return int(kReportSize);
    }
    void interrupt() override {
      b_.clock_.notify([this] { interrupted_ = true; });
    }

   private:
    EchoBackend& b_;
    bool interrupted_ = false;  // guarded by the clock's lock
  };

  bool goneNow() {
    bool g = false;
    clock_.waitFor(0, [&] {
      g = gone_;
      return true;
    });
    return g;
  }

  Clock& clock_;
  std::mutex mutex_;
  std::vector<Report> written_;
  std::deque<Report> queue_;  // guarded by the clock's lock
  bool gone_ = false;         // guarded by the clock's lock
};

}  // namespace ax7::test
