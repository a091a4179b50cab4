// The EQ graph of an output channel at 1000 x 400: one left-drag step (event, band recompute,
// notification, full repaint) and one full paint, both with the crossover band's cascade shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include "graphs/eq_panel.h"

namespace {

void ensureApplication() {
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "graphs_eqpanel_bench";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  (void)app;
}

// A 13-band output EQ with gains on the nine bands and a Linkwitz-Riley 24dB low-pass crossover,
// as a user would leave it.
struct OutputGraph {
  ax7::EqSetModel model;
  ax7::ui::CEqPanel panel;
  QImage image;
  int notifications = 0;
  float lastGain = 0;

  OutputGraph() {
    model.setEqSet(7);
    model.setBandCount(10);
    model.setBandCount(13);
    panel.setModel(&model);
    panel.resize(1000, 400);
    const float gains[9] = {4, 2, -3, 0, 1, -2, 3, 0, -5};
    for (int i = 0; i < 9; ++i) model.setBandGain(i, gains[i]);
    model.setBandFrequency(9, 2500);
    model.chooseBandType(9, 2);
    model.applyCrossover(9, 1);
    QObject::connect(&panel, &ax7::ui::CEqPanel::EqBandNotify,
                     [this](const ax7::dsp::EqBand& b, int) {
                       ++notifications;
                       lastGain = b.gainDb;
                     });
    panel.show();
    image = QImage(panel.size(), QImage::Format_ARGB32_Premultiplied);
  }

  void send(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent ev(type, at, panel.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&panel, &ev);
  }
  void render() { panel.render(&image); }
};

void BM_LeftDragStep(benchmark::State& state) {
  ensureApplication();
  OutputGraph g;
  const QPointF start = g.panel.markerCentre(4);
  g.send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  int step = 0;
  for (auto _ : state) {
    // Wander around the start so frequency and gain change on every step.
    const QPointF to = start + QPointF(step % 120 - 60, (step * 7) % 80 - 40);
    ++step;
    g.send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    g.render();
    benchmark::DoNotOptimize(g.image.constBits());
  }
  g.send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
  if (g.notifications < step) state.SkipWithError("a drag step was not notified");
}
BENCHMARK(BM_LeftDragStep)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The whole picture with the crossover band selected: grid layer, cascade fill, total curve,
// markers, readout and status line.
void BM_FullPaint(benchmark::State& state) {
  ensureApplication();
  OutputGraph g;
  const QPointF crossover = g.panel.markerCentre(9);
  g.send(QEvent::MouseButtonPress, crossover, Qt::LeftButton, Qt::LeftButton);
  g.send(QEvent::MouseButtonRelease, crossover, Qt::LeftButton, Qt::NoButton);
  if (g.panel.selectedBand() != 9) state.SkipWithError("the crossover band was not picked");
  for (auto _ : state) {
    g.render();
    benchmark::DoNotOptimize(g.image.constBits());
  }
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
