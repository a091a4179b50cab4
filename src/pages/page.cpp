#include "pages/page.h"

#include "pages/dialog_texts.h"

namespace ax7::ui {

void Page::ApplyLanguage() {
  LoadDialogTexts(this, dialogId(), context_.dialogTable());
}

const ax7::lang::LanguageTable& PageContext::dialogTable() const {
  return EmbeddedLanguageTable(language());
}

}  // namespace ax7::ui
