#pragma once
// The interface language: the switch command and ApplyUiLanguage, which relabels the ribbon,
// the open tool windows and the current page. Status texts and microphone labels follow on
// the next update cycle by themselves.
#include <QObject>

namespace ax7::ui {

class AppState;
class PageHost;
class Ribbon;
class ToolWindows;

class LanguageSwitch : public QObject {
  Q_OBJECT
 public:
  LanguageSwitch(AppState& state, Ribbon& ribbon, PageHost& pages, ToolWindows& tools,
                 QObject* parent = nullptr);

  // The "中/EN" command: the other language, remembered in the profile.
  void toggle();
  void ApplyUiLanguage();
  // Sets a window's title and captions from the current language table.
  void loadTexts(QWidget* window, int dialogId) const;

 private:
  AppState& state_;
  Ribbon& ribbon_;
  PageHost& pages_;
  ToolWindows& tools_;
};

}  // namespace ax7::ui
