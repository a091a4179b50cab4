// The music source, auto SUB and music AGC windows against the simulated box: what the fill
// shows, what each control stores and sends, and their texts in both languages. Screenshots of
// each window in both languages go to the build's screenshots folder.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <limits>

#include "core/core.h"
#include "pages/music_source_window.h"
#include "pages/page_factory.h"
#include "pages/radio_group.h"
#include "pages/switch_level_window.h"
#include "pages/value_row.h"
#include "pages_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using ax7::test::frames;

namespace {

using ax7::test::save;
using ax7::test::tag;
using ax7::test::drain;
using ax7::test::moveTo;

std::unique_ptr<MusicSourceWindow> sourceWindow(test::PageFixture& c) {
  return std::unique_ptr<MusicSourceWindow>(
      static_cast<MusicSourceWindow*>(CreateMusicSourceWindow(c, nullptr)));
}

std::unique_ptr<SwitchLevelWindow> switchWindow(test::PageFixture& c, int id) {
  ToolWindow* w = id == kAutoSubWindow ? CreateAutoSubWindow(c, nullptr) : CreateMusicAgcWindow(c, nullptr);
  return std::unique_ptr<SwitchLevelWindow>(static_cast<SwitchLevelWindow*>(w));
}

}  // namespace

class InputToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void sourceFillFollowsTheKind();
  void sourceRadioSendsOnlyTheKind();
  void sourceLevelsStoreAndSend();
  void autoSubSwitchAndProportion();
  void agcLevelRange();
  void enterPressesNothing();
  void textsInBothLanguages();
  void screenshots();
};

void InputToolsTest::sourceFillFollowsTheKind() {
  test::PageFixture c;
  c.mem().pc.setInt(63, 3);
  auto w = sourceWindow(c);
  QCOMPARE(w->sources()->checkedId(), 0);  // Bluetooth at the first fill: SPDIF
  // Each fill after the one before: Bluetooth (3) repeats what the previous fill showed, and a
  // user's click in between does not count.
  struct Step {
    int kind;
    int shown;
    int click;  // a radio the user clicks after the fill, -1 none
  };
  const Step steps[] = {{3, 0, -1}, {4, 4, 0}, {3, 4, -1}, {1, 1, -1}, {2, -1, -1},
                        {3, -1, -1}, {0, 0, -1}, {5, -1, -1}, {9, -1, -1}, {-1, -1, -1}};
  for (const Step& s : steps) {
    c.mem().pc.setInt(63, s.kind);
    w->RefreshAll();
    QCOMPARE(w->sources()->checkedId(), s.shown);
    if (s.click >= 0) w->sources()->button(s.click)->click();
  }
}

void InputToolsTest::sourceRadioSendsOnlyTheKind() {
  struct Case {
    int radioId;
    int kind;
    const char* sent;
  };
  for (const Case& k : {Case{1191, 1, "02 09 00 04 14 01 00 00 00 01"},
                        Case{1196, 4, "02 09 00 04 14 01 00 00 00 04"},
                        Case{1190, 0, "02 09 00 04 14 01 00 00 00 00"}}) {
    test::PageFixture c;
    c.mem().pc.setInt(63, 3);
    c.mem().pc.setInt(54, 11);
    c.mem().pc.setInt(57, 22);
    c.mem().pc.setInt(58, 33);
    auto w = sourceWindow(c);
    QAbstractButton* radio = nullptr;
    for (auto* r : w->findChildren<QRadioButton*>()) {
      if (r->property("ax7Id").toInt() == k.radioId) radio = r;
    }
    QVERIFY(radio);
    if (radio->isChecked()) w->sources()->setCheckedId(-1);
    radio->click();
    QCOMPARE(drain(c), frames({k.sent}));
    QCOMPARE(c.mem().pc.getInt(63), k.kind);
    QCOMPARE(c.mem().pc.getInt(54), 11);
    QCOMPARE(c.mem().pc.getInt(57), 22);
    QCOMPARE(c.mem().pc.getInt(58), 33);
  }
}

