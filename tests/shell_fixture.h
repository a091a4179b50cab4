#pragma once
// A whole desktop program against the simulated box, in virtual time: the window is real,
// the timers are off (tests call the handlers), the prompter answers from a script, and a
// trace captures every report the link writes.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>

#include "device/clock.h"
#include "shell/app_state.h"
#include "shell/connection.h"
#include "shell/device_session.h"
#include "shell/main_window.h"
#include "pages/prompter.h"
#include "sim/sim_backend.h"
#include "support/frame_capture.h"

namespace ax7::test {

using ui::Answer;

class ScriptedPrompter final : public ui::Prompter {
 public:
  struct Shown {
    QString kind;  // "question", "error", "warning", "information"
    QString text;
    QString caption;
  };

  std::deque<Answer> answers;  // next answers to questions; Yes when empty
  QString openFile;            // what the open dialog returns
  QString saveFile;            // what the save dialog returns
  int openDialogs = 0;
  int saveDialogs = 0;
  QString lastProposedName;
  std::vector<Shown> shown;
  std::function<void(const Shown&)> onShown;  // runs while the "box" is open

  Answer askYesNo(QWidget*, const QString& text, const QString& caption) override {
    return ask(text, caption);
  }
  Answer askYesNoCancel(QWidget*, const QString& text, const QString& caption) override {
    return ask(text, caption);
  }
  void showError(QWidget*, const QString& text, const QString& caption) override {
    record({"error", text, caption});
  }
  void showWarning(QWidget*, const QString& text, const QString& caption) override {
    record({"warning", text, caption});
  }
  void showInformation(QWidget*, const QString& text, const QString& caption) override {
    record({"information", text, caption});
  }
  QString openFileName(QWidget*, const QString&) override {
    ++openDialogs;
    return openFile;
  }
  QString saveFileName(QWidget*, const QString&, const QString& proposedName,
                       const QString&) override {
    ++saveDialogs;
    lastProposedName = proposedName;
    return saveFile;
  }

  int count(const QString& kind) const {
    int n = 0;
    for (const Shown& s : shown) n += s.kind == kind;
    return n;
  }

 private:
  Answer ask(const QString& text, const QString& caption) {
    record({"question", text, caption});
    if (answers.empty()) return Answer::Yes;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void record(const Shown& s) {
    shown.push_back(s);
    if (onShown) onShown(s);
  }
};

struct ShellOptions {
  int language = 0;
  sim::SimFaults faults;
  bool connect = true;            // run the first connect attempt (box to PC synchronisation)
  HidBackend* backend = nullptr;  // instead of the simulated box

  ShellOptions& lang(int l) { return language = l, *this; }
  ShellOptions& withFaults(sim::SimFaults f) { return faults = std::move(f), *this; }
  ShellOptions& noConnect() { return connect = false, *this; }
  ShellOptions& withBackend(HidBackend* b) { return backend = b, *this; }
};

class Shell {
 public:
  explicit Shell(ShellOptions options = {})
      : backend(clock, options.faults),
        trace(clock),
        settings(dir.filePath("profile.ini"), QSettings::IniFormat) {
    settings.setValue(ui::kKeyLanguage, options.language);
    HidBackend& used = options.backend ? *options.backend : backend;
    session = std::make_unique<ui::DeviceSession>(clock, used);
    session->core().link.setTrace(&trace);
    ui::Timings timings;
    timings.startTimers = false;
    timings.saveModeNoticeDelayMs = 0;
    state = std::make_unique<ui::AppState>(session->core(), settings, prompter, timings);
    // Snapshots stay in the test's folder, never in the user's.
    state->snapshotDir = dir.filePath("snapshots");
    window = std::make_unique<ui::MainWindow>(*state, used, session->notifier());
    window->show();
    if (options.connect) connect();
  }
  ~Shell() {
    window.reset();
    session.reset();
  }

  // The first connect attempt; returns when its synchronisation has finished and its worker
  // has ended (the worker allows the status request only after posting its message).
  void connect() {
    window->connection().connectAttempt();
    core().sync.waitIdle();
  }
  Core& core() { return session->core(); }
  ParameterMemory& mem() { return session->core().mem; }
  bool boxOpen() { return state->boxOpen(); }

  // Frames written since the last clear, as hex text, once the window's outgoing queue has
  // sent what it holds.
  std::vector<std::string> sent() {
    core().queue.waitIdle();
    return framesHex(trace.reports());
  }
  void clearSent() { trace.clear(); }

  VirtualClock clock;
  sim::SimBackend backend;
  CapturingTrace trace;
  QTemporaryDir dir;
  QSettings settings;
  ScriptedPrompter prompter;
  std::unique_ptr<ui::DeviceSession> session;
  std::unique_ptr<ui::AppState> state;
  std::unique_ptr<ui::MainWindow> window;
};

// Does `frames` contain `frame` (hex text as written by frameHex)?
inline bool containsFrame(const std::vector<std::string>& frames, std::string_view hex) {
  const std::string want = frameHex(parseFrame(hex));
  return std::find(frames.begin(), frames.end(), want) != frames.end();
}

}  // namespace ax7::test
