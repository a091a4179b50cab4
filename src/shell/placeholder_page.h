#pragma once
// Stands in for a processing page whose widgets are not part of this program yet: it names
// the page and the group, channel or mode it was asked for.
#include "shell/page.h"

class QLabel;

namespace ax7::ui {

class AppState;

class PlaceholderPage : public Page {
  Q_OBJECT
 public:
  PlaceholderPage(AppState& state, PageKind kind, int argument, QWidget* parent);

  void RefreshAll() override;
  void ApplyLanguage() override;
  void SelectArgument(int argument) override;
  int argument() const { return argument_; }

 private:
  AppState& state_;
  int argument_;
  QLabel* title_;
  QLabel* detail_;
};

}  // namespace ax7::ui