void InputToolsTest::sourceLevelsStoreAndSend() {
  struct Case {
    int row, value, word;
    const char* sent;
    int sliderId, textId;
  };
  for (const Case& k : {Case{2, 35, 58, "02 09 00 04 1C 01 3E B3 33 33", 1047, 1008},
                        Case{0, 100, 54, "02 09 00 04 15 01 3F 80 00 00", 1041, 1005},
                        Case{1, 0, 57, "02 09 00 04 16 01 00 00 00 00", 1042, 1007}}) {
    test::PageFixture c;
    c.mem().pc.setInt(size_t(k.word), k.value == 0 ? 50 : 0);
    auto w = sourceWindow(c);
    ValueRow* level = w->level(k.row);
    QCOMPARE(level->slider()->property("ax7Id").toInt(), k.sliderId);
    QCOMPARE(level->valueLabel()->property("ax7Id").toInt(), k.textId);
    moveTo(level->slider(), k.value);
    QCOMPARE(drain(c), frames({k.sent}));
    QCOMPARE(c.mem().pc.getInt(size_t(k.word)), k.value);
    QCOMPARE(level->valueLabel()->text(), QString::asprintf("%d%%", k.value));
  }
  // Words outside 0..100 from a mode file are clamped.
  test::PageFixture c;
  c.mem().pc.setInt(54, 300);
  c.mem().pc.setInt(58, -4);
  auto w = sourceWindow(c);
  QCOMPARE(w->level(0)->position(), 100);
  QCOMPARE(w->level(2)->position(), 0);
  QCOMPARE(w->level(2)->valueLabel()->text(), QString("0%"));
}

void InputToolsTest::autoSubSwitchAndProportion() {
  test::PageFixture c;
  c.mem().pc.setInt(27, 0);
  c.mem().pc.setInt(28, 45);
  auto w = switchWindow(c, kAutoSubWindow);
  // Off: the stored proportion shows, greyed.
  QVERIFY(!w->switchBox()->isChecked());
  QVERIFY(!w->level()->slider()->isEnabled());
  QVERIFY(!w->level()->title()->isEnabled());
  QCOMPARE(w->level()->valueLabel()->text(), QString("45%"));

  w->switchBox()->click();
  QCOMPARE(drain(c), frames({"02 09 00 01 0C 01 00 00 00 01"}));  // nothing to (1, 13)
  QCOMPARE(c.mem().pc.getInt(27), 1);
  QVERIFY(w->level()->slider()->isEnabled());
  QVERIFY(w->level()->valueLabel()->isEnabled());

  moveTo(w->level()->slider(), 60);
  QCOMPARE(drain(c), frames({"02 09 00 01 0D 01 3F 19 99 9A"}));
  QCOMPARE(c.mem().pc.getInt(28), 60);
  QCOMPARE(w->level()->valueLabel()->text(), QString("60%"));

  w->switchBox()->click();
  QCOMPARE(drain(c), frames({"02 09 00 01 0C 01 00 00 00 00"}));
  QVERIFY(!w->level()->slider()->isEnabled());
}

void InputToolsTest::agcLevelRange() {
  struct Case {
    int position;
    const char* text;
    float word;
    const char* sent;
  };
  for (const Case& k : {Case{-180, "-6.0dB", -18.0f, "02 09 00 04 0E 01 C1 90 00 00"},
                        Case{-60, "6.0dB", -6.0f, "02 09 00 04 0E 01 C0 C0 00 00"},
                        Case{-125, "-0.5dB", -12.5f, "02 09 00 04 0E 01 C1 48 00 00"}}) {
    test::PageFixture c;
    c.mem().pc.setInt(193, 1);
    c.mem().pc.setFloat(194, -10.0f);
    auto w = switchWindow(c, kMusicAgcWindow);
    QCOMPARE(w->level()->position(), -100);
    QCOMPARE(w->level()->valueLabel()->text(), QString("2.0dB"));
    moveTo(w->level()->slider(), k.position);
    QCOMPARE(drain(c), frames({k.sent}));
    QCOMPARE(c.mem().pc.getFloat(194), k.word);
    QCOMPARE(w->level()->valueLabel()->text(), QString(k.text));
  }
  // The switch's own word only; damaged words place the slider at its minimum.
  struct Damaged {
    float word;
    int position;
  };
  for (const Damaged& d : {Damaged{std::numeric_limits<float>::quiet_NaN(), -180},
                           Damaged{std::numeric_limits<float>::infinity(), -180},
                           Damaged{-100.0f, -180}, Damaged{3.0f, -60}}) {
    test::PageFixture c;
    c.mem().pc.setFloat(194, d.word);
    auto w = switchWindow(c, kMusicAgcWindow);
    QCOMPARE(w->level()->position(), d.position);
    QCOMPARE(w->level()->valueLabel()->text(), QString(d.position == -180 ? "-6.0dB" : "6.0dB"));
    w->switchBox()->click();
    QCOMPARE(drain(c), frames({"02 09 00 04 0D 01 00 00 00 01"}));
  }
}

