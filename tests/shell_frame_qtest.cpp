// The main frame: size limits, the profile, the information window, the progress window,
// the close prompt, F7 and the About box, the language switch and the single-instance rule.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "shell/about_dialog.h"
#include "shell/app_icon.h"
#include "shell/info_box.h"
#include "shell/language_switch.h"
#include "shell/page_host.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/single_instance.h"
#include "shell/status_panes.h"
#include "shell/sync_dialog.h"
#include "shell/tool_windows.h"
#include "shell/window_geometry.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

class CountingPage : public Page {
 public:
  CountingPage(PageContext& context, PageKind kind, QWidget* parent)
      : Page(context, kind, parent) {}
  void RefreshAll() override { ++refreshes; }
  void ApplyLanguage() override { ++languages; }
  int refreshes = 0;
  int languages = 0;
};

}  // namespace

class FrameTest : public QObject {
  Q_OBJECT

 private slots:
  void sizeLimitsAndTitle();
  void profileAtStart();
  void startLanguageStoredElseLocaleElseNone();
  void fitToScreens_data();
  void fitToScreens();
  void windowPlaceComesBack();
  void infoBoxShowsOneNoticeAtATime();
  void syncDialogCannotBeClosedAndTimesOut();
  void closePrompt_data();
  void closePrompt();
  void f7OpensMachineSettingsOnce();
  void aboutBoxRevealsPeakOption();
  void languageSwitchRelabelsEverythingOpen();
  void englishStartShapesNoChineseText();
  void iconPaintedAtEveryAskedSize();
  void secondInstanceRaisesTheFirst();
  void instanceSocketIgnoresStrangersAndOutlivesCrashes();
  void screenshotsForReview();
};

void FrameTest::sizeLimitsAndTitle() {
  Shell s(ShellOptions().noConnect());
  QCOMPARE(s.window->windowTitle(), QString("AX7 v1.2"));
  s.window->resize(800, 500);
  QVERIFY(s.window->width() >= 1240 && s.window->height() >= 700);
  // Even a page host smaller than the page area gives its page 1024 by 520.
  s.window->pages().resize(600, 300);
  QCOMPARE(s.window->pages().currentPage()->size(), QSize(1024, 520));
  s.window->pages().resize(1300, 600);
  QCOMPARE(s.window->pages().currentPage()->size(), QSize(1300, 600));
}

void FrameTest::profileAtStart() {
  {
    Shell s(ShellOptions().lang(1).noConnect());
    QCOMPARE(s.settings.value("ApplicationLook").toInt(), 215);
    QCOMPARE(s.state->g_nLanguage, 1);
    // Built in English: the panel texts of the English ribbon.
    QCOMPARE(s.window->ribbon().panelText(kInputCategory, 0), QString("Mic Vol"));
    QCOMPARE(s.window->ribbon().panelText(kOutputCategory, 1), QString("Efx Vol"));
    QCOMPARE(s.window->status().eqBypass()->text(), QString("Bypass"));
  }
  // A later start on the same profile puts the look back, whatever was stored meanwhile.
  Shell s(ShellOptions().noConnect());
  s.window.reset();
  s.settings.setValue("ApplicationLook", 7);
  QCOMPARE(s.settings.value("ApplicationLook").toInt(), 7);
  s.window = std::make_unique<ui::MainWindow>(*s.state, s.backend, s.session->notifier());
  QCOMPARE(s.settings.value("ApplicationLook").toInt(), 215);
}

void FrameTest::startLanguageStoredElseLocaleElseNone() {
  Shell s(ShellOptions().noConnect());
  const auto restart = [&] {
    s.window.reset();
    s.window = std::make_unique<ui::MainWindow>(*s.state, s.backend, s.session->notifier());
    return s.state->language();
  };
  // Nothing stored: the locale's language, and nothing is written for it.
  s.settings.remove(kKeyLanguage);
  for (Language locale : {Language::English, Language::Chinese}) {
    s.state->localeLanguage = locale;
    QCOMPARE(restart(), locale);
    QVERIFY(!s.settings.contains(kKeyLanguage));
  }
  QCOMPARE(s.window->status().eqBypass()->text(), QString::fromUtf8("均衡旁路"));
  // The switch stores; a stored value wins over the locale.
  s.window->handleCommand(ID_BTN_LANGUAGE);
  QCOMPARE(s.settings.value(kKeyLanguage).toInt(), 1);
  QCOMPARE(restart(), Language::English);
  QCOMPARE(s.window->ribbon().panelText(kInputCategory, 0), QString("Mic Vol"));
  // --lang wins over both for one run and stores nothing; the switch still stores.
  s.state->languageForRun = Language::Chinese;
  QCOMPARE(restart(), Language::Chinese);
  QCOMPARE(s.settings.value(kKeyLanguage).toInt(), 1);
  s.window->handleCommand(ID_BTN_LANGUAGE);
  QCOMPARE(s.state->language(), Language::English);
  QCOMPARE(s.settings.value(kKeyLanguage).toInt(), 1);
  s.state->languageForRun.reset();
}

