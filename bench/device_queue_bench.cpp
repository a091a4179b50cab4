// The cost of one edit on the window's thread: store the value, encode it and hand the report
// to the outgoing queue. The box is silent, so the sender sits on the reply gate and the edits
// merge in the queue, as during a drag against a slow box; the direct send is shown for
// comparison without a box (the transport drops it at once).
#include <benchmark/benchmark.h>

#include "core/core.h"
#include "sim/sim_backend.h"

namespace {

using namespace ax7;

struct Rig {
  explicit Rig(bool open) : backend(clock, faults()), core(backend, clock) {
    if (open) core.link.OpenUsbDevice(nullptr);
  }
  ~Rig() {
    core.link.CloseUsbDevice(false);
    core.queue.stop();
  }
  static sim::SimFaults faults() {
    sim::SimFaults f;
    f.silent = true;
    return f;
  }
  RealClock clock;
  sim::SimBackend backend;
  Core core;
};

// One target, dragged: every edit replaces the waiting report.
void BM_QueuedEditSameTarget(benchmark::State& state) {
  Rig rig(true);
  int v = 0;
  for (auto _ : state) rig.core.ui.SetParam(Param::MicMaster, (v++) % 100);
  state.counters["merged"] = double(rig.core.queue.counts().merged);
}
BENCHMARK(BM_QueuedEditSameTarget);

// Eight targets in turn (a linked drag over eight outputs): the merge looks back past up to
// seven other waiting reports.
void BM_QueuedEditEightTargets(benchmark::State& state) {
  Rig rig(true);
  int v = 0;
  for (auto _ : state) {
    rig.core.ui.SetParam(Param::ChannelLevel, v % 8, v % 100);
    ++v;
  }
  state.counters["waiting"] = double(rig.core.queue.counts().waiting);
}
BENCHMARK(BM_QueuedEditEightTargets);

// The same edit written directly with no box open: encoding plus the transport's drop.
void BM_DirectEditNoBox(benchmark::State& state) {
  Rig rig(false);
  int v = 0;
  for (auto _ : state) rig.core.cmd.SetParam(Param::MicMaster, (v++) % 100);
}
BENCHMARK(BM_DirectEditNoBox);

}  // namespace
