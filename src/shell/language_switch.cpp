#include "shell/language_switch.h"

#include <QSettings>

#include "shell/app_state.h"
#include "shell/dialog_texts.h"
#include "shell/master_labels.h"
#include "shell/page_host.h"
#include "shell/ribbon.h"
#include "shell/tool_windows.h"

namespace ax7::ui {

LanguageSwitch::LanguageSwitch(AppState& state, Ribbon& ribbon, PageHost& pages, ToolWindows& tools,
                               QObject* parent)
    : QObject(parent), state_(state), ribbon_(ribbon), pages_(pages), tools_(tools) {}

void LanguageSwitch::toggle() {
  state_.g_nLanguage = 1 - state_.g_nLanguage;
  state_.settings.setValue(kKeyLanguage, state_.g_nLanguage);
  ApplyUiLanguage();
}

void LanguageSwitch::loadTexts(QWidget* window, int dialogId) const {
  LoadDialogTexts(window, dialogId, EmbeddedLanguageTable(state_.g_nLanguage));
}

void LanguageSwitch::ApplyUiLanguage() {
  const lang::LanguageTable& table = EmbeddedLanguageTable(state_.g_nLanguage);
  RelabelRibbon(ribbon_, state_.core.mem, state_.g_nLanguage);
  // Without a table the windows keep the texts they have.
  if (table.empty()) return;
  for (ToolWindow* window : tools_.openWindows()) {
    if (window->dialogId() != kRemoteLearningWindow && window->dialogId() != kKeyLearningWindow) {
      LoadDialogTexts(window, window->dialogId(), table);
    }
    window->languageChanged();
  }
  if (Page* page = pages_.currentPage()) page->ApplyLanguage();
}

}  // namespace ax7::ui
