#pragma once
// Learning one remote key: the key-learning dialog runs modally from a handler of the remote
// learning window and must be the dialog that message 1001 (the learned code) reaches.
#include <QTimer>
#include <functional>

#include "pages/tool_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ax7::ui {

// Publishes `dialog` as the key-learning dialog, then sends the learn command (`sendLearn`), so
// a code that comes back at once already finds it; runs it modally from a handler of `owner`
// and clears the publication when it ends. Returns false when `owner` was closed meanwhile
// (the box went away or came back): the caller returns without touching `owner` again.
bool RunKeyLearning(ToolWindow& owner, ToolWindow& dialog, const std::function<void()>& sendLearn);

// Waits for the code of one key. It has no time limit: it ends with the code (closing itself a
// second after it), or when the user gives up. Giving up in any way (Cancel, Esc, the close
// box, or the program closing it when the box is plugged in again) tells the box to stop
// learning at once, without waiting for a reply to the learn command, which only comes with
// a code.
class KeyLearningDialog : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kCloseDelayMs = 1000;

  // `keyText`: which key is being learned, in the current language.
  KeyLearningDialog(PageContext& context, const QString& keyText, QWidget* parent);

  void ApplyLanguage() override;
  void ShowLearnedCode(int code) override;
  void done(int result) override;

  // The timer that closes the dialog after a code; its timeout runs closeAfterCode().
  const QTimer& closeTimer() const { return closeTimer_; }
  void closeAfterCode();
  bool learned() const { return learned_; }

 private:
  QLabel* keyText_;
  QLabel* prompt_;
  QLineEdit* code_;
  QLabel* notice_;
  QPushButton* cancel_;
  QPushButton* close_;
  QTimer closeTimer_;
  bool learned_ = false;
  bool ended_ = false;
};

}  // namespace ax7::ui
