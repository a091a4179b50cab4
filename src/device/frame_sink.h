#pragma once
// Where the encoders' reports go. The synchronisation workers and ax7ctl write straight
// through the reply gate (DirectSink) and block while they do; the window's edits go to the
// outgoing queue (SendQueue), which never blocks its caller.
#include <cstdint>

#include "device/clock.h"
#include "device/report.h"
#include "device/usb_link.h"

namespace ax7 {

// What a report sets in the box, as far as a newer report may replace a waiting one: the
// encoder that builds the report knows it, so nobody reads it back out of the bytes. Reports
// of the same target are interchangeable in a queue (the newest holds the value to keep);
// a report with no target (requests, actions, writes that must all arrive) is never merged.
class MergeKey {
 public:
  static constexpr MergeKey None() { return MergeKey(Target::None, 0); }
  // A write of `count` DSP words from block/index.
  static constexpr MergeKey DspWords(int block, int index, int count) {
    return MergeKey(Target::DspWords, uint32_t(uint8_t(block)) << 16 |
                                          uint32_t(uint8_t(index)) << 8 | uint8_t(count));
  }
  // A write of `length` bytes of box memory from `address`.
  static constexpr MergeKey BoxMemory(int address, int length) {
    return MergeKey(Target::BoxMemory, uint32_t(uint16_t(address)) << 8 | uint8_t(length));
  }
  // The live status request: one waiting is enough.
  static constexpr MergeKey StatusRequest() { return MergeKey(Target::Status, 0); }

  constexpr bool merges() const { return target_ != Target::None; }
  constexpr bool operator==(const MergeKey&) const = default;

 private:
  enum class Target : uint8_t { None, DspWords, BoxMemory, Status };
  constexpr MergeKey(Target target, uint32_t where) : target_(target), where_(where) {}
  Target target_;
  uint32_t where_;
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // One report and what it sets; returns 61 when it went out (or was queued), else 0 or the
  // short count.
  virtual int send(const Report& frame, MergeKey key) = 0;
  // A pause between two reports (the music fade-in, the two halves of storing a mode).
  virtual void pause(int ms) = 0;
  // A named phase in the trace, in its place among the reports.
  virtual void phase(const char* name) = 0;
};

class DirectSink final : public FrameSink {
 public:
  DirectSink(UsbLink& link, Clock& clock) : link_(link), clock_(clock) {}
  int send(const Report& frame, MergeKey) override {
    return link_.WriteUsbData(frame.data(), frame.size());
  }
  void pause(int ms) override { clock_.sleepFor(ms); }
  void phase(const char* name) override {
    if (ReportTrace* t = link_.trace()) t->phase(name);
  }

 private:
  UsbLink& link_;
  Clock& clock_;
};

}  // namespace ax7
