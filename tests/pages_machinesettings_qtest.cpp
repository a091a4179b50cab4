// The machine settings window against the simulated box: the edit session, what Apply sends,
// the live master volumes, the maintenance buttons and their questions. Screenshots of the
// window in both languages go to the build's screenshots folder.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <tuple>

#include "device/commands.h"
#include "pages/machine_settings_window.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/value_row.h"
#include "pages_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using W = MachineSettingsWindow;

namespace {

// Bytes 1, 7..10 and 12 are the box's own; they must come back exactly.
const SettingsRecord kRecord = {0, 0xA1, 0, 70, 30, 70, 80, 1, 0x93, 0xB9, 0xBA, 2, 0xBC};

template <typename T = QWidget>
T* control(QWidget* w, int id) {
  for (T* c : w->findChildren<T*>()) {
    if (c->property("ax7Id").toInt() == id) return c;
  }
  return nullptr;
}

void setCurrent(test::PageFixture& f, const SettingsRecord& r) {
  f.mem().dev.g_settingsCurrent.copyIn(0, r.data(), r.size());
  f.mem().dev.g_settingsEdit.fill(0);  // as before any settings report
}

SettingsRecord edited(test::PageFixture& f) {
  return f.mem().dev.g_settingsEdit.snapshot();
}
SettingsRecord current(test::PageFixture& f) {
  return f.mem().dev.g_settingsCurrent.snapshot();
}

std::string applyFrame(const SettingsRecord& r) {
  return test::frameHex(SettingsApplyFrame(r));
}

void save(QWidget& w, const QString& name) {
  QDir().mkpath(AX7_SCREENSHOT_DIR);
  w.adjustSize();
  QVERIFY(w.grab().save(QString(AX7_SCREENSHOT_DIR) + "/" + name + ".png"));
}

}  // namespace

class MachineSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void openingStartsAnEditSessionFromTheCurrentCopy();
  void valuesFromTheBoxAreReadSafely();
  void lowerMaximumPullsTheStartAndTheMasterVolumeDown();
  void clearedEnableSendsNoStartVolume();
  void closingDropsTheEdits();
  void applyWithoutABoxKeepsTheEdit();
  void modeResetAsksFirstThenReadsTheBoxBack();
  void plugResetAsksFirstAndRunsOnce();
  void languageSwitchWhileOpenLaysOutAgain();
  void screenshots();
};

void MachineSettingsTest::openingStartsAnEditSessionFromTheCurrentCopy() {
  test::PageFixture f;
  setCurrent(f, kRecord);
  W w(f, nullptr);
  QCOMPARE(edited(f), kRecord);
  QCOMPARE(control<StepSlider>(&w, W::kMicStartSlider)->value(), 70);
  QCOMPARE(control<StepSlider>(&w, W::kMusicStartSlider)->maximum(), 80);
  QCOMPARE(control<QComboBox>(&w, W::kPowerOnList)->currentIndex(), 2);
  QVERIFY(control<QRadioButton>(&w, W::kByPower)->isChecked());
  QVERIFY(control<QAbstractButton>(&w, W::kModeM1)->isChecked());

  // Apply straight away sends what the window shows, every other byte as received.
  w.apply();
  QVERIFY(f.core().queue.waitIdle());
  QCOMPARE(f.sent(), (std::vector<std::string>{applyFrame(kRecord)}));
  QCOMPARE(f.infos.back(), QString("机器设置已生效!"));
}

void MachineSettingsTest::valuesFromTheBoxAreReadSafely() {
  test::PageFixture f;
  SettingsRecord odd = kRecord;
  odd[kSetMicMax] = 0;      // no such maximum: read as 99
  odd[kSetMusicMax] = 200;  // nor this
  odd[kSetMicStart] = 120;  // above its maximum
  odd[kSetPowerOn] = 7;     // not in the list
  setCurrent(f, odd);
  W w(f, nullptr);
  const SettingsRecord e = edited(f);
  QCOMPARE(int(e[kSetMicMax]), 99);
  QCOMPARE(int(e[kSetMusicMax]), 99);
  QCOMPARE(int(e[kSetMicStart]), 99);
  QCOMPARE(control<QComboBox>(&w, W::kPowerOnList)->currentIndex(), -1);
  QCOMPARE(int(e[kSetPowerOn]), 7);  // kept unless the user picks one
}