void InputToolsTest::enterPressesNothing() {
  for (int id : {int(kAutoSubWindow), int(kMusicAgcWindow)}) {
    test::PageFixture c;
    auto w = switchWindow(c, id);
    w->show();
    QTest::keyClick(w.get(), Qt::Key_Return);
    QTest::keyClick(w.get(), Qt::Key_Enter);
    QVERIFY(w->isVisible());
    QVERIFY(drain(c).empty());
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
  }
}

void InputToolsTest::textsInBothLanguages() {
  struct Case {
    int id;
    const char* title[2];  // Chinese, English
    const char* explanation[2];
    const char* levelTitle[2];
  };
  const Case cases[] = {
      {kAutoSubWindow,
       {"自动超低音量衰减", "Auto SUB vol decay"},
       {"当检测到话筒信号时，超低音量自动调节成所设置的超低比例，1秒之后，超低音量逐渐恢复成正常比例",
        "When detected mic level,the SUB vol is auto decay."},
       {"超低比例", "SUB Vol"}},
      {kMusicAgcWindow,
       {"音乐AGC", "Music AGC"},
       {"音乐输入增益自动调节", "Auto Music Level"},
       {"AGC电平", "AGC Level"}},
  };
  for (const Case& k : cases) {
    test::PageFixture c;
    auto w = switchWindow(c, k.id);
    for (Language l : {Language::Chinese, Language::English, Language::Chinese}) {
      c.setLanguage(l);
      w->ApplyLanguage();
      const int i = l == Language::English ? 1 : 0;
      QCOMPARE(w->windowTitle(), QString::fromUtf8(k.title[i]));
      QCOMPARE(w->explanation()->text(), QString::fromUtf8(k.explanation[i]));
      QCOMPARE(w->level()->title()->text(), QString::fromUtf8(k.levelTitle[i]));
      QCOMPARE(w->switchBox()->text(), QString::fromUtf8(i ? "ON" : "启用"));
    }
  }
  test::PageFixture c(Language::English);
  auto w = sourceWindow(c);
  QCOMPARE(w->windowTitle(), QString("Music source setting"));
  QCOMPARE(w->sources()->button(1)->text(), QString("COAXIAL"));
  c.setLanguage(Language::Chinese);
  w->ApplyLanguage();
  QCOMPARE(w->windowTitle(), QString("音源设置"));
  QCOMPARE(w->sources()->button(4)->text(), QString("AUX音量"));
}

void InputToolsTest::screenshots() {
  for (Language language : {Language::Chinese, Language::English}) {
    test::PageFixture c(language);
    c.mem().pc.setInt(63, 4);
    c.mem().pc.setInt(27, 1);
    auto source = sourceWindow(c);
    source->show();
    save(*source, "music_source_window_" + tag(language));
    const bool zh = language == Language::Chinese;
    AX7_VERIFY_SHOWN(*source, zh ? "光纤音量" : "SPDIF", zh ? "同轴音量" : "COAXIAL",
                     zh ? "AUX音量" : "AUX", "80%");
    auto sub = switchWindow(c, kAutoSubWindow);
    sub->show();
    save(*sub, "auto_sub_window_" + tag(language));
    AX7_VERIFY_SHOWN(*sub, zh ? "启用" : "ON", zh ? "超低比例" : "SUB Vol", "0%");
    auto agc = switchWindow(c, kMusicAgcWindow);
    agc->show();
    save(*agc, "music_agc_window_" + tag(language));
    AX7_VERIFY_SHOWN(*agc, zh ? "音乐输入增益自动调节" : "Auto Music Level", zh ? "AGC电平" : "AGC Level",
                     "6.0dB");
  }
}

QTEST_MAIN(InputToolsTest)
#include "pages_inputtools_qtest.moc"
