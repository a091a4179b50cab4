// Texts of the master controls: the value-label formats in both languages and the
// relabelling of the whole ribbon after a language switch.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "params/memory.h"
#include "shell/master_labels.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "support/qt_text.h"

Q_DECLARE_METATYPE(ax7::ui::MasterLabel)
Q_DECLARE_METATYPE(ax7::ui::LabelOccasion)

using namespace ax7::ui;

namespace {

constexpr int kZh = 0;
constexpr int kEn = 1;

using ax7::test::TextOf;
using ax7::test::U;

// A ribbon built in a language (or left empty with -1), as the main window builds it.
struct Built {
  explicit Built(int language) {
    if (language >= 0) BuildAx7Ribbon(ribbon, language);
  }
  Ribbon ribbon;
};

}  // namespace

class MasterLabelsTest : public QObject {
  Q_OBJECT

 private slots:
  void labelFormats_data();
  void labelFormats();
  void pitchCaption_data();
  void pitchCaption();
  void relabelBothDirections();
  void relabelAfterEnglishStart();
};

void MasterLabelsTest::labelFormats_data() {
  QTest::addColumn<MasterLabel>("label");
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("language");
  QTest::addColumn<LabelOccasion>("occasion");
  QTest::addColumn<QString>("expected");
  using L = MasterLabel;
  const auto slider = LabelOccasion::SliderChange;
  const auto refresh = LabelOccasion::Refresh;
  const auto switched = LabelOccasion::LanguageSwitch;
  QTest::newRow("mic zh 100") << L::MicVolume << 100 << kZh << slider << U("话筒音量:100");
  QTest::newRow("mic en 7") << L::MicVolume << 7 << kEn << slider << U("Mic    Vol:   7");
  QTest::newRow("effect zh 42") << L::EffectVolume << 42 << kZh << refresh << U("效果总音量: 42");
  QTest::newRow("effect en 5") << L::EffectVolume << 5 << kEn << switched << U("Effect    Vol:  5");
  QTest::newRow("reverb zh slider")
      << L::ReverbVolume << 42 << kZh << slider << U("混响音量:   42");
  QTest::newRow("reverb zh refresh")
      << L::ReverbVolume << 42 << kZh << refresh << U("混响音量:   42");
  QTest::newRow("reverb zh switch")
      << L::ReverbVolume << 42 << kZh << switched << U("混响音量: 42");
  QTest::newRow("reverb en") << L::ReverbVolume << 42 << kEn << slider << U("Reverb Vol: 42");
  QTest::newRow("echo zh 0") << L::EchoVolume << 0 << kZh << slider << U("回声音量:  0");
  QTest::newRow("echo en 99") << L::EchoVolume << 99 << kEn << refresh << U("Echo Vol: 99");
  QTest::newRow("music en 0") << L::MusicVolume << 0 << kEn << slider << U("Music Vol:  0");
  QTest::newRow("music zh 99") << L::MusicVolume << 99 << kZh << switched << U("音乐音量: 99");
  QTest::newRow("gate en 7") << L::NoiseGate << 7 << kEn << slider << U("Noisegate:      7");
  QTest::newRow("gate en 100") << L::NoiseGate << 100 << kEn << refresh << U("Noisegate:    100");
  QTest::newRow("gate zh 7") << L::NoiseGate << 7 << kZh << slider << U("音乐噪声门:  7");
}

void MasterLabelsTest::labelFormats() {
  QFETCH(MasterLabel, label);
  QFETCH(int, value);
  QFETCH(int, language);
  QFETCH(LabelOccasion, occasion);
  QFETCH(QString, expected);
  QCOMPARE(MasterLabelText(label, value, language, occasion), expected);
}

void MasterLabelsTest::pitchCaption_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("language");
  QTest::addColumn<LabelOccasion>("occasion");
  QTest::addColumn<QString>("expected");
  const auto slider = LabelOccasion::SliderChange;
  const auto refresh = LabelOccasion::Refresh;
  const auto switched = LabelOccasion::LanguageSwitch;
  QTest::newRow("switch en +0") << 0 << kEn << switched << U("Music Pitch:+0");
  QTest::newRow("switch zh -3") << -3 << kZh << switched << U("音乐变调:-3");
  QTest::newRow("switch en +5") << 5 << kEn << switched << U("Music Pitch:+5");
  QTest::newRow("slider en -3") << -3 << kEn << slider << U("Music Pitch: -3");
  QTest::newRow("slider zh 5") << 5 << kZh << slider << U("音乐变调:  5");
  QTest::newRow("refresh zh 5") << 5 << kZh << refresh << U("音乐变调:5");
  QTest::newRow("refresh en -5") << -5 << kEn << refresh << U("Music Pitch:-5");
}

