#pragma once
// The interface language: the switch command and ApplyUiLanguage, which relabels the ribbon,
// the open tool windows, the current page and Qt's own buttons and dialogs. Status texts and
// microphone labels follow on the next update cycle by themselves.
#include <QObject>

#include "pages/language.h"

namespace ax7::ui {

class AppState;
class PageHost;
class QtTranslations;
class Ribbon;
class ToolWindows;

class LanguageSwitch : public QObject {
  Q_OBJECT
 public:
  LanguageSwitch(AppState& state, Ribbon& ribbon, PageHost& pages, ToolWindows& tools,
                 QObject* parent = nullptr);
  ~LanguageSwitch() override;

  // The "中/EN" command: the other language, remembered in the profile.
  void toggle();
  void ApplyUiLanguage();
  // Whether Qt's own texts (Yes/No, file dialogs) are in Chinese now.
  bool qtTextsTranslated() const;

 private:
  AppState& state_;
  Ribbon& ribbon_;
  PageHost& pages_;
  ToolWindows& tools_;
  QtTranslations* qt_;
};

}  // namespace ax7::ui
