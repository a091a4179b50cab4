#pragma once
// Where the encoders' reports go. The synchronisation workers and ax7ctl write straight
// through the reply gate (DirectSink) and block while they do; the window's edits go to the
// outgoing queue (SendQueue), which never blocks its caller.
#include "device/clock.h"
#include "device/report.h"
#include "device/usb_link.h"

namespace ax7 {

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // One report; returns 61 when it went out (or was queued), else 0 or the short count.
  virtual int send(const Report& frame) = 0;
  // A pause between two reports (the music fade-in, the two halves of storing a mode).
  virtual void pause(int ms) = 0;
  // A named phase in the trace, in its place among the reports.
  virtual void phase(const char* name) = 0;
};

class DirectSink final : public FrameSink {
 public:
  DirectSink(UsbLink& link, Clock& clock) : link_(link), clock_(clock) {}
  int send(const Report& frame) override { return link_.WriteUsbData(frame.data(), frame.size()); }
  void pause(int ms) override { clock_.sleepFor(ms); }
  void phase(const char* name) override {
    if (ReportTrace* t = link_.trace()) t->phase(name);
  }

 private:
  UsbLink& link_;
  Clock& clock_;
};

}  // namespace ax7