void MasterLabelsTest::pitchCaption() {
  QFETCH(int, value);
  QFETCH(int, language);
  QFETCH(LabelOccasion, occasion);
  QFETCH(QString, expected);
  QCOMPARE(PitchCaption(value, language, occasion), expected);
}

void MasterLabelsTest::relabelBothDirections() {
  ax7::ParameterMemory memory;
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MicMaster).word), 7);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::EffectMaster).word), 25);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::ReverbMaster).word), 42);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::EchoMaster).word), 99);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicMaster).word), 0);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicNoiseGate).word), 7);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicPitch).word), -3);
  Built host(kZh);
  Ribbon& ribbon = host.ribbon;
  ribbon.controlAs<QCheckBox>(ID_CHK_MUTE1)->setChecked(true);

  struct Case {
    int language;
    QStringList categories;
    QStringList panels;
    std::vector<std::pair<int, const char*>> texts;  // Input ids; the Output twins match
  };
  const Case cases[] = {
      {kEn,
       {"Input", "Output"},
       {"Mic  Vol", "Effect Vol", "Reverb Vol", "Echo Vol", "Music Vol", "Music Pitch:-3", "Load",
        "Save", "Mic 1 Status", "Mic 2 Status"},
       {{ID_LABEL_MICVOL, "Mic    Vol:   7"},
        {ID_LABEL_EFXVOL, "Effect    Vol: 25"},
        {ID_LABEL_REVERBVOL, "Reverb Vol: 42"},
        {ID_LABEL_ECHOVOL, "Echo Vol: 99"},
        {ID_LABEL_MUSICVOL, "Music Vol:  0"},
        {ID_LABEL_NOISEGATE, "Noisegate:      7"},
        {ID_CHK_MUTE1, "Mute"},
        {ID_CHK_MUTE2, "Mute"},
        {ID_CHK_MUTE3, "Mute"},
        {ID_CHK_MUTE4, "Mute"},
        {IDC_FILE_OPEN, "LoadFile"},
        {IDC_FILE_SAVE, "SaveFile"},
        {ID_BTN_LOADMODE, "LoadMode"},
        {ID_BTN_SAVEMODE, "SaveMode"},
        {ID_BTN_RESET, "Reset"},
        {ID_BTN_REMOTE, "Remote control"},
        {ID_BTN_AUTOSUB, "Auto SUB"},
        {ID_BTN_INPUTSOURCE, "Input Source"},
        {ID_BTN_MUSICAGC, "Music AGC"},
        {ID_BTN_LANGUAGE, "中/EN"},
        {ID_APP_ABOUT, ""},
        {ID_FILE_OPEN, "Open(&O)"},
        {ID_FILE_SAVE, "Save(&S)"},
        {ID_APP_REMOTE_ACCESS, "Remote access(&R)..."},
        {ID_APP_EXIT, "Exit(&X)"}}},
      {kZh,
       {"输入控制", "输出调节"},
       {"话筒音量", "效果总音量", "混响音量", "回声音量", "音乐音量", "音乐变调:-3", "调用", "保存",
        "话筒1状态", "话筒2状态"},
       {{ID_LABEL_MICVOL, "话筒音量:  7"},
        {ID_LABEL_EFXVOL, "效果总音量: 25"},
        {ID_LABEL_REVERBVOL, "混响音量: 42"},  // no padding after the colon here
        {ID_LABEL_ECHOVOL, "回声音量: 99"},
        {ID_LABEL_MUSICVOL, "音乐音量:  0"},
        {ID_LABEL_NOISEGATE, "音乐噪声门:  7"},
        {ID_CHK_MUTE1, "静音"},
        {ID_CHK_MUTE4, "静音"},
        {IDC_FILE_OPEN, "载入文件"},
        {IDC_FILE_SAVE, "保存文件"},
        {ID_BTN_LOADMODE, "载入模式"},
        {ID_BTN_SAVEMODE, "保存模式"},
        {ID_BTN_RESET, "机器复位"},
        {ID_BTN_REMOTE, "遥控学习"},
        {ID_BTN_AUTOSUB, "自动超低"},
        {ID_BTN_INPUTSOURCE, "输入源"},
        {ID_BTN_MUSICAGC, "音乐AGC"},
        {ID_BTN_LANGUAGE, "中/EN"},
        {ID_FILE_OPEN, "打开(&O)"},
        {ID_FILE_SAVE, "保存(&S)"},
        {ID_APP_REMOTE_ACCESS, "远程控制(&R)..."},
        {ID_APP_EXIT, "退出(&X)"}}},
  };
  for (const Case& c : cases) {
    RelabelRibbon(ribbon, memory, c.language);
    for (int category : {0, 1}) {
      QCOMPARE(ribbon.categoryText(category), c.categories[category]);
      for (int panel = 0; panel < 10; ++panel)
        QCOMPARE(ribbon.panelText(category, panel), c.panels[panel]);
    }
    for (const auto& [id, text] : c.texts) {
      if (QAction* action = ribbon.action(id)) {
        QCOMPARE(action->text(), U(text));
        continue;
      }
      QCOMPARE(TextOf(ribbon.control(id)), U(text));
      QCOMPARE(TextOf(ribbon.control(TwinIn(kOutputCategory, id))), U(text));
    }
    // Wireless-microphone labels and the recent-file list are left to their own updates.
    QCOMPARE(TextOf(ribbon.control(ID_LABEL_MIC1_FREQ)), U("频率:660.00MHz"));
    QCOMPARE(ribbon.applicationMenu()->findChild<QMenu*>(kRecentFilesMenuName)->title(),
             U("最近的文档(Last documents)"));
    // Relabelling is about texts: states and values stay.
    QVERIFY(ribbon.controlAs<QCheckBox>(ID_CHK_MUTE1)->isChecked());
  }
}

