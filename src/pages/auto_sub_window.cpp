#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the window lands.
ToolWindow* CreateAutoSubWindow(PageContext& context, QWidget* owner) {
  return new PlaceholderToolWindow(context, kAutoSubWindow, {"自动超低", "Auto SUB vol decay"}, owner);
}

}  // namespace ax7::ui
