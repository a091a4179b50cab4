// Both languages everywhere, as a new user sees them: Qt's own buttons, the remote learning
// window's title, the microphone labels at the smallest window, the synchronisation window
// while it waits. Screenshots go to the build's screenshots folder for review.
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "shell/balloon.h"
#include "shell/info_box.h"
#include "shell/language_switch.h"
#include "shell/mic_status_labels.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/start_language.h"
#include "shell/sync_dialog.h"
#include "shell/tool_windows.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

void save(QWidget& w, const QString& name) {
  QDir().mkpath(AX7_SCREENSHOT_DIR);
  QVERIFY(w.grab().save(QString(AX7_SCREENSHOT_DIR) + "/" + name + ".png"));
}

QString yesText(QMessageBox& box) {
  return box.button(QMessageBox::Yes)->text();
}

}  // namespace

class LanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void qtButtonsFollowTheLanguage();
  void remoteLearningTitleFollowsTheSwitch();
  void micLabelsFitAtTheSmallestWindow();
  void syncWindowReadsAsWaiting();
  void noticesOnScreenGoWithTheSwitch();
  void localeLanguage_data();
  void localeLanguage();
  void firstStartSpeaksTheLocale();
};

void LanguageTest::qtButtonsFollowTheLanguage() {
  Shell s(ShellOptions().noConnect());
  if (!s.window->language().qtTextsTranslated()) {
    QSKIP("Qt's Chinese translation (qt6-translations-l10n) is not installed");
  }
  QMessageBox question(QMessageBox::Question, QString::fromUtf8("保存?"),
                       QString::fromUtf8("参数已改动，请问是否需要保存?"),
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, s.window.get());
  question.show();
  QCOMPARE(yesText(question), QString::fromUtf8("是(&Y)"));
  QCOMPARE(question.button(QMessageBox::Cancel)->text(), QString::fromUtf8("取消"));
  save(question, "question_zh");

  // The switch retranslates a box that is open.
  s.window->handleCommand(ID_BTN_LANGUAGE);
  QVERIFY(!s.window->language().qtTextsTranslated());
  QCoreApplication::processEvents();  // the language change reaches open windows as an event
  QCOMPARE(yesText(question), QString("&Yes"));
  save(question, "question_en");
  s.window->handleCommand(ID_BTN_LANGUAGE);
  QCoreApplication::processEvents();
  QCOMPARE(yesText(question), QString::fromUtf8("是(&Y)"));
}

void LanguageTest::remoteLearningTitleFollowsTheSwitch() {
  for (int start : {0, 1}) {
    Shell s(ShellOptions().lang(start));
    ToolWindow* remote = s.window->tools().open(kRemoteLearningWindow);
    QVERIFY(remote);
    const QString zh = QString::fromUtf8("遥控学习");
    const QString en = QString("Learn remoter control ");
    QCOMPARE(remote->windowTitle(), start == 0 ? zh : en);
    s.window->handleCommand(ID_BTN_LANGUAGE);
    QCOMPARE(remote->windowTitle(), start == 0 ? en : zh);
    s.window->handleCommand(ID_BTN_LANGUAGE);
    QCOMPARE(remote->windowTitle(), start == 0 ? zh : en);
  }
}

void LanguageTest::micLabelsFitAtTheSmallestWindow() {
  for (int language : {0, 1}) {
    Shell s(ShellOptions().lang(language));
    s.window->resize(MainWindow::kMinWidth, MainWindow::kMinHeight);
    QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
    // Full bars: the longest texts the labels show.
    std::array<uint8_t, kLiveStatusSize> status{};
    for (size_t i : {8, 9, 11, 12, 13}) status[i] = 0xFF;
    status[10] = status[14] = 99;
    s.mem().dev.g_liveStatus.copyIn(0, status.data(), status.size());
    s.window->updateUi();
    QCoreApplication::processEvents();
    save(*s.window, language == 0 ? "main_1240_zh" : "main_1240_en");
    for (int category : {kInputCategory, kOutputCategory}) {
      s.window->ribbon().setCurrentCategory(category);
      QCoreApplication::processEvents();
      for (int id : {ID_LABEL_MIC1_RF, ID_LABEL_MIC1_FREQ, ID_LABEL_MIC1_BATTERY, ID_LABEL_MIC2_RF,
                     ID_LABEL_MIC2_FREQ, ID_LABEL_MIC2_BATTERY}) {
        auto* label = s.window->ribbon().controlAs<QLabel>(TwinIn(category, id));
        QVERIFY(label);
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(label->contentsRect().width() >= needed,
                 qPrintable(QString("%1 is %2 px wide, needs %3: %4")
                                .arg(id)
                                .arg(label->contentsRect().width())
                                .arg(needed)
                                .arg(label->text())));
        // The whole label lies inside the window.
        const QPoint right = label->mapTo(s.window.get(), QPoint(label->width() - 1, 0));
        QVERIFY(right.x() < s.window->width());
      }
    }
  }
}

