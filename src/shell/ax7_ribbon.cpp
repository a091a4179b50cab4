// The program's ribbon: which elements exist, their ids, texts, widths and ranges.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

#include "shell/language_button.h"
#include "shell/remote_access_texts.h"
#include "shell/ribbon.h"
#include "shell/ribbon_icons.h"
#include "shell/ribbon_ids.h"
#include "pages/step_slider.h"

namespace ax7::ui {

namespace {

enum class Kind {
  Label,
  Slider,
  CheckBox,
  OpenFileButton,
  SaveFileButton,
  LoadModeMenu,
  SaveModeMenu
};

struct Element {
  Kind kind;
  int inputId;
  int outputId;
  const char* zh;
  const char* en;
  int width = 0;
  int minimum = 0;
  int maximum = 0;
};

struct PanelSpec {
  const char* zh;
  // The English panel texts of a ribbon built in English; a language switch writes slightly
  // different ones ("Mic  Vol", "Effect Vol"), which is how the program has always shown them.
  const char* en;
  std::vector<Element> elements;
};

const char* const kMuteZh = "静音";
const char* const kMuteEn = "Mute";
const char* const kRfText = "RF:■■■■■ AF:■■■■■";
const char* const kFreqZh = "频率:660.00MHz";
const char* const kFreqEn = "Freq660.00MHz";
const char* const kBatteryZh = "电   量:■■■■■";
const char* const kBatteryEn = "Battary:■■■■■";

const std::vector<PanelSpec>& Panels() {
  static const std::vector<PanelSpec> panels = {
      {"话筒音量",
       "Mic Vol",
       {{Kind::Label, ID_LABEL_MICVOL, ID_LABEL_MICVOL_OUT, "话筒音量:100", "Mic    Vol: 100"},
        {Kind::Slider, ID_SLIDER_MICVOL, ID_SLIDER_MICVOL_OUT, nullptr, nullptr, 90, 0, 99},
        {Kind::CheckBox, ID_CHK_MUTE1, ID_CHK_MUTE1_OUT, kMuteZh, kMuteEn}}},
      {"效果总音量",
       "Efx Vol",
       {{Kind::Label, ID_LABEL_EFXVOL, ID_LABEL_EFXVOL_OUT, "效果总音量:100", "Effect    Vol:100"},
        {Kind::Slider, ID_SLIDER_EFXVOL, ID_SLIDER_EFXVOL_OUT, nullptr, nullptr, 90, 0, 99}}},
      {"混响音量",
       "Reverb Vol",
       {{Kind::Label, ID_LABEL_REVERBVOL, ID_LABEL_REVERBVOL_OUT, "混响音量:  100",
         "Reverb Vol:100"},
        {Kind::Slider, ID_SLIDER_REVERBVOL, ID_SLIDER_REVERBVOL_OUT, nullptr, nullptr, 90, 0, 99},
        {Kind::CheckBox, ID_CHK_MUTE2, ID_CHK_MUTE2_OUT, kMuteZh, kMuteEn}}},
      {"回声音量",
       "Echo Vol",
       {{Kind::Label, ID_LABEL_ECHOVOL, ID_LABEL_ECHOVOL_OUT, "回声音量:100", "Echo Vol:100"},
        {Kind::Slider, ID_SLIDER_ECHOVOL, ID_SLIDER_ECHOVOL_OUT, nullptr, nullptr, 90, 0, 99},
        {Kind::CheckBox, ID_CHK_MUTE3, ID_CHK_MUTE3_OUT, kMuteZh, kMuteEn}}},
      {"音乐音量",
       "Music Vol",
       {{Kind::Label, ID_LABEL_MUSICVOL, ID_LABEL_MUSICVOL_OUT, "音乐音量:100", "Music Vol:100"},
        {Kind::Slider, ID_SLIDER_MUSICVOL, ID_SLIDER_MUSICVOL_OUT, nullptr, nullptr, 90, 0, 99},
        {Kind::CheckBox, ID_CHK_MUTE4, ID_CHK_MUTE4_OUT, kMuteZh, kMuteEn}}},
      {"音乐变调",
       "Music pitch",
       {{Kind::Label, ID_LABEL_NOISEGATE, ID_LABEL_NOISEGATE_OUT, "音乐噪声门:100",
         "Noisegate:    100"},
        {Kind::Slider, ID_SLIDER_NOISEGATE, ID_SLIDER_NOISEGATE_OUT, nullptr, nullptr, 100, 0, 100},
        {Kind::Slider, ID_SLIDER_PITCH, ID_SLIDER_PITCH_OUT, nullptr, nullptr, 100, -5, 5}}},
      {"调用",
       "Load",
       {{Kind::LoadModeMenu, ID_BTN_LOADMODE, ID_BTN_LOADMODE_OUT, "载入模式", "LoadMode"},
        {Kind::OpenFileButton, IDC_FILE_OPEN, IDC_FILE_OPEN_OUT, "载入文件", "LoadFile"}}},
      {"保存",
       "Save",
       {{Kind::SaveModeMenu, ID_BTN_SAVEMODE, ID_BTN_SAVEMODE_OUT, "保存模式", "SaveMode"},
        {Kind::SaveFileButton, IDC_FILE_SAVE, IDC_FILE_SAVE_OUT, "保存文件", "SaveFile"}}},
      {"话筒1状态",
       "Mic 1 Status",
       {{Kind::Label, ID_LABEL_MIC1_RF, ID_LABEL_MIC1_RF_OUT, kRfText, kRfText},
        {Kind::Label, ID_LABEL_MIC1_FREQ, ID_LABEL_MIC1_FREQ_OUT, kFreqZh, kFreqEn},
        {Kind::Label, ID_LABEL_MIC1_BATTERY, ID_LABEL_MIC1_BATTERY_OUT, kBatteryZh, kBatteryEn}}},
      {"话筒2状态",
       "Mic 2 Status",
       {{Kind::Label, ID_LABEL_MIC2_RF, ID_LABEL_MIC2_RF_OUT, kRfText, kRfText},
        {Kind::Label, ID_LABEL_MIC2_FREQ, ID_LABEL_MIC2_FREQ_OUT, kFreqZh, kFreqEn},
        {Kind::Label, ID_LABEL_MIC2_BATTERY, ID_LABEL_MIC2_BATTERY_OUT, kBatteryZh, kBatteryEn}}},
  };
  return panels;
}

QString Pick(const char* zh, const char* en, int language) {
  return QString::fromUtf8(language == 1 ? en : zh);
}

std::vector<std::pair<int, QString>> ModeItems(int firstId) {
  std::vector<std::pair<int, QString>> items;
  for (int k = 0; k < 4; ++k) items.emplace_back(firstId + k, QStringLiteral("M%1").arg(k + 1));
  return items;
}

void AddElement(Ribbon& ribbon, int category, int panel, const Element& e, int language) {
  const int id = category == kOutputCategory ? e.outputId : e.inputId;
  const QString text = e.zh ? Pick(e.zh, e.en, language) : QString();
  switch (e.kind) {
    case Kind::Label:
      ribbon.addLabel(category, panel, id, text);
      break;
    case Kind::Slider:
      ribbon.addSlider(category, panel, id, e.width, e.minimum, e.maximum);
      break;
    case Kind::CheckBox:
      ribbon.addCheckBox(category, panel, id, text);
      break;
    case Kind::OpenFileButton:
      ribbon.addButton(category, panel, id, text, PaintedIcon(RibbonIcon::OpenFile));
      break;
    case Kind::SaveFileButton:
      ribbon.addButton(category, panel, id, text, PaintedIcon(RibbonIcon::SaveFile));
      break;
    case Kind::LoadModeMenu:
      ribbon.addMenuButton(category, panel, id, text, ModeItems(ID_LOADMODE_M1));
      break;
    case Kind::SaveModeMenu:
      ribbon.addMenuButton(category, panel, id, text, ModeItems(ID_SAVEMODE_M1));
      break;
  }
}

void BuildApplicationMenu(Ribbon& ribbon, int language) {
  ribbon.addApplicationAction(ID_FILE_OPEN, Pick("打开(&O)", "Open(&O)", language))
      ->setIcon(PaintedIcon(RibbonIcon::OpenFile));
  ribbon.addApplicationAction(ID_FILE_SAVE, Pick("保存(&S)", "Save(&S)", language))
      ->setIcon(PaintedIcon(RibbonIcon::SaveFile));
  QMenu* menu = ribbon.applicationMenu();
  menu->addSeparator();
  // The main window lists the recent mode files here.
  QMenu* recent =
      menu->addMenu(Pick("最近的文档(Last documents)", "Last documents(最近的文档)", language));
  recent->setObjectName(QString::fromLatin1(kRecentFilesMenuName));
  menu->addSeparator();
  ribbon.addApplicationAction(ID_APP_REMOTE_ACCESS,
                              Pick(remote_text::kMenu.zh, remote_text::kMenu.en, language));
  menu->addSeparator();
  ribbon.addApplicationAction(ID_APP_EXIT, Pick("退出(&X)", "Exit(&X)", language))
      ->setIcon(PaintedIcon(RibbonIcon::Exit));
}

}  // namespace

void BuildAx7Ribbon(Ribbon& ribbon, int language) {
  BuildApplicationMenu(ribbon, language);
  for (const auto& [zh, en] : {std::pair{"输入控制", "Input"}, std::pair{"输出调节", "Output"}}) {
    const int category = ribbon.addCategory(Pick(zh, en, language));
    for (const PanelSpec& spec : Panels())
      ribbon.addPanel(category, Pick(spec.zh, spec.en, language));
    int panel = 0;
    for (const PanelSpec& spec : Panels()) {
      for (const Element& e : spec.elements) AddElement(ribbon, category, panel, e, language);
      ++panel;
    }
  }
  ribbon.addTabRowButton(ID_BTN_INPUTSOURCE, Pick("输入源", "Input Source", language));
  ribbon.addTabRowButton(ID_BTN_MUSICAGC, Pick("音乐AGC", "Music AGC", language));
  ribbon.addTabRowButton(ID_BTN_RESET, Pick("机器复位", "Reset", language));
  ribbon.addTabRowButton(ID_BTN_REMOTE, Pick("遥控学习", "Remote control", language));
  ribbon.addTabRowButton(ID_BTN_AUTOSUB, Pick("自动超低", "Auto SUB", language));
  ribbon.addTabRowButton(ID_BTN_LANGUAGE, new LanguageButton(language == 1));
  QToolButton* about = ribbon.addTabRowButton(ID_APP_ABOUT, QString(),
                                              PaintedIcon(RibbonIcon::About));
  about->setAccessibleName(Pick("关于", "About", language));
}

}  // namespace ax7::ui
