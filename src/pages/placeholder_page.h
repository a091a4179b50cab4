#pragma once
// Stand-ins for pages and tool windows whose controls are not part of this program yet: a page
// names itself and the group, channel or mode it was asked for; a tool window its title.
#include "pages/page.h"
#include "pages/tool_window.h"

class QLabel;

namespace ax7::ui {

class PlaceholderPage : public Page {
  Q_OBJECT
 public:
  PlaceholderPage(PageContext& context, PageKind kind, int argument, QWidget* parent);

  void RefreshAll() override;
  void ApplyLanguage() override;
  void SelectArgument(int argument) override;
  int argument() const { return argument_; }

 private:
  int argument_;
  QLabel* title_;
  QLabel* detail_;
};

class PlaceholderToolWindow : public ToolWindow {
  Q_OBJECT
 public:
  // `title`: the window's own title until the table gives one.
  PlaceholderToolWindow(PageContext& context, int dialogId, TextPair title, QWidget* parent);
  void ApplyLanguage() override;

 private:
  TextPair title_;
  QLabel* label_;
};

}  // namespace ax7::ui