void FrameTest::fitToScreens_data() {
  QTest::addColumn<QRect>("saved");
  QTest::addColumn<QList<QRect>>("screens");
  QTest::addColumn<QRect>("placed");
  const QRect left(0, 0, 1920, 1040);  // a task bar below
  const QRect right(1920, 0, 2560, 1440);
  QTest::newRow("inside stays") << QRect(100, 50, 1300, 800) << QList<QRect>{left}
                                << QRect(100, 50, 1300, 800);
  QTest::newRow("on the second screen")
      << QRect(2200, 100, 1600, 900) << QList<QRect>{left, right} << QRect(2200, 100, 1600, 900);
  QTest::newRow("second screen gone")
      << QRect(2200, 100, 1600, 900) << QList<QRect>{left} << QRect(320, 100, 1600, 900);
  QTest::newRow("hanging off the bottom")
      << QRect(100, 600, 1300, 800) << QList<QRect>{left} << QRect(100, 240, 1300, 800);
  QTest::newRow("above and left of everything")
      << QRect(-3000, -2000, 1300, 800) << QList<QRect>{left, right} << QRect(0, 0, 1300, 800);
  QTest::newRow("larger than the screen shrinks")
      << QRect(0, 0, 2500, 1600) << QList<QRect>{left} << QRect(0, 0, 1920, 1040);
  QTest::newRow("below the minimum grows")
      << QRect(10, 10, 600, 400) << QList<QRect>{left} << QRect(10, 10, 1240, 700);
  QTest::newRow("screen smaller than the minimum")
      << QRect(50, 50, 1240, 700) << QList<QRect>{QRect(0, 0, 1024, 600)} << QRect(0, 0, 1240, 700);
  QTest::newRow("no screens") << QRect(5, 5, 1300, 800) << QList<QRect>{} << QRect(5, 5, 1300, 800);
}

void FrameTest::fitToScreens() {
  QFETCH(QRect, saved);
  QFETCH(QList<QRect>, screens);
  QFETCH(QRect, placed);
  QCOMPARE(FitToScreens(saved, screens, QSize(1240, 700)), placed);
}

void FrameTest::windowPlaceComesBack() {
  Shell s(ShellOptions().noConnect());
  QVERIFY(!s.settings.contains(kKeyWindowGeometry));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  // A place that fits wherever the test runs: the smallest window at the screen's corner.
  const QRect place = FitToScreens(QRect(screen.topLeft() + QPoint(30, 20), QSize(1300, 760)),
                                   {screen}, s.window->minimumSize());
  s.settings.setValue(kKeyWindowGeometry, place);
  s.settings.setValue(kKeyWindowMaximized, false);
  s.window->hide();
  s.window->showAsLastClosed();
  QCOMPARE(s.window->geometry().size(), place.size());
  QVERIFY(!s.window->isMaximized());
  s.window->resize(s.window->width() + 40, s.window->height() + 20);
  const QRect closedAt = s.window->geometry();
  QVERIFY(s.window->close());
  QCOMPARE(s.settings.value(kKeyWindowGeometry).toRect(), closedAt);
  QCOMPARE(s.settings.value(kKeyWindowMaximized).toBool(), false);

  // Maximised comes back maximised, and keeps the normal size for later.
  s.window = std::make_unique<ui::MainWindow>(*s.state, s.backend, s.session->notifier());
  s.settings.setValue(kKeyWindowMaximized, true);
  s.window->showAsLastClosed();
  QVERIFY(s.window->isMaximized());
  QVERIFY(s.window->close());
  QCOMPARE(s.settings.value(kKeyWindowMaximized).toBool(), true);
  // (the normal size as it came back on this screen)
  QCOMPARE(s.settings.value(kKeyWindowGeometry).toRect().size(),
           FitToScreens(closedAt, {screen}, s.window->minimumSize()).size());

  // A stored size below the minimum still gives the minimum; a window shown without the
  // stored place (a scripted run) leaves the profile alone.
  s.window = std::make_unique<ui::MainWindow>(*s.state, s.backend, s.session->notifier());
  s.settings.setValue(kKeyWindowGeometry, QRect(screen.topLeft(), QSize(300, 200)));
  s.settings.setValue(kKeyWindowMaximized, false);
  s.window->showAsLastClosed();
  QVERIFY(s.window->width() >= MainWindow::kMinWidth);
  QVERIFY(s.window->height() >= MainWindow::kMinHeight);
  s.window = std::make_unique<ui::MainWindow>(*s.state, s.backend, s.session->notifier());
  s.settings.setValue(kKeyWindowGeometry, QRect(1, 2, 1300, 800));
  s.window->show();
  QVERIFY(s.window->close());
  QCOMPARE(s.settings.value(kKeyWindowGeometry).toRect(), QRect(1, 2, 1300, 800));
}

