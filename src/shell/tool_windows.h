#pragma once
// The modeless tool windows (machine settings, remote learning, auto SUB, music AGC, music
// source): each is created on first use, kept, and shown again on later use while it exists.
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>

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

class ToolWindow : public QDialog {
  Q_OBJECT
 public:
  ToolWindow(int dialogId, QWidget* parent) : QDialog(parent), dialogId_(dialogId) {}
  int dialogId() const { return dialogId_; }
  // Fills the controls from parameter memory.
  virtual void refresh() {}
  // Called after the language table changed (the texts themselves are set from the table).
  virtual void languageChanged() {}
  // The IR key-learning window shows a key code the box has learned (message 1001).
  virtual void ShowLearnedCode(int code) {}

 private:
  int dialogId_;
};

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
  };

  explicit ToolWindows(QWidget* owner) : QObject(owner), owner_(owner) {}

  void define(int dialogId, Spec spec);
  // Sets a window's title and captions from the current language table.
  void setTextLoader(std::function<void(QWidget*, int dialogId)> loader) {
    loadTexts_ = std::move(loader);
  }

  // Creates the window on first use and shows it; nullptr when its condition is not met.
  ToolWindow* open(int dialogId);
  ToolWindow* window(int dialogId) const;
  // Destroys machine settings, remote learning, auto SUB, music AGC and music source.
  void CloseToolWindows();
  // The windows that exist now, in dialog-id order.
  std::vector<ToolWindow*> openWindows() const;

 private:
  QWidget* owner_;
  std::map<int, Spec> specs_;
  std::map<int, QPointer<ToolWindow>> windows_;
  std::function<void(QWidget*, int)> loadTexts_;
};

// A tool window whose controls are not part of this program yet.
class PlaceholderToolWindow : public ToolWindow {
  Q_OBJECT
 public:
  PlaceholderToolWindow(int dialogId, const QString& title, QWidget* parent);
};

}  // namespace ax7::ui
