#pragma once
// Observers for tests: what the link wrote (with the virtual time of each write) and what the
// core told the main view.
#include <mutex>
#include <string>
#include <vector>

#include "device/clock.h"
#include "device/report_trace.h"
#include "device/view_notifier.h"

namespace ax7::test {

class RecordingTrace : public ReportTrace {
 public:
  struct Written {
    int64_t timeMs;
    Report report;
  };
  explicit RecordingTrace(Clock& clock) : clock_(clock) {}
  void written(const Report& r) override {
    const int64_t t = clock_.nowMs();
    std::lock_guard lock(mutex_);
    written_.push_back({t, r});
  }
  void read(const Report&) override {}
  void phase(std::string_view name) override {
    std::lock_guard lock(mutex_);
    phases_.emplace_back(name);
  }
  std::vector<Written> written() {
    std::lock_guard lock(mutex_);
    return written_;
  }
  std::vector<std::string> phases() {
    std::lock_guard lock(mutex_);
    return phases_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    written_.clear();
    phases_.clear();
  }

 private:
  Clock& clock_;
  std::mutex mutex_;
  std::vector<Written> written_;
  std::vector<std::string> phases_;
};

class RecordingNotifier : public ViewNotifier {
 public:
  struct Message {
    int message;
    intptr_t wParam;
  };
  void post(int message, intptr_t wParam, intptr_t) override {
    std::lock_guard lock(mutex_);
    posted_.push_back({message, wParam});
  }
  intptr_t send(int message, intptr_t wParam, intptr_t) override {
    std::lock_guard lock(mutex_);
    sent_.push_back({message, wParam});
    return 0;
  }
  void showError(const std::string& text, const std::string&) override {
    std::lock_guard lock(mutex_);
    errors_.push_back(text);
  }
  std::vector<Message> posted() {
    std::lock_guard lock(mutex_);
    return posted_;
  }
  std::vector<Message> sent() {
    std::lock_guard lock(mutex_);
    return sent_;
  }
  std::vector<std::string> errors() {
    std::lock_guard lock(mutex_);
    return errors_;
  }

 private:
  std::mutex mutex_;
  std::vector<Message> posted_;
  std::vector<Message> sent_;
  std::vector<std::string> errors_;
};

}  // namespace ax7::test
