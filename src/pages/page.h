#pragma once
// Pages and tool windows share one lifecycle: they are built with their context, fill their
// controls from parameter memory in RefreshAll, and take every text from the current language
// in ApplyLanguage (the table texts of their dialog id, then the pairs written in code). The
// page host shows one page at a time; pages ask for other pages through showPageRequested
// rather than creating them.
#include <QWidget>

#include "pages/page_context.h"

namespace ax7::ui {

class PagePart {
 public:
  virtual ~PagePart() = default;
  virtual void RefreshAll() = 0;
  virtual void ApplyLanguage() = 0;
};

// The page kinds; the values are the dialog ids that key their texts in the language tables.
enum class PageKind {
  Music = 313,       // argument: group 0 mic A, 1 mic B, 2 music
  Output = 385,      // argument: output channel 0..7
  Effects = 421,     // argument: 0 reverb EQ A, 1 reverb EQ B, 2 echo EQ A, 3 echo EQ B
  Delay = 333,       // no argument
  Compressor = 346,  // no argument
  Room = 334,        // no argument
};

class Page : public QWidget, public PagePart {
  Q_OBJECT
 public:
  Page(PageContext& context, PageKind kind, QWidget* parent)
      : QWidget(parent), context_(context), kind_(kind) {}

  PageKind kind() const { return kind_; }
  int dialogId() const { return int(kind_); }
  PageContext& context() const { return context_; }

  void RefreshAll() override {}
  // The texts of the page's dialog id for its direct child controls; pages with texts in code
  // or in nested widgets add theirs after calling this.
  void ApplyLanguage() override;
  // ShowPage asked for this page's own kind: the output page selects the channel, the effects
  // page the mode, the music page the group (and refreshes); the others stay as they are.
  virtual void SelectArgument(int argument) {}

  // Pages that show an EQ (music, output, effects) answer the status bar's EQ controls.
  virtual bool hasEq() const { return false; }
  virtual bool IsEqBypassed() const { return false; }
  virtual void ToggleEqBypass() {}
  // Resets the EQ the page shows to its defaults, sends it and redraws.
  virtual void ResetEq() {}

 signals:
  void showPageRequested(ax7::ui::PageKind kind, int argument);

 private:
  PageContext& context_;
  PageKind kind_;
};

}  // namespace ax7::ui
