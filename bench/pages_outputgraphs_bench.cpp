// The delay graph and the room picture on their pages, over the simulated box: one drag step
// (a mouse move, the page's handling with the reports it hands to the outgoing queue, and the
// paint) and one full paint with the cached background. Paints are rendered into a pixmap, so
// they run whether or not the offscreen platform exposes the window. Read the medians.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <memory>

#include "core/core.h"
#include "graphs/delay_panel.h"
#include "graphs/ss_volume_panel.h"
#include "pages/delay_page.h"
#include "pages/page_context.h"
#include "pages/prompter.h"
#include "pages/room_page.h"
#include "sim/sim_backend.h"
#include "page_bench_context.h"

namespace {

using namespace ax7;

using bench::app;
using bench::BenchContext;

void move(QWidget* w, QPoint at, QEvent::Type type = QEvent::MouseMove,
          Qt::MouseButton button = Qt::NoButton) {
  const QPointF local(at);
  QMouseEvent e(type, local, w->mapToGlobal(local), button,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void BM_DelayDragStep(benchmark::State& state) {
  app();
  BenchContext context;
  ui::DelayPage page(context);
  page.resize(1100, 460);
  page.show();
  ui::CDelayPanel* panel = page.panel();
  QPixmap target(panel->size());
  panel->setDelay(2, 30.0f);
  const QPoint start = panel->hitCentre(2);
  move(panel, start, QEvent::MouseButtonPress, Qt::LeftButton);
  int step = 0;
  for (auto _ : state) {
    move(panel, start + QPoint((step++ % 40) - 20, 0));
    panel->render(&target);
  }
  move(panel, start, QEvent::MouseButtonRelease, Qt::LeftButton);
}
BENCHMARK(BM_DelayDragStep)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Item 0 is the listener (a room block and eight trims per move), item 2 a speaker.
void BM_RoomDragStep(benchmark::State& state) {
  app();
  BenchContext context;
  for (int k = 0; k < 8; ++k) {
    context.core().mem.pc.setInt(size_t(Describe(Param::SpeakerAssign).wordOf(k)), k);
  }
  ui::RoomPage page(context);
  page.resize(1100, 640);
  page.show();
  ui::CSSVolumePanel* picture = page.picture();
  QPixmap target(picture->size());
  const QPoint start = picture->itemPixel(int(state.range(0)));
  move(picture, start, QEvent::MouseButtonPress, Qt::LeftButton);
  int step = 0;
  for (auto _ : state) {
    move(picture, start + QPoint((step++ % 40) - 20, 0));
    picture->render(&target);
  }
  move(picture, start, QEvent::MouseButtonRelease, Qt::LeftButton);
}
BENCHMARK(BM_RoomDragStep)
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_DelayFullPaint(benchmark::State& state) {
  app();
  ui::CDelayPanel panel;
  panel.resize(560, 400);
  panel.show();
  for (int k = 0; k < 8; ++k) panel.setDelay(k, 5.0f + 12.0f * k);
  QPixmap target(panel.size());
  panel.render(&target);  // builds the background once
  for (auto _ : state) panel.render(&target);
}
BENCHMARK(BM_DelayFullPaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_RoomFullPaint(benchmark::State& state) {
  app();
  ui::CSSVolumePanel panel;
  panel.resize(640, 580);
  panel.show();
  for (int i = 0; i < ui::CSSVolumePanel::kItems; ++i)
    panel.setItem(i, -1.5f + 0.4f * i, 0.3f * i - 1);
  QPixmap target(panel.size());
  panel.render(&target);
  for (auto _ : state) panel.render(&target);
}
BENCHMARK(BM_RoomFullPaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