void MasterLabelsTest::relabelAfterEnglishStart() {
  ax7::ParameterMemory memory;  // all zero: pitch 0
  Built host(kEn);
  Ribbon& ribbon = host.ribbon;
  // Relabelling into the language a category already has leaves its panels alone.
  RelabelRibbon(ribbon, memory, kEn);
  QCOMPARE(ribbon.panelText(0, 0), U("Mic Vol"));
  QCOMPARE(ribbon.panelText(1, 1), U("Efx Vol"));
  QCOMPARE(ribbon.panelText(0, 5), U("Music pitch"));
  QCOMPARE(TextOf(ribbon.control(ID_LABEL_MICVOL)), U("Mic    Vol:   0"));

  // A round trip ends with the texts a switch writes, and the pitch with its sign.
  RelabelRibbon(ribbon, memory, kZh);
  QCOMPARE(ribbon.panelText(0, 5), U("音乐变调:+0"));
  RelabelRibbon(ribbon, memory, kEn);
  for (int category : {0, 1}) {
    QCOMPARE(ribbon.categoryText(category), category == 0 ? U("Input") : U("Output"));
    QCOMPARE(ribbon.panelText(category, 0), U("Mic  Vol"));
    QCOMPARE(ribbon.panelText(category, 1), U("Effect Vol"));
    QCOMPARE(ribbon.panelText(category, 5), U("Music Pitch:+0"));
  }

  // A category renamed by hand is no known name: it keeps its texts.
  ribbon.setCategoryText(1, QStringLiteral("Other"));
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicPitch).word), 4);
  RelabelRibbon(ribbon, memory, kZh);
  QCOMPARE(ribbon.panelText(0, 5), U("音乐变调:+4"));
  QCOMPARE(ribbon.categoryText(1), U("Other"));
  QCOMPARE(ribbon.panelText(1, 5), U("Music Pitch:+0"));

  // Before the ribbon is built there is nothing to relabel.
  Built empty(-1);
  RelabelRibbon(empty.ribbon, memory, kEn);
  QCOMPARE(empty.ribbon.categoryCount(), 0);
}

QTEST_MAIN(MasterLabelsTest)
#include "shell_masterlabels_qtest.moc"
