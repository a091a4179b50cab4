#include "pages/key_learning.h"

#include "pages/tool_window.h"

namespace ax7::ui {

bool RunKeyLearning(ToolWindow& owner, ToolWindow& dialog, const std::function<void()>& sendLearn) {
  PageContext& context = owner.context();
  context.publishKeyLearning(&dialog);
  struct Unpublish {
    PageContext& context;
    ToolWindow& dialog;
    ~Unpublish() {
      // Closing the tool windows may already have cleared it, and only this dialog's own
      // publication is withdrawn.
      if (context.keyLearning() == &dialog) context.publishKeyLearning(nullptr);
    }
  } unpublish{context, dialog};
  if (sendLearn) sendLearn();
  return owner.runNested([&dialog] { dialog.exec(); });
}

}  // namespace ax7::ui
