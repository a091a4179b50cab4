// Tool windows against the host: a learned key code reaches the running key-learning dialog,
// closing the tool windows while one of them runs a nested dialog never frees it under its own
// handler, and the machine settings' end shows memory on the ribbon again.
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <map>

#include "pages/key_learning.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/sync_dialog.h"
#include "shell/tool_windows.h"
#include "shell_fixture.h"
#include "support/qt_text.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

// The key-learning dialog as far as the host sees it: it shows codes and ends on the first.
class LearningDialog : public ToolWindow {
 public:
  LearningDialog(PageContext& context, QWidget* parent)
      : ToolWindow(context, kKeyLearningWindow, parent) {
    // Never hang the suite when nothing arrives.
    QTimer::singleShot(20000, this, [this] { done(QDialog::Rejected); });
  }
  void ShowLearnedCode(int code) override {
    codes.push_back(code);
    if (onCode) onCode(code);
    if (acceptOnCode) accept();
  }
  std::vector<int> codes;
  bool acceptOnCode = true;
  std::function<void(int)> onCode;
};

constexpr int kKey = 3;

// Counts how often it was filled from memory.
class CountingWindow : public ToolWindow {
 public:
  CountingWindow(PageContext& context, int id, QWidget* parent) : ToolWindow(context, id, parent) {}
  void RefreshAll() override { ++refreshes; }
  int refreshes = 0;
};

}  // namespace

class ToolWindowHostTest : public QObject {
  Q_OBJECT

 private slots:
  void learnedCodeReachesTheRunningDialog();
  void closingDuringKeyLearningEndsTheDialogFirst();
  void closingDuringANestedSynchronisationKeepsTheWindowUntilItsHandlerReturns();
  void machineSettingsEndRefreshesTheRibbon();
  void onlyWindowsThatFollowThePagesAreRefreshedWithThem();
};

void ToolWindowHostTest::learnedCodeReachesTheRunningDialog() {
  Shell s;
  QVERIFY(s.boxOpen());
  ToolWindows& tools = s.window->tools();
  ToolWindow* remote = tools.open(kRemoteLearningWindow);
  QVERIFY(remote);
  // Nothing published: a code is dropped, and the sending thread still gets its answer.
  intptr_t answer = -1;
  std::thread reader([&] { answer = s.session->notifier().send(kMsgKeyLearned, 0x21, 0); });
  QTRY_COMPARE(answer, intptr_t(0));
  reader.join();

  LearningDialog dialog(*s.window, remote);
  bool publishedWhenSent = false;
  const bool ok = RunKeyLearning(*remote, dialog, [&] {
    publishedWhenSent = s.window->keyLearning() == &dialog;
    s.core().cmd.SendCommand(0x60, kKey);
  });
  QVERIFY(ok);
  QVERIFY(publishedWhenSent);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.codes.size(), size_t(1));
  QCOMPARE(dialog.codes[0], int(s.mem().dev.g_remoteKeys.get(kKey)));
  // Withdrawn when the dialog ends: a late code goes nowhere.
  QVERIFY(s.window->keyLearning() == nullptr);
  s.window->tools().deliverLearnedCode(0x44);
  QCOMPARE(dialog.codes.size(), size_t(1));
}

