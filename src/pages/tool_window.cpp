#include "pages/tool_window.h"

#include "pages/dialog_texts.h"

namespace ax7::ui {

void ToolWindow::ApplyLanguage() {
  LoadDialogTexts(this, dialogId_, context_.dialogTable());
}

bool ToolWindow::runNested(const std::function<void()>& body) {
  ++nesting_;
  body();
  --nesting_;
  if (!closing_) return true;
  if (nesting_ == 0) deleteLater();
  return false;
}

void ToolWindow::closeLater() {
  if (closing_) return;
  closing_ = true;
  hide();
  if (nesting_ == 0) deleteLater();
}

}  // namespace ax7::ui
