#pragma once
// What every page and tool window needs from the program around it. The main window implements
// it; page tests implement it over the core, the simulated box and the virtual clock, so a page
// can be built and driven without the rest of the desktop program.
#include <QString>
#include <array>

#include "history/snapshots.h"
#include "pages/eq_copy_source.h"
#include "pages/language.h"

class QWidget;

namespace ax7 {
struct Core;
}

namespace ax7::lang {
class LanguageTable;
}

namespace ax7::ui {

class Prompter;
class ToolWindow;

// The room page's "Locate" selection: 0 none, 1..8 the ticked button. It outlives the page
// and is restored when the page is opened again.
struct LocateSelection {
  int button = 0;
};

class PageContext {
 public:
  virtual ~PageContext() = default;

  virtual Core& core() = 0;
  virtual Prompter& prompter() = 0;

  // The interface language now, and its dialog text table (empty when it could not be read).
  virtual Language language() const = 0;
  virtual const ax7::lang::LanguageTable& dialogTable() const;
  QString text(const char* zh, const char* en) const { return Pick(language(), zh, en); }
  QString text(TextPair pair) const { return Pick(language(), pair); }

  // The transient information window (one at a time).
  virtual void ShowInfoBox(const QString& text, int milliseconds) = 0;
  // The modal synchronisation window, until the running synchronisation has finished.
  virtual void RunSyncDialog() = 0;
  // Starts reading everything from the box on the core's worker and shows the window.
  virtual void SynchronizeFromBox() = 0;

  // One copy source for every EQ editor, so an EQ copied on one page pastes on another.
  virtual EqCopySource& eqCopySource() = 0;
  virtual LocateSelection& locateSelection() = 0;
  // The output channel the Output category opens with; the output page keeps it current.
  virtual void setLastOutputChannel(int /*channel*/) {}

  // Period of the pages' own status timers (meters, format text); 0 in tests: the timers do
  // not run and the tests call the handlers.
  virtual int pageStatusPeriodMs() const = 0;

  // The key-learning dialog that message 1001 (a learned code) goes to while it runs; nullptr
  // when none. Set before the learn command goes out, cleared when the dialog ends.
  virtual void publishKeyLearning(ToolWindow* dialog) = 0;
  virtual ToolWindow* keyLearning() const = 0;

  // The window that owns dialogs opened by pages (message boxes, file dialogs).
  virtual QWidget* dialogOwner() = 0;

  // Called before an action of a page replaces settings (an EQ import, a box mode reset): keeps
  // the current settings in the history. False when that failed and the user chose not to go
  // on; the action must then stop.
  virtual bool keepSnapshot(history::SnapshotReason /*reason*/) { return true; }
};

}  // namespace ax7::ui
