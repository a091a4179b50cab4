#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the window lands.
ToolWindow* CreateMachineSettingsWindow(PageContext& context, QWidget* owner) {
  return new PlaceholderToolWindow(context, kMachineSettingsWindow, {"机器设置", "Machine Set"}, owner);
}

}  // namespace ax7::ui
