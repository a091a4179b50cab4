// The remote learning window and the key-learning dialog in the whole program, against the
// simulated box: learning a key end to end, giving up, Apply / Load / Save with their files and
// notices, the paused status requests, and the window closed by a re-plug while a key is being
// learned. Screenshots of both windows in both languages go to the build's screenshots folder.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "pages/key_learning.h"
#include "pages/pictures.h"
#include "pages/remote_learning_window.h"
#include "remote/remote_keys.h"
#include "shell/info_box.h"
#include "shell/tool_windows.h"
#include "shell_fixture.h"
#include "support/qt_text.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

constexpr int kPowerArea = 1587;
constexpr int kMuteArea = 1608;

RemoteLearningWindow* openRemote(Shell& s) {
  return qobject_cast<RemoteLearningWindow*>(s.window->tools().open(kRemoteLearningWindow));
}

KeyLearningDialog* runningDialog(Shell& s) {
  return qobject_cast<KeyLearningDialog*>(s.window->keyLearning());
}

QString infoText(Shell& s) {
  InfoBox* box = s.window->info().current();
  return box ? box->text() : QString();
}

void clickArea(RemoteLearningWindow& w, int controlId) {
  KeyArea* area = w.findChild<KeyArea*>(QString("key%1").arg(controlId));
  QVERIFY(area);
  QTest::mouseClick(area, Qt::LeftButton);
}

// Runs `inside` once the key-learning dialog runs, then clicks the key area; returns when the
// dialog has ended. `inside` must end the dialog.
void learnWith(Shell& s, RemoteLearningWindow& w, int controlId,
               const std::function<void(KeyLearningDialog&)>& inside) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(runningDialog(s) != nullptr);
    ran = true;
    inside(*runningDialog(s));
  });
  clickArea(w, controlId);
  QVERIFY(ran);
}

bool sentFrame(Shell& s, std::string_view hex) {
  return containsFrame(s.sent(), hex);
}

void screenshot(QWidget& w, const QString& name) {
  QDir().mkpath(AX7_SCREENSHOT_DIR);
  QVERIFY(w.grab().save(QString(AX7_SCREENSHOT_DIR) + "/" + name + ".png"));
}

QString tempPath(Shell& s, const QString& name) {
  return s.dir.filePath(name);
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::array<uint8_t, kRemoteKeysSize> table(Shell& s) {
  return s.mem().dev.g_remoteKeys.snapshot();
}

}  // namespace

class RemoteWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void learningAKeyShowsItsCodeAndClosesAfterASecond();
  void givingUpTellsTheBoxToStop();
  void applySendsTheWholeTableOnlyWithABox();
  void loadTakesTheBytesAFileHas();
  void saveWritesTheRemoNameAndAsksBeforeReplacingIt();
  void statusRequestsPauseWhileTheWindowExists();
  void replugWhileLearningEndsTheLearningAndFreesTheWindowSafely();
  void screenshots();
};

void RemoteWindowTest::learningAKeyShowsItsCodeAndClosesAfterASecond() {
  Shell s(ShellOptions().lang(1));
  RemoteLearningWindow* w = openRemote(s);
  QVERIFY(w);
  QCOMPARE(w->windowTitle(), QString("Learn remoter control "));
  s.clearSent();
  const uint8_t code = sim::SimBox::learnedCode(1);
  learnWith(s, *w, kPowerArea, [&](KeyLearningDialog& d) {
    // Published before the learn command left, and waiting for the code.
    QCOMPARE(d.findChild<QLabel*>("keyText")->text(), QString("Learning key:Power key"));
    QCOMPARE(d.windowTitle(), QString("Learning"));
    auto* codeEdit = d.findChild<QLineEdit*>("code");
    QTRY_COMPARE(codeEdit->text(), QString::asprintf("%02X", code));
    QVERIFY(!codeEdit->isEnabled());
    QPushButton* cancel = nullptr;
    QPushButton* close = nullptr;
    for (auto* b : d.findChildren<QPushButton*>()) {
      (b->property("ax7Id").toInt() == 3 ? cancel : close) = b;
    }
    QVERIFY(cancel && close);
    QVERIFY(cancel->isHidden());
    QVERIFY(!close->isHidden());
    QCOMPARE(close->text(), QString("Close"));
    QCOMPARE(d.findChild<QLabel*>("notice")->text(), QString("Window will be closed!"));
    QVERIFY(d.closeTimer().isActive());
    QCOMPARE(d.closeTimer().interval(), 1000);
    // A second code replaces the first and starts the second again.
    s.window->tools().deliverLearnedCode(0xA7);
    QCOMPARE(codeEdit->text(), QString("A7"));
    QVERIFY(d.closeTimer().isActive());
    d.closeAfterCode();
  });
  QVERIFY(s.window->keyLearning() == nullptr);
  const auto sent = s.sent();
  QVERIFY(containsFrame(sent, "02 60 01"));
  QVERIFY(!containsFrame(sent, "02 61"));
  QCOMPARE(int(table(s)[0]), int(sim::kLearnCodeByte));
  QCOMPARE(int(table(s)[1]), int(code));
}

