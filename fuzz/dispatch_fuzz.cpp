// Feeds arbitrary bytes to the dispatcher as a stream of input reports.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "device/dispatcher.h"
#include "params/defaults.h"

namespace {

class SilentView : public ax7::ViewNotifier {
 public:
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override { return 0; }
  void showError(const std::string&, const std::string&) override {}
};

ax7::ParameterMemory& memory() {
  static ax7::ParameterMemory mem;
  static const bool ready = (ax7::InitParameterMemory(mem), true);
  (void)ready;
  return mem;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentView view;
  static ax7::Dispatcher dispatcher(memory());
  dispatcher.setNotifier(&view);  // Z-Wave handlers stay unset
  for (size_t at = 0; at < size; at += ax7::kReportSize) {
    ax7::Report report{};  // the last report is padded with zeros
    std::copy_n(data + at, std::min(ax7::kReportSize, size - at), report.begin());
    dispatcher.DispatchReport(report);
  }
  return 0;
}
