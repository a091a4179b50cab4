#pragma once
// Every input report from the box: stores its payload in parameter memory or the device
// state, and tells the main view about the few that need it. Runs on the reader thread.
#include <cstdint>
#include <functional>

#include "device/report.h"
#include "device/view_notifier.h"
#include "params/memory.h"

namespace ax7 {

// Code of the report that carries the live status record (the answer to a status request).
constexpr uint8_t kLiveStatusReport = 0x0E;

class Dispatcher {
 public:
  using FrameHandler = std::function<void(const Report&)>;

  explicit Dispatcher(ParameterMemory& mem);
  void setNotifier(ViewNotifier* notifier);
  // Z-Wave answers (0x12) and plug memory answers (0x14) go to the Z-Wave relay.
  void setZWaveHandlers(FrameHandler frame, FrameHandler memory);

  void DispatchReport(const Report& report);
  void DecodeParamReply(const Report& report);

 private:
  ParameterMemory& mem_;
  std::atomic<ViewNotifier*> notifier_{nullptr};
  FrameHandler zwaveFrame_;
  FrameHandler zwaveMemory_;
};

}  // namespace ax7
