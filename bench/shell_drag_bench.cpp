// A two-second drag in the real window against a slow simulated box (200 ms per answer, real
// time): how long the window's event loop stalls at worst, and how many reports reach the box.
// Variants: the ribbon's microphone master slider and an EQ band (what the EQ graph sends per
// mouse move), both through the outgoing queue; and the slider's edits sent directly on the
// window's thread, the way every edit went before the queue, for comparison; and the slider
// against a box that never answers (every report waits out the 1800 ms reply gate).
//
// Counters: max_stall_ms (longest gap between two ticks of a 2 ms heartbeat timer),
// max_edit_ms (longest time one mouse move spent on the window's thread), edits,
// reports (reports handed to the link, including the ones still waiting at the end of the drag),
// box_at_last (1 when the box holds the last value once the queue is empty).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <bit>
#include <memory>

#include "core/core.h"
#include "dsp/biquad.h"
#include "pages/prompter.h"
#include "pages/step_slider.h"
#include "shell/app_state.h"
#include "shell/device_session.h"
#include "shell/main_window.h"
#include "shell/master_controls.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "sim/sim_backend.h"

namespace {

using namespace ax7;

enum Variant { kQueuedSlider = 0, kQueuedEqBand = 1, kDirectSlider = 2, kQueuedSliderSilent = 3 };

constexpr int kLatencyMs = 200;
constexpr int kDragMs = 2000;
constexpr int kMoveEveryMs = 16;  // mouse moves at about 60 per second

QApplication& app() {
  static int argc = 1;
  static char name[] = "shell_drag_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* a = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *a;
}

void BM_Drag(benchmark::State& state) {
  app();
  const auto variant = Variant(state.range(0));
  for (auto _ : state) {
    RealClock clock;
    sim::SimFaults faults;
    faults.latencyMs = kLatencyMs;
    faults.silent = variant == kQueuedSliderSilent;
    sim::SimBackend backend(clock, faults);
    ui::DeviceSession session(clock, backend);
    Core& core = session.core();
    QTemporaryDir dir;
    QSettings settings(dir.filePath("profile.ini"), QSettings::IniFormat);
    ui::DialogPrompter prompter;
    ui::Timings timings;
    timings.startTimers = false;
    ui::AppState appState(core, settings, prompter, timings);
    ui::MainWindow window(appState, backend, session.notifier());
    window.show();
    // The box is opened without the synchronisation (217 answers at 200 ms each).
    core.mem.dev.g_settingsCurrent.set(5, 99);
    core.mem.dev.g_settingsCurrent.set(6, 99);
    if (!core.link.OpenUsbDevice(&session.notifier())) {
      state.SkipWithError("the simulated box did not open");
      return;
    }
    auto* slider = window.ribbon().controlAs<ui::StepSlider>(ui::ID_SLIDER_MICVOL);

    // The first show and paint are not part of the drag.
    QTimer::singleShot(300, [] { QApplication::exit(0); });
    app().exec();

    QElapsedTimer since;
    qint64 maxHandler = 0;
    qint64 lastBeat = 0, maxStall = 0;
    QTimer heartbeat;
    heartbeat.setInterval(2);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
      const qint64 now = since.elapsed();
      maxStall = std::max(maxStall, now - lastBeat);
      lastBeat = now;
    });

    int edits = 0, last = 0;
    const uint64_t writesBefore = core.link.writeCount();
    QTimer drag;
    drag.setInterval(kMoveEveryMs);
    QObject::connect(&drag, &QTimer::timeout, [&] {
      if (since.elapsed() >= kDragMs) {
        drag.stop();
        heartbeat.stop();
        QApplication::exit(0);
        return;
      }
      last = 10 + (edits % 80);
      ++edits;
      QElapsedTimer handler;
      handler.start();
      switch (variant) {
        case kQueuedSlider:
        case kQueuedSliderSilent: {
          const QSignalBlocker block(slider);
          slider->setValue(last);
          window.master().handleSlider(ui::ID_SLIDER_MICVOL);
          break;
        }
        case kQueuedEqBand:
          core.uiEq.SendMicAEqBand(3, 1, float(last - 50) / 4.0f, 250, 1.41f);
          break;
        case kDirectSlider:
          core.cmd.SetParam(Param::MicMaster, last);
          break;
      }
      maxHandler = std::max(maxHandler, handler.elapsed());
    });

    since.start();
    heartbeat.start();
    drag.start();
    app().exec();
    const uint64_t reportsDuringDrag = core.link.writeCount() - writesBefore;
    core.queue.waitIdle(variant == kQueuedSliderSilent ? 0 : Clock::kForever);
    const uint64_t reports = core.link.writeCount() - writesBefore;

    bool atLast = false;
    if (variant != kQueuedSliderSilent)
      backend.withBox([&](sim::SimBox& b) {
        if (variant == kQueuedEqBand) {
          const auto c = dsp::designSection(1, float(last - 50) / 4.0f, 250, 1.41f);
          const auto words = dsp::boxWords(c);
          const auto a = EqSenders::AddressOf(0, 3);
          const auto got = b.dspParam(a.block, a.index);
          atLast = got.size() == 5 && got[0] == std::bit_cast<uint32_t>(words[0]) &&
                   got[2] == std::bit_cast<uint32_t>(words[2]);
        } else {
          const ParamDesc& mic = Describe(Param::MicMaster);
          const auto got = b.dspParam(mic.block, mic.index);
          atLast = !got.empty() && got[0] == std::bit_cast<uint32_t>(EncodeMaster(last));
        }
      });
    state.counters["max_stall_ms"] = double(maxStall);
    state.counters["max_edit_ms"] = double(maxHandler);
    state.counters["edits"] = edits;
    state.counters["reports_in_drag"] = double(reportsDuringDrag);
    state.counters["reports"] = double(reports);
    state.counters["box_at_last"] = atLast ? 1 : 0;
    core.link.CloseUsbDevice(false);
  }
}
BENCHMARK(BM_Drag)
    ->ArgName("variant")
    ->Arg(kQueuedSlider)
    ->Arg(kQueuedEqBand)
    ->Arg(kDirectSlider)
    ->Arg(kQueuedSliderSilent)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
