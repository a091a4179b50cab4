#pragma once
// The modeless tool windows (machine settings, remote learning, auto SUB, music AGC, music
// source): each is created on first use, kept, and shown again on later use while it exists.
// The registry also knows the key-learning dialog while one runs, so a learned code reaches it
// and closing the tool windows ends it first.
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

#include "pages/tool_window.h"

namespace ax7::ui {

class ToolWindows : public QObject {
  Q_OBJECT
 public:
  struct Spec {
    std::function<ToolWindow*(QWidget* owner)> create;
    std::function<bool()> condition;  // empty: always
    bool centre = true;
    bool refreshOnOpen = true;
    bool textsOnOpen = true;
    bool hideOnClose = false;  // music source: closing only hides it
    bool refreshWithPages = false;
  };

  explicit ToolWindows(QWidget* owner) : QObject(owner), owner_(owner) {}

  void define(int dialogId, Spec spec);

  // Creates the window on first use and shows it; nullptr when its condition is not met.
  ToolWindow* open(int dialogId);
  ToolWindow* window(int dialogId) const;
  // Closes machine settings, remote learning, auto SUB, music AGC and music source: a running
  // key-learning dialog ends first; each window is hidden and forgotten at once and deleted
  // once no handler of it runs a nested dialog any more.
  void CloseToolWindows();
  // The windows that exist now, in dialog-id order.
  std::vector<ToolWindow*> openWindows() const;
  // Fills the open windows that follow the pages from memory again.
  void RefreshWithPages();

  // The key-learning dialog that message 1001 goes to; nullptr clears it.
  void publishKeyLearning(ToolWindow* dialog) { keyLearning_ = dialog; }
  ToolWindow* keyLearning() const { return keyLearning_; }
  // Message 1001: the code goes to the published dialog; dropped when none runs.
  void deliverLearnedCode(int code);

 private:
  QWidget* owner_;
  std::map<int, Spec> specs_;
  std::map<int, QPointer<ToolWindow>> windows_;
  QPointer<ToolWindow> keyLearning_;
};

}  // namespace ax7::ui