void ToolWindowHostTest::closingDuringKeyLearningEndsTheDialogFirst() {
  Shell s;
  ToolWindows& tools = s.window->tools();
  QPointer<ToolWindow> remote = tools.open(kRemoteLearningWindow);
  QPointer<ToolWindow> autoSub = tools.open(kAutoSubWindow);
  auto* dialog = new LearningDialog(*s.window, remote);
  dialog->acceptOnCode = false;
  // The box goes away and comes back while the key is being learned: the arrival closes the
  // tool windows and synchronises (its progress window runs inside the learning loop).
  const auto replug = [&] {
    s.backend.unplug();
    QTRY_VERIFY(!s.boxOpen());
    s.backend.plug();
  };
  bool finished = false;
  bool stillThere = false;
  QTimer::singleShot(0, [&] {
    const bool ok = RunKeyLearning(*remote, *dialog, [&] {
      s.core().cmd.SendCommand(0x60, kKey);
      QTimer::singleShot(0, dialog, replug);
    });
    // The handler returns into a window that still exists, and is told it was closed.
    stillThere = !remote.isNull() && remote->closing();
    finished = !ok;
    delete dialog;
  });
  QTRY_VERIFY_WITH_TIMEOUT(finished, 20000);
  QVERIFY(stillThere);
  QVERIFY(s.window->keyLearning() == nullptr);
  // Deleted once its handler has returned; the others at once.
  QTRY_VERIFY(remote.isNull());
  QVERIFY(autoSub.isNull());
  QTRY_VERIFY(s.boxOpen());
  s.core().sync.waitIdle();
}

void ToolWindowHostTest::closingDuringANestedSynchronisationKeepsTheWindowUntilItsHandlerReturns() {
  Shell s;
  ToolWindows& tools = s.window->tools();
  QPointer<ToolWindow> settings = tools.open(kMachineSettingsWindow);
  QVERIFY(settings);
  // A handler of the machine settings runs a synchronisation; meanwhile the tool windows are
  // closed (twice: the second finds nothing).
  bool ok = true;
  bool aliveInside = false;
  s.window->sync().onShown = [&](SyncDialog& d) {
    tools.CloseToolWindows();
    tools.CloseToolWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    aliveInside = !settings.isNull() && !settings->isVisible();
    s.core().sync.waitIdle();
    QTRY_VERIFY(!s.window->sync().isOpen() || (d.finishSync(), true));
  };
  ok = settings->runNested([&] { s.window->SynchronizeFromBox(); });
  QVERIFY(!ok);
  QVERIFY(aliveInside);
  QVERIFY(!settings.isNull());
  QVERIFY(tools.window(kMachineSettingsWindow) == nullptr);
  QTRY_VERIFY(settings.isNull());
  // The next F7 makes a new one.
  QTest::keyClick(s.window.get(), Qt::Key_F7);
  QVERIFY(tools.window(kMachineSettingsWindow) != nullptr);
}

void ToolWindowHostTest::machineSettingsEndRefreshesTheRibbon() {
  for (bool byHost : {false, true}) {
    Shell s;
    Ribbon& ribbon = s.window->ribbon();
    ToolWindow* settings = s.window->tools().open(kMachineSettingsWindow);
    const QString before = TextOf(ribbon.control(ID_LABEL_MICVOL));
    // The window changed a value the ribbon shows.
    s.mem().pc.setInt(0, s.mem().pc.getInt(0) == 10 ? 20 : 10);
    if (byHost) {
      s.window->CloseToolWindows();
    } else {
      settings->close();
    }
    // Queued: nothing changes while the window goes.
    QCOMPARE(TextOf(ribbon.control(ID_LABEL_MICVOL)), before);
    QTRY_VERIFY(TextOf(ribbon.control(ID_LABEL_MICVOL)) != before);
  }
}

void ToolWindowHostTest::onlyWindowsThatFollowThePagesAreRefreshedWithThem() {
  Shell s;
  ToolWindows tools(s.window.get());
  std::map<int, CountingWindow*> made;
  for (int id : {901, 902, 903}) {
    ToolWindows::Spec spec;
    spec.create = [&s, &made, id](QWidget* owner) {
      return made[id] = new CountingWindow(*s.window, id, owner);
    };
    spec.refreshOnOpen = false;
    spec.refreshWithPages = id != 902;
    tools.define(id, std::move(spec));
  }
  tools.open(901);
  tools.open(902);  // 903 is never opened: nothing to refresh
  tools.RefreshWithPages();
  QCOMPARE(made[901]->refreshes, 1);
  QCOMPARE(made[902]->refreshes, 0);
  QVERIFY(!made.count(903));
  tools.CloseToolWindows();
}

QTEST_MAIN(ToolWindowHostTest)
#include "shell_toolwindows_qtest.moc"
