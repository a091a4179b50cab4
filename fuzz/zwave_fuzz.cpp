// Feeds arbitrary bytes to the Z-Wave relay as a stream of input reports: each report goes to
// the module-frame handler and to the plug-memory handler. The link is closed, so the
// acknowledgements are dropped; the tables must never be read or written out of bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/core.h"
#include "sim/sim_backend.h"

namespace {

class SilentView : public ax7::ViewNotifier {
 public:
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override { return 0; }
  void showError(const std::string&, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ax7::VirtualClock clock;
  static ax7::sim::SimBackend backend(clock);
  static ax7::Core core(backend, clock);
  static SilentView view;
  core.zwave.setNotifier(&view);
  for (size_t at = 0; at < size; at += ax7::kReportSize) {
    ax7::Report report{};  // the last report is padded with zeros
    std::copy_n(data + at, std::min(ax7::kReportSize, size - at), report.begin());
    core.zwave.HandleZWaveFrame(report);
    core.zwave.ZWaveReadMemFunc(report);
  }
  return 0;
}
