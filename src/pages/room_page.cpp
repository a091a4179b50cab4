#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the page lands.
Page* CreateRoomPage(PageContext& context, int argument, QWidget* parent) {
  return new PlaceholderPage(context, PageKind::Room, argument, parent);
}

}  // namespace ax7::ui
