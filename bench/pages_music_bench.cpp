// The microphone and music page against the simulated box (real clock, answers at once):
// - one step of a gate slider, of the effect slider (arrow key in the effect list) and of an EQ
//   band drag, each from the input event to the repaint, including storing the value and
//   queueing its reports;
// - RefreshAll after a synchronisation;
// - creating the page and showing it until its first paint;
// - the effects page's creation to its first paint, for comparison.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableWidget>
#include <memory>

#include "core/core.h"
#include "device/clock.h"
#include "graphs/eq_panel.h"
#include "pages/effects_page.h"
#include "pages/eq_editor.h"
#include "pages/music_page.h"
#include "pages/prompter.h"
#include "pages/step_slider.h"
#include "pages/value_row.h"
#include "sim/sim_backend.h"
#include "page_bench_context.h"

namespace {

using namespace ax7;

using bench::app;
using bench::BenchContext;

std::unique_ptr<ui::MusicPage> shownPage(BenchContext& c) {
  auto page = std::make_unique<ui::MusicPage>(c, 0);
  page->resize(1024, 520);
  page->show();
  QApplication::processEvents();
  return page;
}

void key(QWidget* w, Qt::Key k) {
  QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

// A gate slider: one arrow key up or down, stored, queued and repainted.
void BM_GateStep(benchmark::State& state) {
  app();
  BenchContext c(0, true);
  auto page = shownPage(c);
  ui::StepSlider* s = page->gateRow(0)->slider();
  s->setFocus();
  bool up = true;
  for (auto _ : state) {
    key(s, up ? Qt::Key_Up : Qt::Key_Down);
    up = !up;
    QApplication::processEvents();
  }
  c.core().queue.waitIdle();
}
BENCHMARK(BM_GateStep)->Unit(benchmark::kMicrosecond);

// The effect slider through the effect list's arrow keys (Echo Time: a sample word).
void BM_EffectStep(benchmark::State& state) {
  app();
  BenchContext c(0, true);
  auto page = shownPage(c);
  page->selectEffectRow(5);
  bool up = true;
  for (auto _ : state) {
    key(page->effectList(), up ? Qt::Key_Up : Qt::Key_Down);
    up = !up;
    QApplication::processEvents();
  }
  c.core().queue.waitIdle();
}
BENCHMARK(BM_EffectStep)->Unit(benchmark::kMicrosecond);

// One mouse move of a band dragged on the EQ graph: the band's record and coefficients are
// stored and queued, graph and table repainted.
void BM_EqDragStep(benchmark::State& state) {
  app();
  BenchContext c(0, true);
  auto page = shownPage(c);
  ui::CEqPanel* panel = page->eqEditor()->panel();
  const QPointF start = panel->markerCentre(4);
  auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, panel->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(panel, &e);
  };
  mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
  int i = 0;
  for (auto _ : state) {
    const QPointF at = start + QPointF((i % 20) * 2.0, (i % 10) * 1.0);
    ++i;
    mouse(QEvent::MouseMove, at, Qt::LeftButton);
    QApplication::processEvents();
  }
  mouse(QEvent::MouseButtonRelease, start, Qt::NoButton);
  c.core().queue.waitIdle();
}
BENCHMARK(BM_EqDragStep)->Unit(benchmark::kMicrosecond);

void BM_RefreshAll(benchmark::State& state) {
  app();
  BenchContext c(0, true);
  auto page = shownPage(c);
  for (auto _ : state) {
    page->RefreshAll();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RefreshAll)->Unit(benchmark::kMicrosecond);

// Created, shown and painted once (repaint paints synchronously).
template <typename MakePage>
void createAndPaint(benchmark::State& state, MakePage make) {
  app();
  BenchContext c(0, true);
  for (auto _ : state) {
    std::unique_ptr<QWidget> page(make(c));
    page->resize(1024, 520);
    page->show();
    page->repaint();
    state.PauseTiming();
    page.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_CreateShowPaintMusic(benchmark::State& state) {
  createAndPaint(state, [](BenchContext& c) { return new ui::MusicPage(c, 0); });
}
BENCHMARK(BM_CreateShowPaintMusic)->Unit(benchmark::kMillisecond);

void BM_CreateShowPaintEffects(benchmark::State& state) {
  createAndPaint(state, [](BenchContext& c) { return new ui::EffectsPage(c, 0); });
}
BENCHMARK(BM_CreateShowPaintEffects)->Unit(benchmark::kMillisecond);

}  // namespace
