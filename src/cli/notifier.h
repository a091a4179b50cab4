#pragma once
// The main view of ax7ctl: records what the core posts, so the command can wait for it, and
// prints the core's error boxes to stderr.
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <set>
#include <string>

#include "device/clock.h"
#include "device/view_notifier.h"

namespace ax7::cli {

class CliNotifier final : public ViewNotifier {
 public:
  CliNotifier(Clock& clock, std::ostream& err) : clock_(clock), err_(err) {}

  void post(int message, intptr_t wParam, intptr_t lParam) override;
  intptr_t send(int message, intptr_t wParam, intptr_t lParam) override;
  // Prints each distinct text once, as one line; nobody has to press OK.
  void showError(const std::string& text, const std::string& caption) override;

  // Takes the first posted `message` not taken yet. Must run inside a Clock::waitFor predicate
  // (or a notify), where the clock's lock guards the queue.
  bool takePostedLocked(int message, intptr_t* wParam);
  bool errorShown() const;

 private:
  struct Posted {
    int message;
    intptr_t wParam;
  };
  Clock& clock_;
  std::ostream& err_;
  std::deque<Posted> posted_;  // guarded by the clock's lock
  mutable std::mutex errorMutex_;
  std::set<std::string> errorsShown_;
};

}  // namespace ax7::cli
