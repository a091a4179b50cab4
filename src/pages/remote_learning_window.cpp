#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the window lands.
ToolWindow* CreateRemoteLearningWindow(PageContext& context, QWidget* owner) {
  return new PlaceholderToolWindow(context, kRemoteLearningWindow, {"遥控学习", "Learn remoter control "}, owner);
}

}  // namespace ax7::ui
