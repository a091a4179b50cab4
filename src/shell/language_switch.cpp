#include "shell/language_switch.h"

#include <QSettings>

#include "shell/app_state.h"
#include "shell/master_labels.h"
#include "shell/page_host.h"
#include "shell/qt_translations.h"
#include "shell/ribbon.h"
#include "shell/tool_windows.h"

namespace ax7::ui {

LanguageSwitch::LanguageSwitch(AppState& state, Ribbon& ribbon, PageHost& pages, ToolWindows& tools,
                               QObject* parent)
    : QObject(parent),
      state_(state),
      ribbon_(ribbon),
      pages_(pages),
      tools_(tools),
      qt_(new QtTranslations(this)) {}

LanguageSwitch::~LanguageSwitch() = default;

void LanguageSwitch::toggle() {
  state_.setLanguage(OtherLanguage(state_.language()));
  state_.settings.setValue(kKeyLanguage, state_.g_nLanguage);
  ApplyUiLanguage();
}

bool LanguageSwitch::qtTextsTranslated() const {
  return qt_->translated();
}

void LanguageSwitch::ApplyUiLanguage() {
  qt_->apply(state_.language());
  RelabelRibbon(ribbon_, state_.core.mem, state_.g_nLanguage);
  // Every window relabels itself: the table texts of its dialog id, then its pictures and
  // the texts written in code (a window without table texts still follows the switch).
  for (ToolWindow* window : tools_.openWindows()) window->ApplyLanguage();
  if (Page* page = pages_.currentPage()) page->ApplyLanguage();
}

}  // namespace ax7::ui
