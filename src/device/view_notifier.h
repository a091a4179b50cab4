#pragma once
// How the device link reaches the main view: the desktop program implements this with queued
// and blocking-queued calls onto the UI thread; ax7ctl and tests implement it directly.
#include <cstdint>
#include <string>

namespace ax7 {

enum ViewMessage : int {
  kMsgKeyLearned = 1001,    // sent; wParam the learned key code
  kMsgSyncFinished = 1002,  // posted; wParam 0 box to PC, 1 PC to box
  kMsgZWaveFrame = 3024,    // posted; wParam the Z-Wave function id
  kMsgPlugResetDone = 3025, // sent; wParam 8
};

class ViewNotifier {
 public:
  virtual ~ViewNotifier() = default;
  // Queued: returns at once.
  virtual void post(int message, intptr_t wParam, intptr_t lParam) = 0;
  // Blocking: returns the view's answer after it handled the message.
  virtual intptr_t send(int message, intptr_t wParam, intptr_t lParam) = 0;
  // A blocking error box with an OK button (texts UTF-8); returns when it was closed.
  virtual void showError(const std::string& text, const std::string& caption) = 0;
};

}  // namespace ax7
