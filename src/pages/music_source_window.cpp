#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the window lands.
ToolWindow* CreateMusicSourceWindow(PageContext& context, QWidget* owner) {
  return new PlaceholderToolWindow(context, kMusicSourceWindow, {"输入源", "Music source setting"}, owner);
}

}  // namespace ax7::ui
