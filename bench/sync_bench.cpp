// What the program itself costs per exchanged report: full synchronisations against the
// simulated box in virtual time, so none of the box's answer time is counted.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "core/core.h"
#include "sim/sim_backend.h"

namespace {

// CPU time of every thread of the process (the link's reader, the worker, the simulated box).
double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
  const double cpuBefore = processCpuSeconds();
  for (auto _ : state) {
    const uint64_t before = core.link.writeCount();
    (core.sync.*start)();
    core.sync.waitIdle();
    reports += core.link.writeCount() - before;
  }
  const double cpu = processCpuSeconds() - cpuBefore;
  core.link.CloseUsbDevice(false);
  state.counters["reports"] = benchmark::Counter(double(reports));
  // What the program spends per report, the simulated box's share included; the wall time per
  // report also holds the thread hand-overs, which a real box's answer time hides.
  state.counters["cpu_us_per_report"] = benchmark::Counter(reports ? cpu * 1e6 / double(reports) : 0);
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
