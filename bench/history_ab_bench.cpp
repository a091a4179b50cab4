// An A/B switch that changes three bands, sent through the window's queue as the differing-only
// write, against a full write of the same settings; the simulated box answers 2 ms after each
// request. Time until the last report left is virtual (the box's answer time, as a user hears
// it); the window's own time is the real time of the call that queues the switch.
#include <benchmark/benchmark.h>

#include <atomic>
#include <array>
#include <chrono>
#include <memory>

#include "core/core.h"
#include "device/eq_senders.h"
#include "history/write_differences.h"
#include "params/band_record.h"
#include "params/defaults.h"
#include "sim/sim_backend.h"

namespace {

constexpr int kLatencyMs = 2;

struct NullView : ax7::ViewNotifier {
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override { return 0; }
  void showError(const std::string&, const std::string&) override {}
};

// The virtual time of the last report written.
struct LastWrite : ax7::ReportTrace {
  explicit LastWrite(ax7::Clock& clock) : clock(clock) {}
  void written(const ax7::Report&) override { last.store(clock.nowMs()); }
  void read(const ax7::Report&) override {}
  void phase(std::string_view) override {}
  ax7::Clock& clock;
  std::atomic<int64_t> last{0};
};

struct Box {
  Box() : backend(clock, faults()), core(backend, clock), trace(clock) {
    core.setNotifier(&view);
    core.link.setTrace(&trace);
    ok = core.link.OpenUsbDevice(&view);
  }
  ~Box() { core.link.CloseUsbDevice(false); }
  static ax7::sim::SimFaults faults() {
    ax7::sim::SimFaults f;
    f.latencyMs = kLatencyMs;
    return f;
  }

  ax7::VirtualClock clock;
  ax7::sim::SimBackend backend;
  ax7::Core core;
  NullView view;
  LastWrite trace;
  bool ok = false;
};

// Settings A and B: B has three bands of three EQ sets changed.
void settingsPair(const ax7::ParameterMemory& live, ax7::history::SettingsImage& a,
                  ax7::history::SettingsImage& b) {
  a = ax7::history::ImageOf(live);
  ax7::ParameterMemory mem;
  ax7::history::LoadImage(mem, a);
  ax7::PutBandRecord(mem, 1, 2, ax7::PackBandRecord(1, 4.5f, 1000, 1.41f));
  ax7::PutBandRecord(mem, 4, 5, ax7::PackBandRecord(4, -3.0f, 200, 0.7f));
  ax7::PutBandRecord(mem, 7, 0, ax7::PackBandRecord(1, 2.0f, 63, 2.0f));
  b = ax7::history::ImageOf(mem);
}

void BM_AbSwitchThreeBands(benchmark::State& state) {
  Box box;
  if (!box.ok) {
    state.SkipWithError("cannot open the simulated box");
    return;
  }
  ax7::history::SettingsImage a, b;
  settingsPair(box.core.mem, a, b);
  int reports = 0, switches = 0;
  int64_t heardMs = 0;
  double windowUs = 0;
  bool toB = true;
  for (auto _ : state) {
    const int64_t start = box.clock.nowMs();
    const auto t0 = std::chrono::steady_clock::now();
    reports += ax7::history::WriteDifferences(box.core.ui, box.core.uiEq, toB ? b : a);
    windowUs += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                    .count();
    box.core.queue.waitIdle();
    heardMs += box.trace.last.load() - start;
    ++switches;
    toB = !toB;
  }
  state.counters["reports_per_switch"] = double(reports) / switches;
  state.counters["virtual_ms_to_last_report"] = double(heardMs) / switches;
  state.counters["window_us"] = windowUs / switches;
}
BENCHMARK(BM_AbSwitchThreeBands)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FullWriteOfTheSameSettings(benchmark::State& state) {
  Box box;
  if (!box.ok) {
    state.SkipWithError("cannot open the simulated box");
    return;
  }
  int64_t reports = 0, heardMs = 0, runs = 0;
  for (auto _ : state) {
    const uint64_t before = box.core.link.writeCount();
    const int64_t start = box.clock.nowMs();
    box.core.sync.startSynchronizeToBox();
    box.core.sync.waitIdle();
    heardMs += box.trace.last.load() - start;
    reports += int64_t(box.core.link.writeCount() - before);
    ++runs;
  }
  state.counters["reports_per_switch"] = double(reports) / double(runs);
  state.counters["virtual_ms_to_last_report"] = double(heardMs) / double(runs);
}
BENCHMARK(BM_FullWriteOfTheSameSettings)->Unit(benchmark::kMillisecond)->UseRealTime();

// The differing-only write alone, into a sink that only counts: the work of working out what
// differs (both sides as the full write leaves them) without a queue or a box behind it.
struct CountingSink final : ax7::FrameSink {
  int send(const ax7::Report&, ax7::MergeKey) override {
    ++count;
    return int(ax7::kReportSize);
  }
  void pause(int) override {}
  void phase(const char*) override {}
  int64_t count = 0;
};

void BM_WriteDifferencesOnly(benchmark::State& state) {
  ax7::VirtualClock clock;
  ax7::sim::SimBackend backend(clock);
  ax7::Core core(backend, clock);  // never opened: the link only owns the encoders here
  auto live = std::make_unique<ax7::ParameterMemory>();
  ax7::InitParameterMemory(*live);
  ax7::history::SettingsImage a, b;
  settingsPair(*live, a, b);
  auto targets = std::make_unique<std::array<ax7::ParameterMemory, 2>>();
  ax7::history::LoadImage((*targets)[0], a);
  ax7::history::LoadImage((*targets)[1], b);
  CountingSink sink;
  ax7::Commands cmd(*live, core.link, clock, &sink);
  ax7::EqSenders eq(cmd);
  bool toB = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ax7::history::WriteDifferences(cmd, eq, (*targets)[toB ? 1 : 0]));
    toB = !toB;
  }
  state.counters["reports_per_switch"] = double(sink.count) / double(state.iterations());
}
BENCHMARK(BM_WriteDifferencesOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
