#pragma once
// A page or tool window on its own: a context over the core, the simulated box and the
// virtual clock, with no main window. The box is opened and read once, the prompter answers
// from a script, and a trace captures every report written, so a page test checks what its
// controls store and send.
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtTest/QtTest>
#include <deque>
#include <memory>
#include <vector>

#include "core/core.h"
#include "device/clock.h"
#include "pages/page_context.h"
#include "pages/prompter.h"
#include "pages/step_slider.h"
#include "sim/sim_backend.h"
#include "support/frame_capture.h"

namespace ax7::test {

class PagePrompter final : public ui::Prompter {
 public:
  std::deque<ui::Answer> answers;  // Yes when empty
  QString openFile, saveFile;
  std::vector<QString> shown;  // texts of every box shown

  ui::Answer askYesNo(QWidget*, const QString& t, const QString&) override { return ask(t); }
  ui::Answer askYesNoCancel(QWidget*, const QString& t, const QString&) override { return ask(t); }
  void showError(QWidget*, const QString& t, const QString&) override { shown.push_back(t); }
  void showWarning(QWidget*, const QString& t, const QString&) override { shown.push_back(t); }
  void showInformation(QWidget*, const QString& t, const QString&) override { shown.push_back(t); }
  QString openFileName(QWidget*, const QString&) override { return openFile; }
  QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return saveFile;
  }

 private:
  ui::Answer ask(const QString& t) {
    shown.push_back(t);
    if (answers.empty()) return ui::Answer::Yes;
    const ui::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

class PageFixture final : public ui::PageContext {
 public:
  explicit PageFixture(ui::Language language = ui::Language::Chinese, bool open = true,
                       sim::SimFaults faults = {})
      : backend(clock, std::move(faults)), trace(clock), language_(language) {
    core_ = std::make_unique<Core>(backend, clock);
    core_->link.setTrace(&trace);
    if (open && core_->link.OpenUsbDevice(nullptr)) {
      core_->sync.startSynchronizeFromBox();
      core_->sync.waitIdle();
    }
    trace.clear();
  }
  ~PageFixture() override {
    core_->link.CloseUsbDevice(false);
    core_->link.setTrace(nullptr);
    core_.reset();
  }

  // PageContext.
  Core& core() override { return *core_; }
  ui::Prompter& prompter() override { return prompts; }
  ui::Language language() const override { return language_; }
  void ShowInfoBox(const QString& text, int ms) override {
    infos.push_back(text);
    infoMs.push_back(ms);
  }
  void RunSyncDialog() override { core_->sync.waitIdle(); }
  void SynchronizeFromBox() override {
    ++synchronisations;
    core_->sync.startSynchronizeFromBox();
    core_->sync.waitIdle();
  }
  ui::EqCopySource& eqCopySource() override { return eqCopy; }
  ui::LocateSelection& locateSelection() override { return locate; }
  void setLastOutputChannel(int channel) override { lastOutputChannel = channel; }
  int pageStatusPeriodMs() const override { return 0; }  // tests call the status handlers
  void publishKeyLearning(ui::ToolWindow* d) override { learning = d; }
  ui::ToolWindow* keyLearning() const override { return learning; }
  QWidget* dialogOwner() override { return nullptr; }

  void setLanguage(ui::Language l) { language_ = l; }
  ParameterMemory& mem() { return core_->mem; }
  std::vector<std::string> sent() { return framesHex(trace.reports()); }

  VirtualClock clock;
  sim::SimBackend backend;
  CapturingTrace trace;
  PagePrompter prompts;
  std::vector<QString> infos;
  std::vector<int> infoMs;  // how long each was to stay
  int synchronisations = 0;
  ui::EqCopySource eqCopy;
  ui::LocateSelection locate;
  int lastOutputChannel = -1;
  ui::ToolWindow* learning = nullptr;

 private:
  ui::Language language_;
  std::unique_ptr<Core> core_;
};

// Saves a page test's screenshot to the build's screenshot folder.
inline void save(QWidget& w, const QString& name) {
  QDir().mkpath(AX7_SCREENSHOT_DIR);
  QVERIFY(w.grab().save(QString(AX7_SCREENSHOT_DIR) + "/" + name + ".png"));
}

// Every text a person can read on `root` as it is shown: labels, buttons, edits, group titles
// and the chosen entries of lists (hidden widgets left out).
inline QStringList shownTexts(const QWidget& root) {
  QStringList out;
  const auto add = [&](const QString& text) {
    if (!text.isEmpty()) out << text;
  };
  for (const QWidget* w : root.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&root)) continue;
    if (auto* l = qobject_cast<const QLabel*>(w)) add(l->text());
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) add(b->text());
    if (auto* e = qobject_cast<const QLineEdit*>(w)) add(e->text());
    if (auto* g = qobject_cast<const QGroupBox*>(w)) add(g->title());
    if (auto* c = qobject_cast<const QComboBox*>(w)) add(c->currentText());
  }
  return out;
}

// The texts of `wanted` that `root` does not show (each must be one widget's whole text); empty
// when all are there. For QVERIFY2(missing.isEmpty(), ...).
inline QStringList notShown(const QWidget& root, const QStringList& wanted) {
  const QStringList shown = shownTexts(root);
  QStringList missing;
  for (const QString& w : wanted)
    if (!shown.contains(w)) missing << w;
  return missing;
}
#define AX7_VERIFY_SHOWN(root, ...)                                                   \
  do {                                                                                \
    const QStringList missing_ = ::ax7::test::notShown((root), QStringList{__VA_ARGS__}); \
    QVERIFY2(missing_.isEmpty(), qPrintable("not shown: " + missing_.join(" | ") +    \
                                            "\nshown: " +                           \
                                            ::ax7::test::shownTexts(root).join(" | "))); \
  } while (false)

// The file-name tag of a language in screenshot names.
inline QString tag(ui::Language l) {
  return l == ui::Language::Chinese ? "zh" : "en";
}

// What left for the box since the last call.
inline std::vector<std::string> drain(PageFixture& c) {
  c.core().queue.waitIdle();
  auto out = c.sent();
  c.trace.clear();
  return out;
}

// A user's move of a slider to v (as a drag straight to it).
inline void moveTo(ui::StepSlider* s, int v) {
  s->setValue(v);
  emit s->userMoved(s->value());
}

// The offscreen platform warns whenever a window's size limits change; that says nothing in a
// page test. Install in initTestCase.
inline QtMessageHandler& defaultMessageHandler() {
  static QtMessageHandler handler = nullptr;
  return handler;
}
inline void quietSizeHints(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  defaultMessageHandler()(type, context, message);
}
inline void InstallQuietSizeHints() {
  defaultMessageHandler() = qInstallMessageHandler(quietSizeHints);
}

}  // namespace ax7::test