void FrameTest::infoBoxShowsOneNoticeAtATime() {
  Shell s(ShellOptions().noConnect());
  InfoBoxHost& host = s.window->info();
  host.ShowInfoBox("first", 1100);
  InfoBox* box = host.current();
  QVERIFY(box && box->isVisible());
  QCOMPARE(box->windowTitle(), QString::fromUtf8("信息"));
  host.ShowInfoBox("second", 2500);
  QCOMPARE(host.current(), box);
  QCOMPARE(box->text(), QString("second"));
  QVERIFY(box->remainingMs() > 2000);  // the timer started again with the second period
  // Enter does nothing; the timer ends the window.
  QTest::keyClick(box, Qt::Key_Return);
  QVERIFY(box->isVisible());
  box->expire();
  QVERIFY(host.current() == nullptr);
  host.ShowInfoBox("third", 1100);
  QVERIFY(host.current() && host.current()->isVisible());
}

void FrameTest::syncDialogCannotBeClosedAndTimesOut() {
  Shell s(ShellOptions().noConnect());
  bool checked = false;
  s.window->sync().onShown = [&](SyncDialog& d) {
    QCOMPARE(d.windowTitle(), QString::fromUtf8("同步过程"));
    QCOMPARE(d.text(), QString::fromUtf8("当前正在与机器同步数据,请稍候......"));
    QTest::keyClick(&d, Qt::Key_Escape);
    d.close();
    QVERIFY(d.isVisible());
    QVERIFY(s.window->sync().isOpen());
    checked = true;
    d.timeOut();
  };
  s.window->RunSyncDialog();
  QVERIFY(checked);
  QVERIFY(!s.window->sync().isOpen());
  QCOMPARE(s.prompter.count("error"), 1);
  QCOMPARE(s.prompter.shown.back().text, QString::fromUtf8("发生错误，与设备数据同步超时……"));
  QCOMPARE(s.prompter.shown.back().caption, QString::fromUtf8("错误"));

  // A real synchronisation ends the window itself and shows how far it got.
  Shell connected(ShellOptions().noConnect());
  std::pair<int, int> progress{0, 0};
  connected.window->sync().onShown = [&](SyncDialog& d) { progress = d.shownProgress(); };
  connected.connect();
  QVERIFY(connected.boxOpen());
  QVERIFY(progress.second >= progress.first);
  QCOMPARE(connected.prompter.count("error"), 0);
}

void FrameTest::closePrompt_data() {
  QTest::addColumn<bool>("changed");
  QTest::addColumn<int>("answer");
  QTest::addColumn<QString>("file");  // what the save dialog returns: "", "ok" or "unwritable"
  QTest::addColumn<bool>("closed");
  QTest::addColumn<bool>("saved");
  QTest::newRow("unchanged") << false << 0 << "" << true << false;
  QTest::newRow("cancel") << true << int(Answer::Cancel) << "" << false << false;
  QTest::newRow("no") << true << int(Answer::No) << "" << true << false;
  QTest::newRow("yes, dialog cancelled") << true << int(Answer::Yes) << "" << true << false;
  QTest::newRow("yes, saved") << true << int(Answer::Yes) << "ok" << true << true;
  QTest::newRow("yes, cannot write") << true << int(Answer::Yes) << "unwritable" << false << false;
}