void MachineSettingsTest::lowerMaximumPullsTheStartAndTheMasterVolumeDown() {
  test::PageFixture f;
  setCurrent(f, kRecord);
  W w(f, nullptr);
  w.show();
  auto* max = control<StepSlider>(&w, W::kMicMaxSlider);
  for (int i = 0; i < 30; ++i) QTest::keyClick(max, Qt::Key_Left);
  QCOMPARE(int(edited(f)[kSetMicMax]), 40);
  QCOMPARE(int(edited(f)[kSetMicStart]), 40);
  QCOMPARE(control<StepSlider>(&w, W::kMicStartSlider)->value(), 40);
  QCOMPARE(f.mem().pc.getInt(0), 40);
  QVERIFY(f.core().queue.waitIdle());
  const auto sent = f.sent();
  QVERIFY(!sent.empty());
  QCOMPARE(sent.back(), test::frameHex(test::parseFrame("02 09 00 01 0E 01 " +
                                                        test::floatHex(EncodeMaster(40)))));
  QCOMPARE(test::floatHex(EncodeMaster(40)), test::floatHex(0.4005f));
  QCOMPARE(current(f), kRecord);  // nothing applied yet
}

void MachineSettingsTest::clearedEnableSendsNoStartVolume() {
  for (Language l : {Language::Chinese, Language::English}) {
    test::PageFixture f(l);
    setCurrent(f, kRecord);
    W w(f, nullptr);
    w.show();
    auto* enable = control<QCheckBox>(&w, W::kMusicEnable);
    QTest::mouseClick(enable, Qt::LeftButton);
    QCOMPARE(int(edited(f)[kSetMusicStart]), 255);
    QCOMPARE(control<QLabel>(&w, W::kMusicStartValue)->text(),
             QString(l == Language::Chinese ? "无效" : "Invalid"));
    QVERIFY(!control<StepSlider>(&w, W::kMusicStartSlider)->isEnabled());
    w.apply();
    QVERIFY(f.core().queue.waitIdle());
    SettingsRecord expected = kRecord;
    expected[kSetMusicStart] = 255;
    QCOMPARE(f.sent(), (std::vector<std::string>{applyFrame(expected)}));
    QCOMPARE(current(f), expected);

    // Ticked again: the start volume begins at the live music master volume.
    f.mem().pc.setInt(53, 25);
    QTest::mouseClick(enable, Qt::LeftButton);
    QCOMPARE(int(edited(f)[kSetMusicStart]), 25);
    QCOMPARE(control<QLabel>(&w, W::kMusicStartValue)->text(), QString("25"));
  }
}

void MachineSettingsTest::closingDropsTheEdits() {
  test::PageFixture f;
  setCurrent(f, kRecord);
  {
    W w(f, nullptr);
    w.show();
    QTest::mouseClick(control<QRadioButton>(&w, W::kByMode), Qt::LeftButton);
    QCOMPARE(int(edited(f)[kSetSaveMode]), 1);
    QCOMPARE(int(edited(f)[kSetSaveModeSource]), 1);
    QTest::mouseClick(control<QAbstractButton>(&w, W::kCancel), Qt::LeftButton);
  }
  QCOMPARE(edited(f), kRecord);
  QCOMPARE(current(f), kRecord);
  W again(f, nullptr);
  QVERIFY(control<QRadioButton>(&again, W::kByPower)->isChecked());
  QVERIFY(f.sent().empty());
}

void MachineSettingsTest::applyWithoutABoxKeepsTheEdit() {
  test::PageFixture f(Language::English, false);
  setCurrent(f, kRecord);
  W w(f, nullptr);
  w.show();
  QTest::mouseClick(control<QRadioButton>(&w, W::kByMode), Qt::LeftButton);
  QTest::mouseClick(control<QAbstractButton>(&w, W::kApply), Qt::LeftButton);
  QCOMPARE(f.infos, (std::vector<QString>{"Please connect device!"}));
  QCOMPARE(current(f), kRecord);
  QCOMPARE(int(edited(f)[kSetSaveMode]), 1);  // the edit waits for a box
}

void MachineSettingsTest::modeResetAsksFirstThenReadsTheBoxBack() {
  {
    test::PageFixture f(Language::Chinese, false);
    W w(f, nullptr);
    w.resetMode(2);
    QVERIFY(f.prompts.shown.empty());
    QCOMPARE(f.synchronisations, 0);
  }
  test::PageFixture f;
  W w(f, nullptr);
  f.prompts.answers = {Answer::No};
  w.resetMode(2);
  QCOMPARE(f.prompts.shown.size(), size_t(1));
  QVERIFY(f.core().queue.waitIdle());
  QVERIFY(f.sent().empty());

  w.resetMode(2);  // Yes
  QCOMPARE(f.synchronisations, 1);
  const auto sent = f.sent();
  QVERIFY(!sent.empty());
  QCOMPARE(sent.front(), test::frameHex(test::parseFrame("02 06 02")));
  QCOMPARE(f.mem().dev.g_nCurrentMode.load(), 2);
  QVERIFY(control<QAbstractButton>(&w, W::kModeM1 + 2)->isChecked());
  QVERIFY(!control<QAbstractButton>(&w, W::kModeM1)->isChecked());
}

