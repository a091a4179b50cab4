#pragma once
// The whole headless core for one program: memory, link, dispatcher, encoders and
// synchronisation, wired together. The desktop program and ax7ctl each own one.
#include "device/commands.h"
#include "device/dispatcher.h"
#include "device/eq_senders.h"
#include "device/sync.h"
#include "device/usb_link.h"
#include "params/defaults.h"

namespace ax7 {

struct Core {
  Core(HidBackend& backend, Clock& clock)
      : clock(clock),
        dispatcher(mem),
        link(backend, clock, mem.dev),
        cmd(mem, link, clock),
        eq(cmd),
        sync(mem, link, cmd, eq) {
    InitParameterMemory(mem);
    link.setReportHandler([this](const Report& r) { dispatcher.DispatchReport(r); });
  }
  void setNotifier(ViewNotifier* n) { notifier = n; dispatcher.setNotifier(n); }

  Clock& clock;
  ParameterMemory mem;
  Dispatcher dispatcher;
  UsbLink link;
  Commands cmd;
  EqSenders eq;
  Synchroniser sync;
  ViewNotifier* notifier = nullptr;
};

}  // namespace ax7