void FrameTest::closePrompt() {
  QFETCH(bool, changed);
  QFETCH(int, answer);
  QFETCH(QString, file);
  QFETCH(bool, closed);
  QFETCH(bool, saved);
  Shell s;
  s.mem().dev.g_nCurrentMode = 1;
  s.mem().dev.g_bParamsChanged = changed ? 1 : 0;
  s.prompter.answers = {Answer(answer)};
  const QString path = file == "ok"           ? s.dir.filePath("preset.px44t")
                       : file == "unwritable" ? s.dir.filePath("missing/preset.px44t")
                                              : QString();
  s.prompter.saveFile = path;
  s.clearSent();

  QCOMPARE(s.window->close(), closed);
  QCOMPARE(s.prompter.count("question"), changed ? 1 : 0);
  QCOMPARE(s.boxOpen(), !closed);
  QCOMPARE(QFile(s.dir.filePath("preset.px44t")).size(), saved ? 2130 : 0);
  const auto sent = s.sent();
  if (changed && answer == int(Answer::Yes) && !file.isEmpty()) {
    // The box keeps the settings in its current mode before the file is written.
    QCOMPARE(s.prompter.lastProposedName, QString("preset"));
    QCOMPARE(sent.front(), frameHex(parseFrame("02 04 01")));
  }
  if (file == "unwritable") QCOMPARE(s.prompter.count("warning"), 1);
  if (closed) QCOMPARE(sent.back(), frameHex(parseFrame("02 8A")));
}

void FrameTest::f7OpensMachineSettingsOnce() {
  Shell s(ShellOptions().noConnect());
  QTest::keyClick(s.window.get(), Qt::Key_F7);
  ToolWindow* settings = s.window->tools().window(kMachineSettingsWindow);
  QVERIFY(settings && settings->isVisible());
  settings->hide();
  QTest::keyClick(s.window.get(), Qt::Key_F7);
  QCOMPARE(s.window->tools().window(kMachineSettingsWindow), settings);
  QVERIFY(settings->isVisible());
  // Closing destroys it; the next F7 creates it anew.
  settings->close();
  QTRY_VERIFY(s.window->tools().window(kMachineSettingsWindow) == nullptr);
  // Not while the progress window is up.
  s.window->sync().onShown = [&](SyncDialog& d) {
    QTest::keyClick(&d, Qt::Key_F7);
    d.finishSync();
  };
  s.window->RunSyncDialog();
  QVERIFY(s.window->tools().window(kMachineSettingsWindow) == nullptr);
  QTest::keyClick(s.window.get(), Qt::Key_F1);  // handled, nothing shown
  QVERIFY(s.prompter.shown.empty());
}

void FrameTest::aboutBoxRevealsPeakOption() {
  Shell s;
  AboutDialog about(*s.state, ApplicationIcon(), s.window.get());
  about.show();
  QVERIFY(about.mcuLabel()->isVisible() && about.dspLabel()->isVisible());
  QCOMPARE(about.mcuLabel()->text(), QString("MCU Ver:2024-05-18 CMD Ver:17"));
  QVERIFY(!about.moduleLabel()->isVisible() && !about.peakBox()->isVisible());
  QTest::keyClick(&about, Qt::Key_F11, Qt::ControlModifier | Qt::ShiftModifier);
  QVERIFY(about.moduleLabel()->isVisible() && about.peakBox()->isVisible());
  QCOMPARE(about.moduleLabel()->text(), QString("Module:AX7"));
  QVERIFY(about.peakBox()->isChecked());
  QTest::mouseClick(about.peakBox(), Qt::LeftButton, {}, QPoint(8, about.peakBox()->height() / 2));
  QVERIFY(!s.state->peakOption);
  s.clearSent();
  s.window->connection().statusTick();
  QVERIFY(s.sent().empty());

  s.core().link.CloseUsbDevice(false);
  AboutDialog closed(*s.state, ApplicationIcon(), s.window.get());
  closed.show();
  QVERIFY(!closed.mcuLabel()->isVisible() && !closed.dspLabel()->isVisible());
}

