#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the window lands.
ToolWindow* CreateMusicAgcWindow(PageContext& context, QWidget* owner) {
  return new PlaceholderToolWindow(context, kMusicAgcWindow, {"音乐AGC", "Music AGC"}, owner);
}

}  // namespace ax7::ui
