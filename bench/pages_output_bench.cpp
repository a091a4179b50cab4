// The output channels page with every channel linked, against the simulated box:
// - BM_CrossoverDragStep: one mouse move of a left drag on the crossover band (a Linkwitz-Riley
//   high-pass), from the event to the repainted graph, including the design and queueing of the
//   four records and their sections for eight channels (64 reports per move); with one channel
//   (8 reports) for comparison.
// - BM_RefreshAll and BM_ChannelSwitch: filling the page from memory, and a channel button.
// - BM_DragStall: a two-second drag of the crossover band at about 60 moves a second against a
//   box that answers after 200 ms (--sim-latency 200), in real time. Counters: max_stall_ms (the
//   longest gap between two ticks of a 2 ms heartbeat timer), max_move_ms (the longest a move
//   kept the window's thread), moves, queued (reports handed to the queue), merged (of these,
//   replaced a waiting report for the same target), written (reports that reached the link
//   during the drag), waiting (items left in the queue at its end).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>

#include "core/core.h"
#include "device/clock.h"
#include "graphs/eq_panel.h"
#include "pages/band_editor.h"
#include "pages/eq_editor.h"
#include "pages/output_nav_row.h"
#include "pages/output_page.h"
#include "pages/page_factory.h"
#include "pages/prompter.h"
#include "sim/sim_backend.h"
#include "page_bench_context.h"

namespace {

using namespace ax7;

using bench::app;
using bench::BenchContext;

// The page on CH 1 with CH 2..CH 8 linked and the crossover band an LR 24dB high-pass at
// 90 Hz (clear of the other markers), pressed on the graph.
struct LinkedPage {
  BenchContext ctx;
  std::unique_ptr<ui::OutputPage> page;
  ui::CEqPanel* panel = nullptr;
  QPointF grip;

  explicit LinkedPage(int latencyMs = 0, int channels = 8) : ctx(latencyMs) {
    app();
    page.reset(static_cast<ui::OutputPage*>(ui::CreateOutputPage(ctx, 0, nullptr)));
    page->resize(1024, 560);
    page->show();
    for (int i = 1; i < channels; ++i) page->linkBox(i)->click();
    ui::EqEditor* eq = page->eqEditor();
    panel = eq->panel();
    eq->model().setBandFrequency(9, 90);
    eq->SelectBand(9);
    eq->bandEditor()->typeRadio(2)->click();
    QComboBox* list = eq->crossoverList();
    list->setCurrentIndex(1);
    emit list->activated(1);
    QApplication::processEvents();
    grip = panel->markerCentre(9);
    mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
  }
  ~LinkedPage() { mouse(QEvent::MouseButtonRelease, grip, Qt::LeftButton, Qt::NoButton); }

  void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent ev(type, at, panel->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(panel, &ev);
  }
  // One move of the drag, to the left or the right of the grip, and the repaint it asks for.
  void step(int n) {
    grip.setX(grip.x() + ((n / 20) % 2 ? -3 : 3));
    mouse(QEvent::MouseMove, grip, Qt::NoButton, Qt::LeftButton);
    panel->repaint();
  }
};

void BM_CrossoverDragStep(benchmark::State& state) {
  LinkedPage p(0, int(state.range(0)));
  const auto before = p.ctx.core().queue.counts();
  int n = 0;
  for (auto _ : state) p.step(n++);
  const auto after = p.ctx.core().queue.counts();
  state.counters["dragged_band"] = p.page->eqEditor()->selectedBand() + 1;
  state.counters["reports_per_move"] = double(after.queued - before.queued) / n;
  state.counters["merged_share"] =
      double(after.merged - before.merged) / double(std::max<uint64_t>(1, after.queued - before.queued));
}
BENCHMARK(BM_CrossoverDragStep)
    ->ArgName("channels")
    ->Arg(8)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("max", [](const std::vector<double>& v) {
      return *std::max_element(v.begin(), v.end());
    });

void BM_RefreshAll(benchmark::State& state) {
  LinkedPage p;
  for (auto _ : state) p.page->RefreshAll();
}
BENCHMARK(BM_RefreshAll)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ChannelSwitch(benchmark::State& state) {
  LinkedPage p;
  int n = 0;
  for (auto _ : state) {
    const int channel = ++n % 8;
    p.page->navRow()->button(ui::OutputNavRow::kIds[size_t(channel)])->click();
    // The page host answers the button with SelectArgument; so does this loop.
    p.page->SelectArgument(channel);
  }
}
BENCHMARK(BM_ChannelSwitch)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

constexpr int kDragMs = 2000;
constexpr int kMoveEveryMs = 16;

void BM_DragStall(benchmark::State& state) {
  for (auto _ : state) {
    LinkedPage p(int(state.range(0)));
    Core& core = p.ctx.core();
    // Whatever the set-up queued leaves first.
    core.queue.waitIdle();
    const auto before = core.queue.counts();
    const uint64_t writesBefore = core.link.writeCount();

    QElapsedTimer since;
    qint64 lastBeat = 0, maxStall = 0, maxMove = 0;
    QTimer heartbeat;
    heartbeat.setInterval(2);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
      const qint64 now = since.elapsed();
      maxStall = std::max(maxStall, now - lastBeat);
      lastBeat = now;
    });
    int moves = 0;
    QTimer drag;
    drag.setInterval(kMoveEveryMs);
    QObject::connect(&drag, &QTimer::timeout, [&] {
      if (since.elapsed() >= kDragMs) {
        drag.stop();
        heartbeat.stop();
        QApplication::exit(0);
        return;
      }
      QElapsedTimer move;
      move.start();
      p.step(moves++);
      maxMove = std::max(maxMove, move.elapsed());
    });
    since.start();
    heartbeat.start();
    drag.start();
    app().exec();

    const auto after = core.queue.counts();
    state.counters["dragged_band"] = p.page->eqEditor()->selectedBand() + 1;
    state.counters["max_stall_ms"] = double(maxStall);
    state.counters["max_move_ms"] = double(maxMove);
    state.counters["moves"] = moves;
    state.counters["queued"] = double(after.queued - before.queued);
    state.counters["merged"] = double(after.merged - before.merged);
    state.counters["written"] = double(core.link.writeCount() - writesBefore);
    state.counters["waiting"] = double(after.waiting);
  }
}
BENCHMARK(BM_DragStall)
    ->ArgName("latency_ms")
    ->Arg(200)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
