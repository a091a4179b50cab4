// Cost of handling one input report, for the mix a full synchronisation and the status timer
// produce: parameter answers, box memory chunks and live status.
#include <benchmark/benchmark.h>

#include <bit>
#include <memory>
#include <vector>

#include "device/dispatcher.h"
#include "params/byte_order.h"
#include "params/defaults.h"

namespace {

class SilentView : public ax7::ViewNotifier {
 public:
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override { return 0; }
  void showError(const std::string&, const std::string&) override {}
};

ax7::Report paramReply(int block, int index, int count, uint32_t word) {
  ax7::Report r{};
  r[1] = 0x0A;
  r[3] = uint8_t(block);
  r[4] = uint8_t(index);
  r[5] = uint8_t(count);
  for (int k = 0; k < count; ++k) ax7::putBe32(&r[size_t(6 + 4 * k)], word);
  return r;
}

std::vector<ax7::Report> reportMix() {
  std::vector<ax7::Report> mix;
  const uint32_t level = std::bit_cast<uint32_t>(0.42f);
  for (int index = 4; index <= 15; ++index) mix.push_back(paramReply(1, index, 1, level));
  for (int ch = 0; ch < 8; ++ch) {
    mix.push_back(paramReply(5 + ch, 24, 1, level));
    mix.push_back(paramReply(5 + ch, 27, 7, std::bit_cast<uint32_t>(0.25f)));
  }
  for (int i = 0; i < 22; ++i) {
    ax7::Report r{};
    r[1] = 0x86;
    ax7::putBe16(&r[2], uint16_t(56 * i));
    r[4] = 56;
    for (size_t b = 5; b < ax7::kReportSize; ++b) r[b] = uint8_t(b + i);
    mix.push_back(r);
  }
  for (int i = 0; i < 10; ++i) {
    ax7::Report r{};
    r[1] = 0x0E;
    for (size_t b = 2; b < 17; ++b) r[b] = uint8_t(b * i);
    mix.push_back(r);
  }
  return mix;
}

void BM_DispatchReport(benchmark::State& state) {
  auto mem = std::make_unique<ax7::ParameterMemory>();
  ax7::InitParameterMemory(*mem);
  SilentView view;
  ax7::Dispatcher dispatcher(*mem);
  dispatcher.setNotifier(&view);
  const std::vector<ax7::Report> mix = reportMix();
  size_t next = 0;
  for (auto _ : state) {
    dispatcher.DispatchReport(mix[next]);
    if (++next == mix.size()) next = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchReport);

}  // namespace
