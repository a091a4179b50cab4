// The master controls on the live window: what a slider, a mute or a wheel notch stores and
// sends, the limits and warnings, and both category twins staying in step.
#include <QtTest/qtestspontaneevent.h>

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTest>

#include "device/commands.h"
#include "shell/info_box.h"
#include "shell/master_controls.h"
#include "shell/mode_commands.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "pages/step_slider.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

StepSlider* slider(Shell& s, int id) {
  return s.window->ribbon().controlAs<StepSlider>(id);
}

// A user step to `value` in the slider's own category: the slider sits one step away and an
// arrow key moves it.
void moveTo(Shell& s, int id, int value) {
  StepSlider* sl = slider(s, id);
  s.window->ribbon().setCurrentCategory(InputTwin(id) == id ? kInputCategory : kOutputCategory);
  const bool fromBelow = value > sl->minimum();
  {
    const QSignalBlocker block(sl);
    sl->setValue(fromBelow ? value - 1 : value + 1);
  }
  sl->setFocus();
  QTest::keyClick(sl, fromBelow ? Qt::Key_Right : Qt::Key_Left);
}

// The master volumes use the core's encoding (value / 100 + 0.0005 as a single).
std::string dspFrame(const char* head, float v, int count = 1) {
  std::string hex = head;
  for (int i = 0; i < count; ++i) hex += " " + floatHex(v);
  return frameHex(parseFrame(hex));
}

QString labelText(Shell& s, int id) {
  return s.window->ribbon().controlAs<QLabel>(id)->text();
}

QString infoText(Shell& s) {
  InfoBox* box = s.window->info().current();
  return box ? box->text() : QString();
}

}  // namespace

class MasterControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void sliderStoresSendsAndKeepsTwins_data();
  void sliderStoresSendsAndKeepsTwins();
  void volumeLimits_data();
  void volumeLimits();
  void volumeWhileMutedWarnsAndSends();
  void mutesToggle_data();
  void mutesToggle();
  void labelsOfBothCategories();
  void wheelStepsThePanelUnderThePointer_data();
  void wheelStepsThePanelUnderThePointer();
  void loadAndSaveModes();
  void machineReset();
};

void MasterControlsTest::sliderStoresSendsAndKeepsTwins_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("word");
  QTest::addColumn<QStringList>("frames");
  auto row = [](const char* name, int id, int value, int word, std::vector<std::string> f) {
    QStringList list;
    for (const auto& s : f) list << QString::fromStdString(s);
    QTest::newRow(name) << id << value << word << list;
  };
  row("mic", ID_SLIDER_MICVOL, 50, 0, {dspFrame("02 09 00 01 0E 01", EncodeMaster(50))});
  row("mic, Output twin", ID_SLIDER_MICVOL_OUT, 50, 0,
      {dspFrame("02 09 00 01 0E 01", EncodeMaster(50))});
  row("effect", ID_SLIDER_EFXVOL, 30, 18,
      {dspFrame("02 09 00 01 22 01", EncodeMaster(30)),
       dspFrame("02 09 00 01 35 01", EncodeMaster(30))});
  row("reverb", ID_SLIDER_REVERBVOL_OUT, 40, 51, {dspFrame("02 09 00 03 18 02", 0.4f, 2)});
  row("echo", ID_SLIDER_ECHOVOL, 25, 41, {dspFrame("02 09 00 02 1A 01", 0.25f)});
  row("music", ID_SLIDER_MUSICVOL, 60, 53, {dspFrame("02 09 00 04 0B 01", EncodeMaster(60))});
  row("noise gate 100", ID_SLIDER_NOISEGATE, 100, 64, {dspFrame("02 09 00 04 13 01", 0.01f)});
  row("pitch -5", ID_SLIDER_PITCH, -5, 62, {frameHex(parseFrame("02 09 00 04 12 01 00 00 00 00"))});
  row("pitch +5", ID_SLIDER_PITCH_OUT, 5, 62,
      {frameHex(parseFrame("02 09 00 04 12 01 00 00 00 0A"))});
}

void MasterControlsTest::sliderStoresSendsAndKeepsTwins() {
  QFETCH(int, id);
  QFETCH(int, value);
  QFETCH(int, word);
  QFETCH(QStringList, frames);
  Shell s;
  s.mem().dev.g_settingsCurrent.set(5, 99);
  s.mem().dev.g_settingsCurrent.set(6, 99);
  s.clearSent();

  moveTo(s, id, value);

  QCOMPARE(s.mem().pc.getInt(size_t(word)), value);
  QCOMPARE(slider(s, TwinIn(kInputCategory, id))->value(), value);
  QCOMPARE(slider(s, TwinIn(kOutputCategory, id))->value(), value);
  QStringList sent;
  for (const auto& f : s.sent()) sent << QString::fromStdString(f);
  QCOMPARE(sent, frames);
}