void FrameTest::languageSwitchRelabelsEverythingOpen() {
  Shell s(ShellOptions().noConnect());
  Ribbon& ribbon = s.window->ribbon();
  CountingPage* page = nullptr;
  s.window->pages().setCreator(PageKind::Delay, [&](int, QWidget* parent) {
    return page = new CountingPage(*s.window, PageKind::Delay, parent);
  });
  s.window->ShowPage(PageKind::Delay, 0);
  ToolWindow* tool = s.window->tools().open(kMachineSettingsWindow);
  QCOMPARE(tool->windowTitle(), QString::fromUtf8("机器设置"));

  s.window->handleCommand(ID_BTN_LANGUAGE);
  QCOMPARE(s.state->g_nLanguage, 1);
  QCOMPARE(s.settings.value("language").toInt(), 1);
  QCOMPARE(ribbon.categoryText(kInputCategory), QString("Input"));
  QCOMPARE(ribbon.panelText(kInputCategory, 0), QString("Mic  Vol"));
  QCOMPARE(tool->windowTitle(), QString("Machine Set"));
  QCOMPARE(page->languages, 1);
  QCOMPARE(s.window->status().eqReset()->text(), QString("Reset EQ"));

  // A tool window opened later gets the language in force then.
  ToolWindow* autoSub = s.window->tools().open(kAutoSubWindow);
  QCOMPARE(autoSub->windowTitle(), QString("Auto SUB vol decay"));

  s.window->handleCommand(ID_BTN_LANGUAGE);
  QCOMPARE(ribbon.categoryText(kOutputCategory), QString::fromUtf8("输出调节"));
  QCOMPARE(ribbon.panelText(kInputCategory, 0), QString::fromUtf8("话筒音量"));
  QCOMPARE(tool->windowTitle(), QString::fromUtf8("机器设置"));
  QCOMPARE(page->languages, 2);
  QCOMPARE(s.settings.value("language").toInt(), 0);
}

namespace {

bool HasHan(const QString& text) {
  for (QChar c : text) {
    if (c.script() == QChar::Script_Han) return true;
  }
  return false;
}

}  // namespace

// A CJK glyph makes the font engine load some sixty glyphs of the CJK font to fit its hinting
// (megabytes of the font file): an English window shows none but the language button's "中".
void FrameTest::englishStartShapesNoChineseText() {
  Shell s(ShellOptions().lang(1));
  s.window->resize(1280, 760);
  s.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
  QStringList chinese;
  for (QWidget* w : s.window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(s.window.get())) continue;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (HasHan(text)) chinese << text;
  }
  QCOMPARE(chinese, QStringList{QString::fromUtf8("中/EN")});
  QCOMPARE(s.window->status().usbPane()->text(), QString("USB:Connected"));

  // Nor before their first update: the status bar measures its panes as they are added.
  QStatusBar bar;
  StatusPanes panes(*s.state, bar, [] { return nullptr; });
  for (QWidget* w : bar.findChildren<QWidget*>()) {
    if (auto* label = qobject_cast<QLabel*>(w)) QVERIFY2(!HasHan(label->text()), qPrintable(label->text()));
    if (auto* button = qobject_cast<QAbstractButton*>(w)) QVERIFY(!HasHan(button->text()));
  }
}

