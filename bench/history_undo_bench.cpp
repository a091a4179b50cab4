// Undo and redo of one step through the window's encoders and queue, with the simulated box
// behind the link: an EQ band (its record and section), and a linked edit of eight channels.
// The time is the window's: the call that restores memory and queues the reports.
#include <benchmark/benchmark.h>

#include "core/core.h"
#include "history/edit_journal.h"
#include "params/band_record.h"
#include "sim/sim_backend.h"

namespace {

struct NullView : ax7::ViewNotifier {
  void post(int, intptr_t, intptr_t) override {}
  intptr_t send(int, intptr_t, intptr_t) override { return 0; }
  void showError(const std::string&, const std::string&) override {}
};

struct Box {
  Box() : backend(clock), core(backend, clock), journal(core.mem, clock) {
    core.setNotifier(&view);
    ok = core.link.OpenUsbDevice(&view);
    journal.attach(core.ui);
  }
  ~Box() { core.link.CloseUsbDevice(false); }

  ax7::VirtualClock clock;
  ax7::sim::SimBackend backend;
  ax7::Core core;
  NullView view;
  ax7::history::EditJournal journal;
  bool ok = false;
};

template <typename Edit>
void undoRedo(benchmark::State& state, Edit edit) {
  Box box;
  if (!box.ok) {
    state.SkipWithError("cannot open the simulated box");
    return;
  }
  edit(box.core);
  box.journal.endTurn();
  box.core.queue.waitIdle();
  int64_t reports = 0, runs = 0;
  bool undo = true;
  for (auto _ : state) {
    const int sent = undo ? box.journal.undo(box.core.ui, box.core.uiEq)
                          : box.journal.redo(box.core.ui, box.core.uiEq);
    state.PauseTiming();
    if (sent < 0) state.SkipWithError("nothing to undo or redo");
    reports += sent;
    ++runs;
    undo = !undo;
    box.core.queue.waitIdle();
    state.ResumeTiming();
  }
  state.counters["reports_per_step"] = double(reports) / double(runs);
}

void BM_UndoRedoBand(benchmark::State& state) {
  undoRedo(state, [](ax7::Core& core) { core.uiEq.SendMicAEqBand(2, 1, 6.0f, 1000, 1.41f); });
}
BENCHMARK(BM_UndoRedoBand)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoLinkedEightChannels(benchmark::State& state) {
  undoRedo(state, [](ax7::Core& core) {
    for (int ch = 0; ch < 8; ++ch) core.ui.SetParam(ax7::Param::MixDirect, ch, 35);
  });
}
BENCHMARK(BM_UndoRedoLinkedEightChannels)->Unit(benchmark::kMicrosecond);

}  // namespace
