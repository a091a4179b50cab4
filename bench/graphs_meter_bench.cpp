// One step of the level meter as the music page runs it: a tick, then the repaint into an image.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "graphs/peak_meter.h"

namespace {

QApplication& app() {
  static std::unique_ptr<QApplication> instance = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "graphs_meter_bench";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
  }();
  return *instance;
}

// A music-page meter kept moving: a full push whenever the bar has fallen empty.
std::unique_ptr<ax7::ui::CPeakMeterCtrl> movingMeter(QSize size) {
  app();
  auto meter = std::make_unique<ax7::ui::CPeakMeterCtrl>();
  meter->setConfig(ax7::ui::PeakMeterConfig::musicPage());
  meter->ResizeBands();
  meter->resize(size);
  return meter;
}

void keepMoving(ax7::ui::CPeakMeterCtrl& meter) {
  static const int full = 230;
  if (meter.bands()[0].value == 0) meter.PushLevels({&full, 1}, 0);
}

// The drawing alone, through a painter on an image of the meter's size.
void BM_MeterTickAndPaint(benchmark::State& state) {
  const QSize size(300, 18);
  auto meter = movingMeter(size);
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    keepMoving(*meter);
    meter->tick();
    QPainter p(&image);
    meter->paintMeter(p, image.rect());
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_MeterTickAndPaint);

// The widget's own paint path (paint event, painter set-up) rendered into an image.
void BM_MeterTickAndRender(benchmark::State& state) {
  const QSize size(300, 18);
  auto meter = movingMeter(size);
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    keepMoving(*meter);
    meter->tick();
    meter->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_MeterTickAndRender);

}  // namespace