void FrameTest::iconPaintedAtEveryAskedSize() {
  const QIcon icon = ApplicationIcon();
  QCOMPARE(icon.availableSizes(),
           (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
  // Drawn sizes, sizes between them (scaled down from the next one up) and beyond the largest.
  for (int side : {16, 20, 48, 100, 256, 300}) {
    const QImage image = icon.pixmap(QSize(side, side)).toImage();
    const int expected = std::min(side, 256);
    QCOMPARE(image.size(), QSize(expected, expected));
    // Transparent corner, blue tile, white bar below the orange knob of the middle bar.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    const auto at = [&](double x, double y) {
      return QColor(image.pixel(int(x * expected / 64), int(y * expected / 64)));
    };
    QVERIFY2(at(6, 40).blue() > 80 && at(6, 40).red() < 60, qPrintable(at(6, 40).name()));
    QVERIFY2(at(31, 40).red() > 200 && at(31, 40).blue() > 200, qPrintable(at(31, 40).name()));
  }
  const QImage disabled = icon.pixmap(QSize(48, 48), QIcon::Disabled).toImage();
  const QColor grey(disabled.pixel(6, 30));
  QCOMPARE(grey.red(), grey.blue());
}

void FrameTest::secondInstanceRaisesTheFirst() {
  const QString key = QString("AX7 test %1").arg(QCoreApplication::applicationPid());
  SingleInstance first(key);
  QCOMPARE(first.start(), SingleInstance::Outcome::First);
  int raised = 0;
  connect(&first, &SingleInstance::raiseRequested, this, [&] { ++raised; });

  // The second start blocks while it waits for the answer, as a second process would.
  auto second = std::async(std::launch::async, [&] {
    SingleInstance other(key);
    return other.start(5000);
  });
  QTRY_VERIFY(second.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
  QCOMPARE(second.get(), SingleInstance::Outcome::RaisedOther);
  QCOMPARE(raised, 1);

  Shell s(ShellOptions().noConnect());
  s.window->showMinimized();
  s.window->raiseWindow();
  QVERIFY(!s.window->isMinimized());
  QVERIFY(s.window->isVisible());
}

void FrameTest::instanceSocketIgnoresStrangersAndOutlivesCrashes() {
  const QString key = QString("AX7 sock %1").arg(QCoreApplication::applicationPid());
  const QByteArray path =
      QFile::encodeName(QDir::temp().filePath(key + "-" + qEnvironmentVariable("USER", "user")));
  // A socket file left by a process that died does not stop the next start.
  ::unlink(path.constData());
  QVERIFY(QFile(path).open(QIODevice::WriteOnly));
  auto first = std::make_unique<SingleInstance>(key);
  QCOMPARE(first->start(), SingleInstance::Outcome::First);
  struct stat info{};
  QCOMPARE(::stat(path.constData(), &info), 0);
  QVERIFY(S_ISSOCK(info.st_mode));
  QCOMPARE(int(info.st_mode & 0777), 0600);  // only this user can ask for the window
  int raised = 0;
  connect(first.get(), &SingleInstance::raiseRequested, this, [&] { ++raised; });

  // Lines other than the request are dropped unanswered; so is one that never ends.
  for (const QByteArray& line : {QByteArray("show\n"), QByteArray("raise now\n"),
                                 QByteArray(80, 'r')}) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QCOMPARE(::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL), ssize_t(line.size()));
    char answer[8];
    ssize_t n = -1;
    QTRY_VERIFY((n = ::recv(fd, answer, sizeof answer, MSG_DONTWAIT)) == 0);  // closed
    ::close(fd);
  }
  QCOMPARE(raised, 0);

  // The first instance ends: its socket goes, and the next start is the first again.
  first.reset();
  QVERIFY(!QFile::exists(path));
  SingleInstance next(key);
  QCOMPARE(next.start(), SingleInstance::Outcome::First);
}

// The main window in both languages, connected to the simulated box, saved for a person to
// look at (AX7_SCREENSHOT_DIR/main-zh.png and main-en.png).
void FrameTest::screenshotsForReview() {
  const QDir out(AX7_SCREENSHOT_DIR);
  QDir().mkpath(out.path());
  for (int language : {0, 1}) {
    Shell s(ShellOptions().lang(language));
    s.window->resize(1280, 760);
    QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
    s.window->connection().statusTick();
    QTRY_VERIFY(s.mem().dev.g_liveStatus.get(8) != 0);
    s.window->updateUi();
    const QImage image = s.window->grab().toImage();
    QCOMPARE(image.size(), QSize(1280, 760));
    const QString suffix = language == 0 ? "zh" : "en";
    QVERIFY(image.save(out.filePath("main-" + suffix + ".png")));

    // The windows that come and go, for the same look.
    s.window->ShowInfoBox(s.state->text("当前是静音状态", "vol is mute"), 1100);
    QVERIFY(s.window->info().current()->grab().save(out.filePath("info-" + suffix + ".png")));
    AboutDialog about(*s.state, ApplicationIcon(), s.window.get());
    about.show();
    QTest::keyClick(&about, Qt::Key_F11, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(about.grab().save(out.filePath("about-" + suffix + ".png")));
    s.window->sync().onShown = [&](SyncDialog& d) {
      QVERIFY(d.grab().save(out.filePath("sync-" + suffix + ".png")));
      d.finishSync();
    };
    s.window->RunSyncDialog();
  }
}

QTEST_MAIN(FrameTest)
#include "shell_frame_qtest.moc"
