#include "pages/page_factory.h"
#include "pages/placeholder_page.h"

namespace ax7::ui {

// Placeholder until the page lands.
Page* CreateEffectsPage(PageContext& context, int argument, QWidget* parent) {
  return new PlaceholderPage(context, PageKind::Effects, argument, parent);
}

}  // namespace ax7::ui