void RemoteWindowTest::givingUpTellsTheBoxToStop() {
  struct Way {
    const char* name;
    std::function<void(KeyLearningDialog&)> giveUp;
  };
  const Way ways[] = {
      {"Cancel",
       [](KeyLearningDialog& d) {
         for (auto* b : d.findChildren<QPushButton*>())
           if (b->property("ax7Id").toInt() == 3) b->click();
       }},
      {"Esc", [](KeyLearningDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"close box", [](KeyLearningDialog& d) { d.close(); }},
  };
  for (const Way& way : ways) {
    sim::SimFaults faults;
    faults.noLearn = true;  // nobody presses a key on the remote
    Shell s(ShellOptions().withFaults(faults));
    RemoteLearningWindow* w = openRemote(s);
    QVERIFY(w);
    s.clearSent();
    int result = -1;
    learnWith(s, *w, kMuteArea, [&](KeyLearningDialog& d) {
      QTRY_VERIFY(containsFrame(framesHex(s.trace.reports()), "02 60 0A"));
      QVERIFY(s.backend.withBox([](sim::SimBox& b) { return b.learning(); }));
      way.giveUp(d);
      result = d.result();
    });
    QVERIFY2(result == QDialog::Rejected, way.name);
    QVERIFY2(sentFrame(s, "02 61"), way.name);
    QVERIFY2(!s.backend.withBox([](sim::SimBox& b) { return b.learning(); }), way.name);
    QCOMPARE(int(table(s)[10]), 0);
  }
}

void RemoteWindowTest::applySendsTheWholeTableOnlyWithABox() {
  Shell s(ShellOptions().lang(1));
  RemoteLearningWindow* w = openRemote(s);
  std::array<uint8_t, kRemoteKeysSize> keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = uint8_t(0xF0 + i);  // 0xFF at byte 15
  keys[17] = 0x01;
  s.mem().dev.g_remoteKeys.copyIn(0, keys.data(), keys.size());
  s.clearSent();
  auto* apply = w->findChild<ImageButton*>();
  for (auto* b : w->findChildren<ImageButton*>())
    if (b->property("ax7Id").toInt() == RemoteLearningWindow::kIdApply) apply = b;
  apply->click();
  QCOMPARE(s.sent(), frames({"02 63 F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF 00 01"}));
  QCOMPARE(s.backend.withBox([](sim::SimBox& b) { return b.remoteKeys(); }), keys);
  QCOMPARE(infoText(s), QString("Save successed !"));
  // Apply is the window's default button.
  s.clearSent();
  QTest::keyClick(w, Qt::Key_Return);
  QCOMPARE(s.sent(), frames({"02 63 F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF 00 01"}));

  // Without a box nothing goes out, and the notice says why rather than claiming success.
  s.backend.unplug();
  QTRY_VERIFY(!s.boxOpen());
  s.clearSent();
  s.prompter.openFile = s.prompter.saveFile = tempPath(s, "keys.remo");
  const std::function<void()> actions[] = {[&] { w->ApplyRemoteKeys(); },
                                           [&] { QCOMPARE(w->LoadRemoteFile(), 0); },
                                           [&] { QCOMPARE(w->SaveRemoteFile(), 0); }};
  for (const auto& act : actions) {
    if (s.window->info().current()) s.window->info().current()->expire();
    act();
    QCOMPARE(infoText(s), QString("Please connect the box first!"));
  }
  QCOMPARE(s.prompter.openDialogs + s.prompter.saveDialogs, 0);
  QVERIFY(!QFile::exists(tempPath(s, "keys.remo")));
  QVERIFY(s.sent().empty());
}

void RemoteWindowTest::loadTakesTheBytesAFileHas() {
  Shell s;
  RemoteLearningWindow* w = openRemote(s);
  std::array<uint8_t, kRemoteKeysSize> before{};
  before.fill(0xEE);
  s.mem().dev.g_remoteKeys.copyIn(0, before.data(), before.size());

  // Cancelled: no notice, nothing changes.
  s.prompter.openFile.clear();
  s.clearSent();
  QCOMPARE(w->LoadRemoteFile(), 0);
  QVERIFY(s.window->info().current() == nullptr || !s.window->info().current()->isVisible());
  QCOMPARE(table(s), before);

  // A 10-byte file replaces bytes 0..9, keeps 10..17, and all 18 go to the box.
  const QByteArray ten = QByteArray::fromHex("00112233445566778899");
  writeFile(tempPath(s, "ten.remo"), ten);
  s.prompter.openFile = tempPath(s, "ten.remo");
  QCOMPARE(w->LoadRemoteFile(), 1);
  QCOMPARE(s.sent(), frames({"02 63 00 11 22 33 44 55 66 77 88 99 EE EE EE EE EE EE EE EE"}));
  QCOMPARE(infoText(s), QString::fromUtf8("载入遥控文件成功"));
  QCOMPARE(int(table(s)[9]), 0x99);
  QCOMPARE(int(table(s)[10]), 0xEE);

  // The file read is the .remo of the chosen name; one that cannot be read changes nothing.
  const auto loaded = table(s);
  s.clearSent();
  s.prompter.openFile = tempPath(s, "missing.txt");
  QCOMPARE(w->LoadRemoteFile(), -1);
  QCOMPARE(s.prompter.count("warning"), 1);
  QVERIFY(s.prompter.shown.back().text.contains("missing.remo"));
  QCOMPARE(infoText(s), QString::fromUtf8("载入遥控文件失败"));
  QCOMPARE(table(s), loaded);
  QVERIFY(s.sent().empty());
}

void RemoteWindowTest::saveWritesTheRemoNameAndAsksBeforeReplacingIt() {
  Shell s(ShellOptions().lang(1));
  RemoteLearningWindow* w = openRemote(s);
  std::array<uint8_t, kRemoteKeysSize> keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = uint8_t(i * 3);
  s.mem().dev.g_remoteKeys.copyIn(0, keys.data(), keys.size());
  const QByteArray expected(reinterpret_cast<const char*>(keys.data()), int(keys.size()));

  // "keys.txt" is written as "keys.remo"; a dot in a folder name is no extension.
  QVERIFY(QDir(s.dir.path()).mkpath("a.b"));
  struct Case {
    QString chosen, written;
  };
  const Case cases[] = {
      {"keys.txt", "keys.remo"}, {"a.b/keys", "a.b/keys.remo"}, {"plain.remo", "plain.remo"}};
  for (const Case& c : cases) {
    s.prompter.saveFile = tempPath(s, c.chosen);
    QCOMPARE(w->SaveRemoteFile(), 1);
    QCOMPARE(readFile(tempPath(s, c.written)), expected);
    QCOMPARE(infoText(s), QString("Remote file saved"));
  }
  QVERIFY(!QFile::exists(tempPath(s, "keys.txt")));
  QVERIFY(!QFile::exists(tempPath(s, "a.remo")));
  QCOMPARE(s.prompter.count("question"), 0);

  // The swapped name exists already: asked first; No keeps it.
  writeFile(tempPath(s, "old.remo"), "OLD");
  s.prompter.saveFile = tempPath(s, "old.txt");
  s.prompter.answers = {Answer::No};
  QCOMPARE(w->SaveRemoteFile(), 0);
  QCOMPARE(s.prompter.count("question"), 1);
  QCOMPARE(readFile(tempPath(s, "old.remo")), QByteArray("OLD"));
  s.prompter.answers = {Answer::Yes};
  QCOMPARE(w->SaveRemoteFile(), 1);
  QCOMPARE(readFile(tempPath(s, "old.remo")), expected);

  // A write that fails says so and leaves the old file as it was.
  writeFile(tempPath(s, "locked.remo"), "KEEP");
  QFile::setPermissions(tempPath(s, "locked.remo"), QFile::ReadOwner);
  s.prompter.saveFile = tempPath(s, "locked.remo");
  QCOMPARE(w->SaveRemoteFile(), -1);
  QVERIFY(s.prompter.shown.back().text.startsWith("Errcode="));
  QCOMPARE(s.prompter.shown.back().caption, QString("Can't write to file"));
  QCOMPARE(infoText(s), QString("Remote file not saved"));
  QCOMPARE(readFile(tempPath(s, "locked.remo")), QByteArray("KEEP"));
}

void RemoteWindowTest::statusRequestsPauseWhileTheWindowExists() {
  Shell s;
  UsbLink& link = s.core().link;
  QVERIFY(link.statusPollAllowed());
  QPointer<ToolWindow> w = openRemote(s);
  QVERIFY(!link.statusPollAllowed());
  s.clearSent();
  s.window->connection().statusTick();
  QVERIFY(!sentFrame(s, "02 0E"));

  // A synchronisation ends with polling allowed again; the window's pause still holds.
  s.core().sync.startSynchronizeFromBox();
  s.core().sync.waitIdle();
  QVERIFY(!link.statusPollAllowed());
  w->close();
  QTRY_VERIFY(w.isNull());
  QVERIFY(link.statusPollAllowed());
  s.clearSent();
  s.window->connection().statusTick();
  QVERIFY(sentFrame(s, "02 0E"));

  // Off when the window opened: still off after it closed.
  link.setStatusPoll(false);
  w = openRemote(s);
  w->close();
  QTRY_VERIFY(w.isNull());
  QVERIFY(!link.statusPollAllowed());
}

void RemoteWindowTest::replugWhileLearningEndsTheLearningAndFreesTheWindowSafely() {
  sim::SimFaults faults;
  faults.noLearn = true;
  Shell s(ShellOptions().withFaults(faults));
  QPointer<RemoteLearningWindow> w = openRemote(s);
  QPointer<KeyLearningDialog> dialog;
  bool learningWhenGone = true;
  learnWith(s, *w, kPowerArea, [&](KeyLearningDialog& d) {
    dialog = &d;
    QTRY_VERIFY(containsFrame(framesHex(s.trace.reports()), "02 60 01"));
    s.clearSent();
    // Unplugged and plugged in again: the arrival closes the tool windows, and with them the
    // dialog, from inside the dialog's own loop.
    s.backend.unplug();
    QTRY_VERIFY(!s.boxOpen());
    s.backend.plug();
    QTRY_VERIFY(w.isNull() || w->closing());
    learningWhenGone = s.backend.withBox([](sim::SimBox& b) { return b.learning(); });
  });
  // The dialog went with the handler, the window once its handler had returned.
  QVERIFY(dialog.isNull());
  QTRY_VERIFY(w.isNull());
  QVERIFY(s.window->keyLearning() == nullptr);
  QTRY_VERIFY(s.boxOpen());
  s.core().sync.waitIdle();
  // Ended as a Cancel ends it: the box was told to stop.
  QVERIFY(sentFrame(s, "02 61"));
  QVERIFY(!learningWhenGone || !s.backend.withBox([](sim::SimBox& b) { return b.learning(); }));
  QVERIFY(s.core().link.statusPollAllowed());
}

void RemoteWindowTest::screenshots() {
  for (int lang : {0, 1}) {
    const QString tag = lang == 0 ? "zh" : "en";
    Shell s(ShellOptions().lang(lang));
    RemoteLearningWindow* w = openRemote(s);
    QVERIFY(w);
    screenshot(*w, "remote_learning_" + tag);
    learnWith(s, *w, kPowerArea, [&](KeyLearningDialog& d) {
      QTRY_VERIFY(!d.findChild<QLineEdit*>("code")->text().isEmpty());
      screenshot(d, "key_learning_" + tag);
      d.closeAfterCode();
    });
  }
}

QTEST_MAIN(RemoteWindowTest)
#include "shell_remote_qtest.moc"