void LanguageTest::syncWindowReadsAsWaiting() {
  for (Language language : {Language::Chinese, Language::English}) {
    std::pair<int, int> progress{0, 217};
    SyncDialog dialog(nullptr, Pick(language, "同步过程", "Synchronize"),
                      Pick(language, "当前正在与机器同步数据,请稍候......", "Please wait a moment……"),
                      [&] { return progress; }, 0, language);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Waiting for the first answer: the strip moves, the counter says it waits.
    dialog.tick();
    QVERIFY(dialog.waiting());
    QVERIFY(dialog.marquee()->isVisible());
    const int phase = dialog.marquee()->phase();
    dialog.tick();
    QVERIFY(dialog.marquee()->phase() != phase);
    QVERIFY(dialog.progressText().contains(Pick(language, "等待", "Waiting")));
    QVERIFY(dialog.progressText().contains("0 / 217"));
    const QString tag = language == Language::Chinese ? "zh" : "en";
    save(dialog, "sync_waiting_" + tag);
    // Counting: the strip goes, the counter counts.
    progress = {100, 217};
    dialog.tick();
    QVERIFY(!dialog.waiting());
    QVERIFY(!dialog.marquee()->isVisible());
    QCOMPARE(dialog.progressText(), QString("100 / 217"));
    save(dialog, "sync_counting_" + tag);
    dialog.finishSync();
  }
}

void LanguageTest::noticesOnScreenGoWithTheSwitch() {
  // The connect notice covers the page for seconds; after a switch it would go on speaking the
  // other language.
  Shell s(ShellOptions().noConnect());
  s.window->balloon().ShowBalloon(QString::fromUtf8("设备已连接，同步中……"), "AX7", 5000);
  s.window->ShowInfoBox(QString::fromUtf8("请先连接机器！"), 1100);
  QVERIFY(s.window->balloon().showing());
  QVERIFY(s.window->info().current());
  s.window->handleCommand(ID_BTN_LANGUAGE);
  QVERIFY(!s.window->balloon().showing());
  QVERIFY(!s.window->info().current());
  // Notices that come afterwards show as usual.
  s.window->ShowInfoBox("Please connect the box!", 1100);
  QVERIFY(s.window->info().current());
}

