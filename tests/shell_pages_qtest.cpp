// The page host with small test pages: one current page and its replacement rule, the
// category change, the status bar's EQ controls, the tool-window registry and the routing of
// the core's messages to the view.
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <thread>

#include "shell/page_host.h"
#include "shell/qt_view_notifier.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/status_panes.h"
#include "shell/tool_windows.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

class TestPage : public Page {
 public:
  TestPage(PageContext& context, PageKind kind, int argument, bool eq, QWidget* parent)
      : Page(context, kind, parent), argument(argument), eq(eq) {}
  void RefreshAll() override { ++refreshes; }
  void ApplyLanguage() override { ++languages; }
  void SelectArgument(int a) override {
    argument = a;
    ++selections;
  }
  bool hasEq() const override { return eq; }
  bool IsEqBypassed() const override { return bypassed; }
  void ToggleEqBypass() override { bypassed = !bypassed; }
  void ResetEq() override { ++resets; }

  int argument;
  bool eq;
  bool bypassed = false;
  int refreshes = 0;
  int languages = 0;
  int selections = 0;
  int resets = 0;
};

class LearningWindow : public ToolWindow {
 public:
  LearningWindow(PageContext& context, QWidget* parent)
      : ToolWindow(context, kKeyLearningWindow, parent) {}
  void ShowLearnedCode(int code) override { codes.push_back(code); }
  std::vector<int> codes;
};

// Every page kind made as a test page; music, output and effects pages show an EQ.
void useTestPages(Shell& s, int* created) {
  for (PageKind kind : {PageKind::Music, PageKind::Output, PageKind::Effects, PageKind::Delay,
                        PageKind::Compressor, PageKind::Room}) {
    const bool eq =
        kind == PageKind::Music || kind == PageKind::Output || kind == PageKind::Effects;
    s.window->pages().setCreator(kind, [&s, kind, eq, created](int argument, QWidget* parent) {
      ++*created;
      return new TestPage(*s.window, kind, argument, eq, parent);
    });
  }
}

TestPage* current(Shell& s) {
  return static_cast<TestPage*>(s.window->pages().currentPage());
}

}  // namespace

class PageHostTest : public QObject {
  Q_OBJECT

 private slots:
  void showPageReplacesOrReuses_data();
  void showPageReplacesOrReuses();
  void categoryChangeChoosesThePage();
  void pageRequestsAnotherPage();
  void eqControlsActOnTheCurrentPage();
  void toolWindowsAreKeptAndConditional();
  void messagesReachTheView();
};

void PageHostTest::showPageReplacesOrReuses_data() {
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<int>("argument");
  QTest::addColumn<bool>("replaced");
  QTest::addColumn<int>("selections");
  QTest::newRow("output to output selects the channel")
      << int(PageKind::Output) << int(PageKind::Output) << 5 << false << 1;
  QTest::newRow("effects to effects selects the mode")
      << int(PageKind::Effects) << int(PageKind::Effects) << 3 << false << 1;
  QTest::newRow("delay to delay") << int(PageKind::Delay) << int(PageKind::Delay) << 0 << false
                                  << 1;
  QTest::newRow("compressor to delay")
      << int(PageKind::Compressor) << int(PageKind::Delay) << 0 << true << 0;
  QTest::newRow("room to output") << int(PageKind::Room) << int(PageKind::Output) << 2 << true << 0;
}

void PageHostTest::showPageReplacesOrReuses() {
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(int, argument);
  QFETCH(bool, replaced);
  QFETCH(int, selections);
  Shell s(ShellOptions().noConnect());
  int created = 0;
  useTestPages(s, &created);
  s.window->ShowPage(PageKind(from), 0);
  QPointer<Page> before = s.window->pages().currentPage();
  QCOMPARE(created, 1);

  s.window->ShowPage(PageKind(to), argument);
  QCOMPARE(created, replaced ? 2 : 1);
  QCOMPARE(before.isNull(), replaced);  // the old page is gone, never stacked
  QCOMPARE(int(current(s)->kind()), to);
  QCOMPARE(current(s)->argument, argument);
  QCOMPARE(current(s)->selections, selections);
  QCOMPARE(s.window->pages().findChildren<Page*>().size(), 1);
  QCOMPARE(current(s)->geometry(), s.window->pages().pageArea());
}

void PageHostTest::categoryChangeChoosesThePage() {
  Shell s(ShellOptions().noConnect());
  int created = 0;
  useTestPages(s, &created);
  Ribbon& ribbon = s.window->ribbon();
  s.window->ShowPage(PageKind::Music, 2);
  s.state->outputChannel = 6;
  s.mem().pc.setInt(0, 42);

  ribbon.setCurrentCategory(kOutputCategory);
  QCOMPARE(current(s)->kind(), PageKind::Output);
  QCOMPARE(current(s)->argument, 6);
  TestPage* output = current(s);
  // Values from memory are shown again on every category change.
  QCOMPARE(ribbon.controlAs<QSlider>(ID_SLIDER_MICVOL_OUT)->value(), 42);

  s.state->outputChannel = 3;
  s.window->handleCategory(kOutputCategory);  // the output page stays and takes the channel
  QCOMPARE(current(s), output);
  QCOMPARE(output->argument, 3);

  ribbon.setCurrentCategory(kInputCategory);
  QCOMPARE(current(s)->kind(), PageKind::Music);
  QCOMPARE(current(s)->argument, 0);
  // Input again while the music page shows music: back to mic A, refreshed, same page.
  TestPage* music = current(s);
  music->argument = 2;
  s.state->musicPageGroup = 2;
  s.window->handleCategory(kInputCategory);
  QCOMPARE(current(s), music);
  QCOMPARE(music->argument, 0);
  QCOMPARE(s.state->musicPageGroup, 0);
  QVERIFY(music->refreshes >= 1 && music->languages >= 1);
}

