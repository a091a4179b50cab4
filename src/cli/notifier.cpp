#include "cli/notifier.h"

#include <ostream>

namespace ax7::cli {

void CliNotifier::post(int message, intptr_t wParam, intptr_t) {
  clock_.notify([&] { posted_.push_back({message, wParam}); });
}

intptr_t CliNotifier::send(int message, intptr_t wParam, intptr_t) {
  // Nothing in ax7ctl waits for a learned key or a plug reset; the core only needs an answer.
  clock_.notify([&] { posted_.push_back({message, wParam}); });
  return 0;
}

void CliNotifier::showError(const std::string& text, const std::string& caption) {
  std::string line = text;
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) line.pop_back();
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::lock_guard lock(errorMutex_);
  if (!errorsShown_.insert(line).second) return;
  err_ << "ax7ctl: " << (caption.empty() ? "" : caption + ": ") << line << std::endl;
}

bool CliNotifier::takePostedLocked(int message, intptr_t* wParam) {
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (it->message == message) {
      if (wParam) *wParam = it->wParam;
      posted_.erase(it);
      return true;
    }
  }
  return false;
}

bool CliNotifier::errorShown() const {
  std::lock_guard lock(errorMutex_);
  return !errorsShown_.empty();
}

}  // namespace ax7::cli