void LanguageTest::localeLanguage_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<QString>("lcAll");
  QTest::addColumn<QString>("lcMessages");
  QTest::addColumn<QString>("lang");
  QTest::addColumn<bool>("chinese");
  QTest::newRow("nothing set") << ""
                               << ""
                               << ""
                               << "" << false;
  QTest::newRow("LANG zh_CN") << ""
                              << ""
                              << ""
                              << "zh_CN.UTF-8" << true;
  QTest::newRow("LANG zh_TW") << ""
                              << ""
                              << ""
                              << "zh_TW.Big5" << true;
  QTest::newRow("LANG zh") << ""
                           << ""
                           << ""
                           << "zh" << true;
  QTest::newRow("LANG en_US") << ""
                              << ""
                              << ""
                              << "en_US.UTF-8" << false;
  QTest::newRow("LANG de_DE") << ""
                              << ""
                              << ""
                              << "de_DE.UTF-8" << false;
  QTest::newRow("LANG zu (not zh)") << ""
                                    << ""
                                    << ""
                                    << "zu_ZA.UTF-8" << false;
  QTest::newRow("LANG C.UTF-8") << ""
                                << ""
                                << ""
                                << "C.UTF-8" << false;
  QTest::newRow("LC_MESSAGES over LANG") << ""
                                         << ""
                                         << "en_GB.UTF-8"
                                         << "zh_CN.UTF-8" << false;
  QTest::newRow("LC_ALL over both") << ""
                                    << "zh_CN.UTF-8"
                                    << "en_GB.UTF-8"
                                    << "en_US" << true;
  QTest::newRow("LANGUAGE first entry") << "zh_CN:en"
                                        << ""
                                        << ""
                                        << "en_US.UTF-8" << true;
  QTest::newRow("LANGUAGE first entry en") << "en:zh_CN"
                                           << ""
                                           << ""
                                           << "zh_CN.UTF-8" << false;
  QTest::newRow("LANGUAGE ignored in C") << "zh_CN"
                                         << ""
                                         << ""
                                         << "C" << false;
  QTest::newRow("LANGUAGE ignored in POSIX") << "zh_CN"
                                             << "POSIX"
                                             << ""
                                             << "zh_CN" << false;
  QTest::newRow("LANGUAGE ignored with no locale") << "zh_CN"
                                                   << ""
                                                   << ""
                                                   << "" << false;
}

void LanguageTest::localeLanguage() {
  QFETCH(QString, language);
  QFETCH(QString, lcAll);
  QFETCH(QString, lcMessages);
  QFETCH(QString, lang);
  QFETCH(bool, chinese);
  const std::string v[] = {language.toStdString(), lcAll.toStdString(), lcMessages.toStdString(),
                           lang.toStdString()};
  QCOMPARE(LanguageFromLocale({v[0], v[1], v[2], v[3]}),
           chinese ? Language::Chinese : Language::English);
}

void LanguageTest::firstStartSpeaksTheLocale() {
  // The program itself on a box that never answers, in one profile of its own: the error line
  // on stderr is in the locale's language until the switch stores one, which then wins; --lang
  // holds for its run only.
  QTemporaryDir dir;
  QFile script(dir.filePath("quit.txt"));
  QVERIFY(script.open(QIODevice::WriteOnly));
  script.write("quit\n");
  script.close();
  QFile toChinese(dir.filePath("zh.txt"));
  QVERIFY(toChinese.open(QIODevice::WriteOnly));
  toChinese.write("lang zh\nquit\n");
  toChinese.close();
  const auto run = [&](const QString& lang, const QString& scriptPath, QStringList extra = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) env.remove(name);
    env.insert("LANG", lang);
    p.setProcessEnvironment(env);
    p.start(QString::fromUtf8(AX7_CONTROL_PATH),
            QStringList{"--device", "sim", "--virtual-time", "--sim-fault", "silent", "--script",
                        scriptPath} +
                extra);
    if (!p.waitForFinished(120000)) p.kill();
    p.waitForFinished();
    const QString err = QString::fromUtf8(p.readAllStandardError());
    const bool en = err.contains("The box did not answer");
    const bool zh = err.contains(QString::fromUtf8("设备没有应答"));
    return en == zh ? QString("neither: " + err) : QString(en ? "en" : "zh");
  };
  QCOMPARE(run("en_US.UTF-8", script.fileName()), QString("en"));
  QCOMPARE(run("zh_CN.UTF-8", script.fileName()), QString("zh"));
  QCOMPARE(run("en_US.UTF-8", script.fileName(), {"--lang", "zh"}), QString("zh"));
  QCOMPARE(run("en_US.UTF-8", script.fileName()), QString("en"));  // --lang stored nothing
  run("en_US.UTF-8", toChinese.fileName());                        // the switch stores Chinese
  QCOMPARE(run("en_US.UTF-8", script.fileName()), QString("zh"));
  QCOMPARE(run("zh_CN.UTF-8", script.fileName(), {"--lang", "en"}), QString("en"));
}

QTEST_MAIN(LanguageTest)
#include "shell_language_qtest.moc"