void PageHostTest::pageRequestsAnotherPage() {
  Shell s(ShellOptions().noConnect());
  int created = 0;
  useTestPages(s, &created);
  s.window->ShowPage(PageKind::Compressor, 0);
  QPointer<Page> compressor = s.window->pages().currentPage();
  // A page's own button asks for the delay page; the page must survive its own handler.
  emit compressor->showPageRequested(PageKind::Delay, 0);
  QVERIFY(compressor);
  QTRY_COMPARE(current(s)->kind(), PageKind::Delay);
  QVERIFY(!compressor);
}

void PageHostTest::eqControlsActOnTheCurrentPage() {
  Shell s(ShellOptions().lang(1).noConnect());
  int created = 0;
  useTestPages(s, &created);
  StatusPanes& status = s.window->status();
  s.window->ShowPage(PageKind::Delay, 0);
  s.window->updateUi();
  QVERIFY(!status.eqBypass()->isEnabled() && !status.eqReset()->isEnabled());

  s.window->ShowPage(PageKind::Output, 1);
  s.window->updateUi();
  QVERIFY(status.eqBypass()->isEnabled() && status.eqReset()->isEnabled());
  QVERIFY(!status.eqBypass()->isChecked());
  QTest::mouseClick(status.eqBypass(), Qt::LeftButton, {},
                    QPoint(8, status.eqBypass()->height() / 2));
  QVERIFY(current(s)->bypassed);
  QVERIFY(status.eqBypass()->isChecked());
  // The check mark follows the page, also when the page changed it itself.
  current(s)->bypassed = false;
  s.window->updateUi();
  QVERIFY(!status.eqBypass()->isChecked());

  s.prompter.answers = {Answer::No, Answer::Yes};
  QTest::mouseClick(status.eqReset(), Qt::LeftButton);
  QCOMPARE(current(s)->resets, 0);
  QTest::mouseClick(status.eqReset(), Qt::LeftButton);
  QCOMPARE(current(s)->resets, 1);
  QCOMPARE(s.prompter.shown.back().text, QString("Are you sure reset the EQ?"));
  QCOMPARE(s.prompter.shown.back().caption, QString::fromUtf8("提示"));
}

void PageHostTest::toolWindowsAreKeptAndConditional() {
  Shell s(ShellOptions().noConnect());
  ToolWindows& tools = s.window->tools();
  // Conditions: remote learning needs a box, music AGC a protocol above 8.
  s.window->handleCommand(ID_BTN_REMOTE);
  QVERIFY(tools.window(kRemoteLearningWindow) == nullptr);
  s.mem().dev.g_nCmdVersion = 8;
  s.window->handleCommand(ID_BTN_MUSICAGC);
  QVERIFY(tools.window(kMusicAgcWindow) == nullptr);
  s.mem().dev.g_nCmdVersion = 17;
  s.window->handleCommand(ID_BTN_MUSICAGC);
  QVERIFY(tools.window(kMusicAgcWindow) != nullptr);

  // Created on first use, kept and shown again; closing the music source only hides it.
  s.window->handleCommand(ID_BTN_INPUTSOURCE);
  ToolWindow* source = tools.window(kMusicSourceWindow);
  QVERIFY(source && source->isVisible());
  source->close();
  QCoreApplication::processEvents();
  QCOMPARE(tools.window(kMusicSourceWindow), source);
  s.window->handleCommand(ID_BTN_INPUTSOURCE);
  QVERIFY(source->isVisible());
  // Auto SUB is destroyed by its close button.
  s.window->handleCommand(ID_BTN_AUTOSUB);
  tools.window(kAutoSubWindow)->close();
  QTRY_VERIFY(tools.window(kAutoSubWindow) == nullptr);

  s.window->CloseToolWindows();
  QVERIFY(tools.openWindows().empty());
}

void PageHostTest::messagesReachTheView() {
  Shell s(ShellOptions().noConnect());
  QtViewNotifier& notifier = s.session->notifier();
  // Without a key-learning dialog a learned key is dropped; a sent message is answered 0.
  intptr_t answer = -1;
  std::thread dropped([&] { answer = notifier.send(kMsgKeyLearned, 0x21, 0); });
  QTRY_COMPARE(answer, intptr_t(0));
  dropped.join();

  auto* learning = new LearningWindow(*s.window, s.window.get());
  s.window->publishKeyLearning(learning);
  answer = -1;
  std::thread reader([&] { answer = notifier.send(kMsgKeyLearned, 0x22, 0); });
  QTRY_COMPARE(answer, intptr_t(0));
  reader.join();
  QCOMPARE(learning->codes, std::vector<int>{0x22});
  // Called on the UI thread itself the message is handled at once.
  QCOMPARE(notifier.send(kMsgPlugResetDone, 8, 0), intptr_t(0));
  QCOMPARE(notifier.send(kMsgKeyLearned, 0x23, 0), intptr_t(0));
  QCOMPARE(learning->codes.back(), 0x23);
  // Gone with its dialog: the guarded pointer drops the next code.
  delete learning;
  QVERIFY(s.window->keyLearning() == nullptr);
  QCOMPARE(notifier.send(kMsgKeyLearned, 0x24, 0), intptr_t(0));

  // A device error from the reader thread becomes one error box on the UI thread.
  std::thread([&] { notifier.showError("bad", "Error"); }).join();
  QTRY_COMPARE(s.prompter.count("error"), 1);
}

QTEST_MAIN(PageHostTest)
#include "shell_pages_qtest.moc"