void MachineSettingsTest::plugResetAsksFirstAndRunsOnce() {
  test::PageFixture f;
  W w(f, nullptr);
  f.prompts.answers = {Answer::No};
  w.resetPlugs();
  QVERIFY(!f.core().zwave.resetRunning());
  QVERIFY(f.infos.empty());

  // Virtual time stands still until the checks are done: the reset's waits cannot end, so it
  // is still running however fast the box answers.
  f.clock.notify([&] { f.clock.beginWorkLocked(); });
  w.resetPlugs();
  QVERIFY(f.core().zwave.resetRunning());
  QCOMPARE(f.infos, (std::vector<QString>{"正在复位，请稍等……"}));
  w.resetPlugs();  // ignored while the first runs
  QCOMPARE(f.infos.size(), size_t(1));
  f.clock.endWork();
  f.core().zwave.waitIdle();
  QCOMPARE(f.sent().front(), test::frameHex(test::parseFrame("02 12 06 01 04 00 42 02 BB")));
}

void MachineSettingsTest::languageSwitchWhileOpenLaysOutAgain() {
  // Opened in one language with both start volumes "Invalid", switched while open: every
  // slider, its value text and its check box stay clear of one another and of the window edge.
  for (Language first : {Language::Chinese, Language::English}) {
    test::PageFixture f(first);
    W w(f, nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int id : {int(W::kMicEnable), int(W::kMusicEnable)}) {
      auto* box = control<QCheckBox>(&w, id);
      if (box->isChecked()) QTest::mouseClick(box, Qt::LeftButton);
    }
    for (Language now : {OtherLanguage(first), first}) {
      f.setLanguage(now);
      w.ApplyLanguage();
      QCoreApplication::processEvents();
      const auto box = [&](QWidget* c) { return QRect(c->mapTo(&w, QPoint(0, 0)), c->size()); };
      for (auto [sliderId, valueId, enableId] :
           {std::tuple{int(W::kMicStartSlider), int(W::kMicStartValue), int(W::kMicEnable)},
            std::tuple{int(W::kMusicStartSlider), int(W::kMusicStartValue),
                       int(W::kMusicEnable)}}) {
        QWidget* slider = control<QWidget>(&w, sliderId);
        auto* value = control<QLabel>(&w, valueId);
        auto* enable = control<QCheckBox>(&w, enableId);
        QVERIFY(slider && value && enable);
        QCOMPARE(value->text(), Pick(now, "无效", "Invalid"));
        const QString where = QString("%1 after switching to %2").arg(sliderId).arg(int(now));
        QVERIFY2(box(slider).right() < box(value).left(), qPrintable(where));
        QVERIFY2(
            value->fontMetrics().horizontalAdvance(value->text()) <= value->contentsRect().width(),
            qPrintable(where));
        QVERIFY2(box(value).right() < box(enable).left(), qPrintable(where));
        QVERIFY2(enable->sizeHint().width() <= enable->width(), qPrintable(where));
        QVERIFY2(box(enable).right() < w.width(), qPrintable(where));
      }
      save(w, QString("machine_settings_switched_to_") + (now == Language::Chinese ? "zh" : "en"));
    }
  }
}

void MachineSettingsTest::screenshots() {
  for (Language l : {Language::Chinese, Language::English}) {
    test::PageFixture f(l);  // filled from the simulated box
    const QString t = l == Language::Chinese ? "zh" : "en";
    W w(f, nullptr);
    w.show();
    save(w, "machine_settings_" + t);
    const bool zh = l == Language::Chinese;
    AX7_VERIFY_SHOWN(w, zh ? "话筒开机音量" : "Mic start vol", zh ? "音乐最大音量" : "Music max vol",
                     "50", "99");
    QTest::mouseClick(control<QCheckBox>(&w, W::kMusicEnable), Qt::LeftButton);
    save(w, "machine_settings_invalid_" + t);
    // A cleared enable box shows its value as not in use.
    AX7_VERIFY_SHOWN(w, zh ? "无效" : "Invalid");
  }
}

QTEST_MAIN(MachineSettingsTest)
#include "pages_machinesettings_qtest.moc"