void MasterControlsTest::volumeLimits_data() {
  QTest::addColumn<int>("language");
  QTest::addColumn<int>("id");
  QTest::addColumn<int>("maxByte");  // settings record byte of the maximum
  QTest::addColumn<int>("maximum");
  QTest::addColumn<int>("expected");
  QTest::addColumn<QString>("notice");
  QTest::newRow("mic over 80") << 0 << int(ID_SLIDER_MICVOL) << 5 << 80 << 80
                               << QString::fromUtf8("不能超过最大话筒音量!");
  QTest::newRow("mic, English") << 1 << int(ID_SLIDER_MICVOL_OUT) << 5 << 80 << 80
                                << "Mic vol can't over max value!";
  QTest::newRow("music over 70") << 0 << int(ID_SLIDER_MUSICVOL) << 6 << 70 << 70
                                 << QString::fromUtf8("不能超过最大音乐音量!");
  QTest::newRow("music, English") << 1 << int(ID_SLIDER_MUSICVOL) << 6 << 70 << 70
                                  << "Music vol can't over max value!";
  // Before the box has reported its settings there is no maximum to hold to.
  QTest::newRow("not reported") << 0 << int(ID_SLIDER_MICVOL) << 5 << 0 << 95 << QString();
}

void MasterControlsTest::volumeLimits() {
  QFETCH(int, language);
  QFETCH(int, id);
  QFETCH(int, maxByte);
  QFETCH(int, maximum);
  QFETCH(int, expected);
  QFETCH(QString, notice);
  Shell s(ShellOptions().lang(language));
  s.mem().dev.g_settingsCurrent.set(size_t(maxByte), uint8_t(maximum));
  s.mem().pc.setInt(17, 0);
  s.mem().pc.setInt(60, 0);
  s.clearSent();

  moveTo(s, id, 95);

  QCOMPARE(infoText(s), notice);
  QCOMPARE(slider(s, TwinIn(kInputCategory, id))->value(), expected);
  QCOMPARE(slider(s, TwinIn(kOutputCategory, id))->value(), expected);
  const int word = InputTwin(id) == ID_SLIDER_MICVOL ? 0 : 53;
  QCOMPARE(s.mem().pc.getInt(size_t(word)), expected);
  const char* head = word == 0 ? "02 09 00 01 0E 01" : "02 09 00 04 0B 01";
  QCOMPARE(s.sent(), std::vector<std::string>{dspFrame(head, EncodeMaster(expected))});
}

void MasterControlsTest::volumeWhileMutedWarnsAndSends() {
  Shell s(ShellOptions().lang(1));
  s.mem().pc.setInt(60, 1);
  s.clearSent();
  moveTo(s, ID_SLIDER_MUSICVOL, 40);
  QCOMPARE(infoText(s), QString("vol is mute"));
  QCOMPARE(s.window->info().current()->remainingMs() > 1000, true);
  QCOMPARE(s.sent(), std::vector<std::string>{dspFrame("02 09 00 04 0B 01", EncodeMaster(40))});
}

void MasterControlsTest::mutesToggle_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<int>("word");
  QTest::addColumn<QString>("head");
  QTest::addColumn<int>("count");
  QTest::newRow("mic") << int(ID_CHK_MUTE1) << 17 << "02 09 00 01 0F 01" << 1;
  QTest::newRow("reverb, Output") << int(ID_CHK_MUTE2_OUT) << 52 << "02 09 00 03 19 02" << 2;
  QTest::newRow("echo") << int(ID_CHK_MUTE3) << 42 << "02 09 00 02 1B 01" << 1;
  QTest::newRow("music") << int(ID_CHK_MUTE4) << 60 << "02 09 00 04 0C 01" << 1;
}

