// What the program itself costs per exchanged report: a full box-to-PC synchronisation against
// the simulated box in virtual time, so none of the box's answer time is counted.
#include <benchmark/benchmark.h>

#include "device/core.h"
#include "sim/sim_backend.h"

namespace {

struct NullView : ax7::ViewNotifier {
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override { return 0; }
  void showError(const std::string&, const std::string&) override {}
};

// Runs one synchronisation per iteration and reports the wall time per exchanged report.
void runSync(benchmark::State& state, void (ax7::Synchroniser::*start)()) {
  ax7::VirtualClock clock;
  ax7::sim::SimBackend backend(clock);
  ax7::Core core(backend, clock);
  NullView view;
  core.setNotifier(&view);
  if (!core.link.OpenUsbDevice(&view)) {
    state.SkipWithError("cannot open the simulated box");
    return;
  }
  uint64_t reports = 0;
  for (auto _ : state) {
    const uint64_t before = core.link.writeCount();
    (core.sync.*start)();
    core.sync.waitIdle();
    reports += core.link.writeCount() - before;
  }
  core.link.CloseUsbDevice(false);
  state.counters["reports"] = benchmark::Counter(double(reports));
  state.counters["per_report"] =
      benchmark::Counter(double(reports), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SynchronizeFromBox(benchmark::State& state) {
  runSync(state, &ax7::Synchroniser::startSynchronizeFromBox);
}
BENCHMARK(BM_SynchronizeFromBox)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SynchronizeToBox(benchmark::State& state) {
  runSync(state, &ax7::Synchroniser::startSynchronizeToBox);
}
BENCHMARK(BM_SynchronizeToBox)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
