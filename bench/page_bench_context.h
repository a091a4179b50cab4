#pragma once
// A page's world for the page benchmarks: a core over the simulated box on the real clock,
// with no main window. The box answers after latencyMs; `synchronize` reads it once first.
#include <QApplication>

#include "core/core.h"
#include "device/clock.h"
#include "pages/eq_copy_source.h"
#include "pages/page_context.h"
#include "pages/prompter.h"
#include "sim/sim_backend.h"

namespace ax7::bench {

// The one QApplication of a benchmark program, offscreen.
inline QApplication& app() {
  static int argc = 1;
  static char name[] = "ax7_page_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* a = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *a;
}

class BenchContext final : public ui::PageContext {
 public:
  explicit BenchContext(int latencyMs = 0, bool synchronize = false)
      : backend(clock, faults(latencyMs)), core_(backend, clock) {
    if (core_.link.OpenUsbDevice(nullptr) && synchronize) SynchronizeFromBox();
  }
  ~BenchContext() override {
    core_.queue.waitIdle(2000);
    core_.link.CloseUsbDevice(false);
  }

  Core& core() override { return core_; }
  ui::Prompter& prompter() override { return prompter_; }
  ui::Language language() const override { return ui::Language::English; }
  void ShowInfoBox(const QString&, int) override {}
  void RunSyncDialog() override { core_.sync.waitIdle(); }
  void SynchronizeFromBox() override {
    core_.sync.startSynchronizeFromBox();
    core_.sync.waitIdle();
  }
  ui::EqCopySource& eqCopySource() override { return copy_; }
  ui::LocateSelection& locateSelection() override { return locate_; }
  int pageStatusPeriodMs() const override { return 0; }
  void publishKeyLearning(ui::ToolWindow*) override {}
  ui::ToolWindow* keyLearning() const override { return nullptr; }
  QWidget* dialogOwner() override { return nullptr; }

  RealClock clock;
  sim::SimBackend backend;

 private:
  static sim::SimFaults faults(int latencyMs) {
    sim::SimFaults f;
    f.latencyMs = latencyMs;
    return f;
  }
  Core core_;
  ui::DialogPrompter prompter_;
  ui::EqCopySource copy_;
  ui::LocateSelection locate_;
};

}  // namespace ax7::bench