void MasterControlsTest::mutesToggle() {
  QFETCH(int, id);
  QFETCH(int, word);
  QFETCH(QString, head);
  QFETCH(int, count);
  Shell s;
  s.mem().pc.setInt(size_t(word), 0);
  s.window->updateUi();
  s.window->ribbon().setCurrentCategory(InputTwin(id) == id ? kInputCategory : kOutputCategory);
  auto* box = s.window->ribbon().controlAs<QCheckBox>(id);
  auto* twin = s.window->ribbon().controlAs<QCheckBox>(
      TwinIn(InputTwin(id) == id ? kOutputCategory : kInputCategory, id));
  s.clearSent();

  QTest::mouseClick(box, Qt::LeftButton);
  QCOMPARE(s.mem().pc.getInt(size_t(word)), 1);
  QVERIFY(box->isChecked());
  QVERIFY(twin->isChecked());
  QCOMPARE(s.sent(), std::vector<std::string>{dspFrame(head.toLatin1(), 0.0f, count)});

  s.clearSent();
  QTest::mouseClick(box, Qt::LeftButton);
  QCOMPARE(s.mem().pc.getInt(size_t(word)), 0);
  QVERIFY(!box->isChecked() && !twin->isChecked());
  const auto sent = s.sent();
  QVERIFY(!sent.empty());
  // Unmuting the music fades in; every mute ends passing the sound at full gain.
  QCOMPARE(sent.back(), dspFrame(head.toLatin1(), 1.0f, count));
  QCOMPARE(int(sent.size()), word == 60 ? 10 : 1);
}

void MasterControlsTest::labelsOfBothCategories() {
  struct Case {
    int language;
    int id;
    int value;
    int labelId;
    const char* text;
  };
  const Case cases[] = {
      {1, ID_SLIDER_NOISEGATE, 7, ID_LABEL_NOISEGATE, "Noisegate:      7"},
      {0, ID_SLIDER_NOISEGATE_OUT, 7, ID_LABEL_NOISEGATE, "音乐噪声门:  7"},
      {0, ID_SLIDER_REVERBVOL, 40, ID_LABEL_REVERBVOL, "混响音量:   40"},
      {1, ID_SLIDER_MICVOL, 5, ID_LABEL_MICVOL, "Mic    Vol:   5"},
      {1, ID_SLIDER_EFXVOL_OUT, 42, ID_LABEL_EFXVOL, "Effect    Vol: 42"},
  };
  for (const Case& c : cases) {
    Shell s(ShellOptions().lang(c.language).noConnect());
    s.mem().dev.g_settingsCurrent.set(5, 99);
    moveTo(s, c.id, c.value);
    const QString want = QString::fromUtf8(c.text);
    QCOMPARE(labelText(s, TwinIn(kInputCategory, c.labelId)), want);
    QCOMPARE(labelText(s, TwinIn(kOutputCategory, c.labelId)), want);
  }
  // The pitch shows in the caption of the active category's pitch panel.
  Shell s(ShellOptions().lang(1).noConnect());
  moveTo(s, ID_SLIDER_PITCH_OUT, 3);
  QCOMPARE(s.window->ribbon().panelText(kOutputCategory, 5), QString("Music Pitch:  3"));
  // A category change shows the values from memory again.
  s.window->ribbon().setCurrentCategory(kInputCategory);
  QCOMPARE(s.window->ribbon().panelText(kInputCategory, 5), QString("Music Pitch:3"));
}

void MasterControlsTest::wheelStepsThePanelUnderThePointer_data() {
  QTest::addColumn<int>("category");
  QTest::addColumn<int>("target");  // slider id under the pointer, 0: the load panel
  QTest::addColumn<int>("delta");
  QTest::addColumn<int>("word");
  QTest::addColumn<int>("expected");
  QTest::addColumn<int>("frames");
  QTest::newRow("mic up, Input") << kInputCategory << int(ID_SLIDER_MICVOL) << 120 << 0 << 51 << 1;
  QTest::newRow("mic up, Output") << kOutputCategory << int(ID_SLIDER_MICVOL_OUT) << 120 << 0 << 51
                                  << 1;
  QTest::newRow("echo down") << kInputCategory << int(ID_SLIDER_ECHOVOL) << -120 << 41 << 49 << 1;
  QTest::newRow("pitch up") << kInputCategory << int(ID_SLIDER_PITCH) << 120 << 62 << 1 << 1;
  QTest::newRow("half notch") << kInputCategory << int(ID_SLIDER_MICVOL) << 60 << 0 << 50 << 0;
  QTest::newRow("load panel") << kInputCategory << 0 << 120 << 0 << 50 << 0;
}

