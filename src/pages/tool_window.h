#pragma once
// The base of the tool windows (machine settings, remote learning, auto SUB, music AGC, music
// source) and of the dialogs they open (IR key learning). Same lifecycle as a page.
#include <QDialog>
#include <functional>

#include "pages/page.h"

namespace ax7::ui {

// Dialog ids of the tool windows (also the keys of their texts).
enum ToolWindowId : int {
  kMachineSettingsWindow = 335,
  kKeyLearningWindow = 372,
  kRemoteLearningWindow = 373,
  kAutoSubWindow = 410,
  kMusicAgcWindow = 424,
  kMusicSourceWindow = 512,
};

class ToolWindow : public QDialog, public PagePart {
  Q_OBJECT
 public:
  ToolWindow(PageContext& context, int dialogId, QWidget* parent)
      : QDialog(parent), context_(context), dialogId_(dialogId) {}

  int dialogId() const { return dialogId_; }
  PageContext& context() const { return context_; }

  void RefreshAll() override {}
  // The title and captions of the window's dialog id; windows with pictures or texts in code
  // add theirs after calling this.
  void ApplyLanguage() override;
  // The IR key-learning dialog shows a code the box has learned (message 1001).
  virtual void ShowLearnedCode(int code) {}

  // Runs a nested modal loop (a dialog, a synchronisation) from a handler of this window. The
  // program may close the window meanwhile (the box went away or came back): the window then
  // stays alive until the nested loop has returned and is deleted after the handler. Returns
  // false in that case; the handler must then return without doing more.
  bool runNested(const std::function<void()>& body);
  bool inNestedLoop() const { return nesting_ > 0; }

  // Called by the program instead of deleting the window: hides it and deletes it later, once
  // no handler of it is inside a nested loop.
  void closeLater();
  bool closing() const { return closing_; }

 private:
  PageContext& context_;
  int dialogId_;
  int nesting_ = 0;
  bool closing_ = false;
};

}  // namespace ax7::ui
