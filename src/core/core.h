#pragma once
// The whole headless core for one program: memory, link, dispatcher, encoders,
// synchronisation and the Z-Wave relay, wired together. The desktop program and ax7ctl each
// own one. It sits above every layer it wires, so no layer below has to know the others.
//
// Two sets of encoders share the memory: `cmd`/`eq` write straight through the reply gate and
// block their thread (synchronisation workers, ax7ctl's sequential commands); `ui`/`uiEq` hand
// their reports to the outgoing queue and return at once (everything the window's thread
// sends).
#include "device/commands.h"
#include "device/dispatcher.h"
#include "device/eq_senders.h"
#include "device/send_queue.h"
#include "device/sync.h"
#include "device/usb_link.h"
#include "params/defaults.h"
#include "zwave/zwave_relay.h"

namespace ax7 {

struct Core {
  Core(HidBackend& backend, Clock& clock)
      : clock(clock),
        dispatcher(mem),
        link(backend, clock, mem.dev),
        queue(link, clock),
        cmd(mem, link, clock),
        eq(cmd),
        ui(mem, link, clock, &queue),
        uiEq(ui),
        sync(mem, link, cmd, eq, queue),
        zwave(link, clock) {
    InitParameterMemory(mem);
    dispatcher.setZWaveHandlers([this](const Report& r) { zwave.HandleZWaveFrame(r); },
                                [this](const Report& r) { zwave.ZWaveReadMemFunc(r); });
    link.setReportHandler([this](const Report& r) { dispatcher.DispatchReport(r); });
  }
  // A running plug reset stops first (nobody is left to tell of its end); the reader, which
  // dispatches into the relay and the memory, ends before any member goes.
  ~Core() {
    zwave.stop();
    link.CloseUsbDevice(false);
  }
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;

  void setNotifier(ViewNotifier* n) {
    notifier = n;
    dispatcher.setNotifier(n);
    zwave.setNotifier(n);
  }

  Clock& clock;
  ParameterMemory mem;
  Dispatcher dispatcher;
  UsbLink link;
  SendQueue queue;  // before the encoders that feed it, after the link it drains into
  Commands cmd;
  EqSenders eq;
  Commands ui;
  EqSenders uiEq;
  Synchroniser sync;
  zwave::ZWaveRelay zwave;  // after the link it uses: its worker is joined first
  ViewNotifier* notifier = nullptr;
};

}  // namespace ax7