void MasterControlsTest::wheelStepsThePanelUnderThePointer() {
  QFETCH(int, category);
  QFETCH(int, target);
  QFETCH(int, delta);
  QFETCH(int, word);
  QFETCH(int, expected);
  QFETCH(int, frames);
  Shell s;
  QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
  s.mem().dev.g_settingsCurrent.set(5, 99);
  for (int w : {0, 41}) s.mem().pc.setInt(size_t(w), 50);
  s.mem().pc.setInt(62, 0);
  Ribbon& ribbon = s.window->ribbon();
  ribbon.setCurrentCategory(category);
  s.window->master().RefreshRibbonValues();
  s.clearSent();

  QWidget* under =
      target ? ribbon.control(target) : ribbon.control(TwinIn(category, IDC_FILE_OPEN));
  const QPoint local = under->rect().center();
  QWheelEvent wheel(QPointF(local), QPointF(under->mapToGlobal(local)), QPoint(), QPoint(0, delta),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&wheel);
  qApp->notify(under, &wheel);

  QCOMPARE(s.mem().pc.getInt(size_t(word)), expected);
  if (target) {
    QCOMPARE(slider(s, TwinIn(kInputCategory, target))->value(), expected);
    QCOMPARE(slider(s, TwinIn(kOutputCategory, target))->value(), expected);
  }
  QCOMPARE(int(s.sent().size()), frames);
  if (InputTwin(target) == ID_SLIDER_MICVOL && frames == 1) {
    QCOMPARE(s.sent().front(), dspFrame("02 09 00 01 0E 01", EncodeMaster(51)));
  }
}

void MasterControlsTest::loadAndSaveModes() {
  Shell s;
  ModeCommands& modes = s.window->modes();
  auto& dev = s.mem().dev;

  // Unchanged parameters: no question; recall and read back.
  dev.g_bParamsChanged = 0;
  s.clearSent();
  s.window->handleCommand(ID_LOADMODE_M1 + 2);
  QCOMPARE(s.prompter.count("question"), 0);
  QCOMPARE(s.sent().front(), frameHex(parseFrame("02 05 02")));
  QVERIFY(containsFrame(s.sent(), "02 80"));
  QCOMPARE(dev.g_nCurrentMode.load(), 2);
  s.window->updateUi();
  QVERIFY(s.window->ribbon().action(ID_LOADMODE_M1 + 2)->isChecked());
  QVERIFY(s.window->ribbon().action(ID_SAVEMODE_M1 + 2)->isChecked());
  QVERIFY(!s.window->ribbon().action(ID_LOADMODE_M1)->isChecked());

  // Changed parameters: asked first; No sends nothing.
  dev.g_bParamsChanged = 1;
  s.clearSent();
  s.prompter.answers = {Answer::No};
  modes.loadMode(1);
  QCOMPARE(s.prompter.shown.back().text, QString::fromUtf8("参数已更改，确定要直接载入模式二?"));
  QVERIFY(s.sent().empty());

  // Saving mode 0: asked, stored, the changed flag cleared, then the notice.
  s.clearSent();
  s.prompter.answers = {Answer::Yes};
  modes.saveMode(0);
  QCOMPARE(s.prompter.shown.back().text, QString::fromUtf8("确定要保存至机器模式一?"));
  QCOMPARE(s.sent(), frames({"02 04 00"}));
  QCOMPARE(dev.g_bParamsChanged.load(), 0);
  QTRY_COMPARE(infoText(s), QString::fromUtf8("正在储存模式一,请稍等"));

  // Without a box the mode commands do nothing, not even ask.
  s.core().link.CloseUsbDevice(false);
  const size_t asked = s.prompter.shown.size();
  s.clearSent();
  modes.saveMode(3);
  modes.loadMode(3);
  QCOMPARE(s.prompter.shown.size(), asked);
  QVERIFY(s.sent().empty());
}

void MasterControlsTest::machineReset() {
  Shell s(ShellOptions().lang(1));
  s.clearSent();
  s.prompter.answers = {Answer::No, Answer::Yes};
  s.window->handleCommand(ID_BTN_RESET);
  QVERIFY(s.sent().empty());
  s.window->handleCommand(ID_BTN_RESET);
  QCOMPARE(s.prompter.shown.back().caption, QString::fromUtf8("提示"));
  QCOMPARE(s.prompter.shown.back().text, QString("Are you sure reset machine? "));
  QCOMPARE(s.sent(), frames({"02 68 AA"}));
  QCOMPARE(infoText(s), QString::fromUtf8("Please restart……"));
  QVERIFY(s.window->info().current()->remainingMs() > 1500);
}

QTEST_MAIN(MasterControlsTest)
#include "shell_master_qtest.moc"
