#pragma once
// Frames as hex text for byte-level expectations, and a trace that records every written
// report with the virtual time it left at.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "device/clock.h"
#include "device/report.h"
#include "device/report_trace.h"

namespace ax7::test {

// "02 09 00 01 ..." up to the last non-zero byte (a 61-byte frame is zero-padded, so two
// frames are equal exactly when their texts are).
inline std::string frameHex(const Report& r) {
  size_t end = r.size();
  while (end > 0 && r[end - 1] == 0) --end;
  std::string out;
  char buf[4];
  for (size_t i = 0; i < end; ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", r[i]);
    out += buf;
  }
  return out;
}

inline Report parseFrame(std::string_view hex) {
  Report r{};
  std::istringstream in{std::string(hex)};
  std::string byte;
  size_t i = 0;
  while (in >> byte && i < r.size()) r[i++] = uint8_t(std::stoul(byte, nullptr, 16));
  return r;
}

// A report as the trace writes it ("> 0205..." without spaces) as a frame text.
inline std::string tracedFrame(const std::string& line) {
  std::string spaced;
  for (size_t i = 2; i + 1 < line.size(); i += 2) spaced += line.substr(i, 2) + " ";
  return frameHex(parseFrame(spaced));
}

// Normalises hand-written expectations ("02 04 00" and "02 04" are the same frame).
inline std::vector<std::string> frames(std::initializer_list<std::string_view> hex) {
  std::vector<std::string> out;
  for (auto h : hex) out.push_back(frameHex(parseFrame(h)));
  return out;
}

inline std::vector<std::string> framesHex(const std::vector<Report>& reports) {
  std::vector<std::string> out;
  for (const auto& r : reports) out.push_back(frameHex(r));
  return out;
}

class CapturingTrace : public ReportTrace {
 public:
  explicit CapturingTrace(Clock& clock) : clock_(clock) {}

  // Called on the writing thread for every report, before it is recorded.
  std::function<void(const Report&)> onWritten;

  void written(const Report& report) override {
    if (onWritten) onWritten(report);
    std::lock_guard lock(mutex_);
    reports_.push_back(report);
    times_.push_back(clock_.nowMs());
  }
  void read(const Report&) override {}
  void phase(std::string_view name) override {
    std::lock_guard lock(mutex_);
    phases_.emplace_back(name);
  }

  std::vector<Report> reports() {
    std::lock_guard lock(mutex_);
    return reports_;
  }
  std::vector<int64_t> times() {
    std::lock_guard lock(mutex_);
    return times_;
  }
  std::vector<std::string> phases() {
    std::lock_guard lock(mutex_);
    return phases_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    reports_.clear();
    times_.clear();
    phases_.clear();
  }

 private:
  Clock& clock_;
  std::mutex mutex_;
  std::vector<Report> reports_;
  std::vector<int64_t> times_;
  std::vector<std::string> phases_;
};

// Big-endian hex of a single, "3F 80 00 00" for 1.0.
inline std::string floatHex(float v) {
  const uint32_t bits = std::bit_cast<uint32_t>(v);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", unsigned(bits >> 24),
                unsigned(bits >> 16) & 0xFF, unsigned(bits >> 8) & 0xFF, unsigned(bits) & 0xFF);
  return buf;
}

}  // namespace ax7::test
