#include "shell/master_labels.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

#include "shell/language_button.h"
#include "shell/remote_access_texts.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"

namespace ax7::ui {

namespace {

QString Pick(const char* zh, const char* en, int language) {
  return QString::fromUtf8(language == 1 ? en : zh);
}

template <typename T>
void SetText(Ribbon& ribbon, int id, const QString& text) {
  if (T* control = ribbon.controlAs<T>(id)) control->setText(text);
}

void SetTwinTexts(Ribbon& ribbon, std::initializer_list<int> inputIds, const QString& text,
                  void (*set)(Ribbon&, int, const QString&)) {
  for (int id : inputIds) {
    set(ribbon, id, text);
    set(ribbon, TwinIn(kOutputCategory, id), text);
  }
}

// Renames a category named in the other language and writes its panel texts; a category
// already in the target language keeps its panels as they are.
void RelabelCategory(Ribbon& ribbon, int category, int pitch, int language) {
  static const char* const kPanelsZh[] = {"话筒音量",  "效果总音量", "混响音量", "回声音量",
                                          "音乐音量",  nullptr,      "调用",     "保存",
                                          "话筒1状态", "话筒2状态"};
  static const char* const kPanelsEn[] = {"Mic  Vol",     "Effect Vol",  "Reverb Vol", "Echo Vol",
                                          "Music Vol",    nullptr,       "Load",       "Save",
                                          "Mic 1 Status", "Mic 2 Status"};
  const QString name = ribbon.categoryText(category);
  QString renamed;
  if (language == 1) {
    if (name == QStringLiteral("输入控制")) renamed = QStringLiteral("Input");
    if (name == QStringLiteral("输出调节")) renamed = QStringLiteral("Output");
  } else {
    if (name == QStringLiteral("Input")) renamed = QStringLiteral("输入控制");
    if (name == QStringLiteral("Output")) renamed = QStringLiteral("输出调节");
  }
  if (renamed.isEmpty()) return;
  ribbon.setCategoryText(category, renamed);
  const char* const* texts = language == 1 ? kPanelsEn : kPanelsZh;
  for (int panel = 0; panel < 10; ++panel) {
    ribbon.setPanelText(category, panel,
                        texts[panel]
                            ? QString::fromUtf8(texts[panel])
                            : PitchCaption(pitch, language, LabelOccasion::LanguageSwitch));
  }
}

}  // namespace

const std::array<MasterLabelSlot, 6> kMasterLabelSlots = {{
    {MasterLabel::MicVolume, ID_LABEL_MICVOL, ID_LABEL_MICVOL_OUT, ax7::Param::MicMaster},
    {MasterLabel::EffectVolume, ID_LABEL_EFXVOL, ID_LABEL_EFXVOL_OUT, ax7::Param::EffectMaster},
    {MasterLabel::ReverbVolume, ID_LABEL_REVERBVOL, ID_LABEL_REVERBVOL_OUT,
     ax7::Param::ReverbMaster},
    {MasterLabel::EchoVolume, ID_LABEL_ECHOVOL, ID_LABEL_ECHOVOL_OUT, ax7::Param::EchoMaster},
    {MasterLabel::MusicVolume, ID_LABEL_MUSICVOL, ID_LABEL_MUSICVOL_OUT, ax7::Param::MusicMaster},
    {MasterLabel::NoiseGate, ID_LABEL_NOISEGATE, ID_LABEL_NOISEGATE_OUT,
     ax7::Param::MusicNoiseGate},
}};

QString MasterLabelText(MasterLabel label, int value, int language, LabelOccasion occasion) {
  const char* format = "%3d";
  QString prefix;
  switch (label) {
    case MasterLabel::MicVolume:
      prefix = Pick("话筒音量:", "Mic    Vol: ", language);
      break;
    case MasterLabel::EffectVolume:
      prefix = Pick("效果总音量:", "Effect    Vol:", language);
      break;
    case MasterLabel::ReverbVolume:
      prefix = occasion == LabelOccasion::LanguageSwitch
                   ? Pick("混响音量:", "Reverb Vol:", language)
                   : Pick("混响音量:  ", "Reverb Vol:", language);
      break;
    case MasterLabel::EchoVolume:
      prefix = Pick("回声音量:", "Echo Vol:", language);
      break;
    case MasterLabel::MusicVolume:
      prefix = Pick("音乐音量:", "Music Vol:", language);
      break;
    case MasterLabel::NoiseGate:
      prefix = Pick("音乐噪声门:", "Noisegate:", language);
      if (language == 1) format = "%7d";
      break;
  }
  return prefix + QString::asprintf(format, value);
}

QString PitchCaption(int value, int language, LabelOccasion occasion) {
  const char* format = "%3d";
  if (occasion == LabelOccasion::Refresh) format = "%d";
  if (occasion == LabelOccasion::LanguageSwitch) format = "%+-d";
  return Pick("音乐变调:", "Music Pitch:", language) + QString::asprintf(format, value);
}

void RelabelRibbon(Ribbon& ribbon, const ax7::ParameterMemory& memory, int language) {
  if (!ribbon.control(ID_LABEL_MICVOL)) return;
  const int pitch = memory.pc.getInt(size_t(ax7::Describe(ax7::Param::MusicPitch).word));
  for (int category : {kInputCategory, kOutputCategory}) {
    if (category < ribbon.categoryCount()) RelabelCategory(ribbon, category, pitch, language);
  }

  for (const MasterLabelSlot& slot : kMasterLabelSlots) {
    const QString text =
        MasterLabelText(slot.label, memory.pc.getInt(size_t(ax7::Describe(slot.param).word)),
                        language, LabelOccasion::LanguageSwitch);
    SetText<QLabel>(ribbon, slot.inputLabelId, text);
    SetText<QLabel>(ribbon, slot.outputLabelId, text);
  }

  SetTwinTexts(ribbon, {ID_CHK_MUTE1, ID_CHK_MUTE2, ID_CHK_MUTE3, ID_CHK_MUTE4},
               Pick("静音", "Mute", language), SetText<QCheckBox>);
  SetTwinTexts(ribbon, {IDC_FILE_OPEN}, Pick("载入文件", "LoadFile", language),
               SetText<QToolButton>);
  SetTwinTexts(ribbon, {IDC_FILE_SAVE}, Pick("保存文件", "SaveFile", language),
               SetText<QToolButton>);
  SetTwinTexts(ribbon, {ID_BTN_LOADMODE}, Pick("载入模式", "LoadMode", language),
               SetText<QToolButton>);
  SetTwinTexts(ribbon, {ID_BTN_SAVEMODE}, Pick("保存模式", "SaveMode", language),
               SetText<QToolButton>);

  if (auto* button = ribbon.controlAs<LanguageButton>(ID_BTN_LANGUAGE))
    button->setOutlinedHan(language == 1);
  SetText<QToolButton>(ribbon, ID_BTN_RESET, Pick("机器复位", "Reset", language));
  SetText<QToolButton>(ribbon, ID_BTN_REMOTE, Pick("遥控学习", "Remote control", language));
  SetText<QToolButton>(ribbon, ID_BTN_AUTOSUB, Pick("自动超低", "Auto SUB", language));
  SetText<QToolButton>(ribbon, ID_BTN_INPUTSOURCE, Pick("输入源", "Input Source", language));
  SetText<QToolButton>(ribbon, ID_BTN_MUSICAGC, Pick("音乐AGC", "Music AGC", language));

  // The recent-file list keeps the label it was built with; it names both languages anyway.
  const std::pair<int, QString> menuTexts[] = {
      {ID_FILE_OPEN, Pick("打开(&O)", "Open(&O)", language)},
      {ID_FILE_SAVE, Pick("保存(&S)", "Save(&S)", language)},
      {ID_APP_REMOTE_ACCESS, Pick(remote_text::kMenu.zh, remote_text::kMenu.en, language)},
      {ID_APP_EXIT, Pick("退出(&X)", "Exit(&X)", language)},
  };
  for (const auto& [id, text] : menuTexts) {
    if (QAction* action = ribbon.action(id)) action->setText(text);
  }
  ribbon.updateGeometry();
  ribbon.update();
}

}  // namespace ax7::ui
