#include "device/clock.h"

#include <algorithm>
#include <limits>

namespace ax7 {

namespace {
thread_local Clock* t_registeredClock = nullptr;
}

std::thread Clock::startThread(std::function<void()> body) {
  threadStarting();
  return std::thread([this, body = std::move(body)] {
    t_registeredClock = this;
    threadEntered();
    body();
    threadFinished();
    t_registeredClock = nullptr;
  });
}

RealClock::RealClock() : start_(std::chrono::steady_clock::now()) {}

int64_t RealClock::nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

bool RealClock::waitFor(int64_t timeoutMs, const std::function<bool()>& pred) {
  std::unique_lock lock(mutex_);
  if (timeoutMs < 0) {
    cv_.wait(lock, pred);
    return true;
  }
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), pred);
}

void RealClock::notify(const std::function<void()>& change) {
  {
    std::lock_guard lock(mutex_);
    change();
  }
  cv_.notify_all();
}

void RealClock::update(const std::function<bool()>& change) {
  bool wake;
  {
    std::lock_guard lock(mutex_);
    wake = change();
  }
  if (wake) cv_.notify_all();
}

int64_t VirtualClock::nowMs() {
  std::lock_guard lock(mutex_);
  return now_;
}

void VirtualClock::threadStarting() {
  std::lock_guard lock(mutex_);
  ++busy_;
}

void VirtualClock::threadEntered() {}

void VirtualClock::threadFinished() {
  {
    std::lock_guard lock(mutex_);
    --busy_;
    maybeAdvance();
  }
  cv_.notify_all();
}

void VirtualClock::markAll() {
  for (Waiter* w : waiters_) {
    if (!w->recheck) {
      w->recheck = true;
      ++busy_;
    }
  }
}

// Called with the lock held.
void VirtualClock::maybeAdvance() {
  if (busy_ > 0) return;
  int64_t next = std::numeric_limits<int64_t>::max();
  for (const Waiter* w : waiters_)
    if (w->deadline >= 0) next = std::min(next, w->deadline);
  if (next == std::numeric_limits<int64_t>::max()) return;
  now_ = std::max(now_, next);
  for (Waiter* w : waiters_) {
    if (w->deadline >= 0 && w->deadline <= now_ && !w->recheck) {
      w->recheck = true;
      ++busy_;
    }
  }
}

bool VirtualClock::waitFor(int64_t timeoutMs, const std::function<bool()>& pred) {
  std::unique_lock lock(mutex_);
  if (pred()) return true;
  const bool registered = t_registeredClock == this;
  Waiter self{timeoutMs < 0 ? -1 : now_ + timeoutMs};
  waiters_.push_back(&self);
  if (registered) --busy_;
  bool result = false;
  for (;;) {
    if (self.recheck) {
      self.recheck = false;
      --busy_;
    }
    if (pred()) {
      result = true;
      break;
    }
    if (self.deadline >= 0 && now_ >= self.deadline) break;
    const int busyBefore = busy_;
    maybeAdvance();
    // The jump may have reached other waiters' deadlines rather than ours: wake them too.
    if (busy_ != busyBefore) cv_.notify_all();
    if (self.recheck) continue;
    cv_.wait(lock);
  }
  waiters_.erase(std::find(waiters_.begin(), waiters_.end(), &self));
  if (self.recheck) --busy_;
  if (registered) ++busy_;
  // Leaving never lets time move on (a registered thread is busy again), so nobody else needs
  // to be woken here.
  return result;
}

void VirtualClock::notify(const std::function<void()>& change) {
  {
    std::lock_guard lock(mutex_);
    change();
    markAll();
  }
  cv_.notify_all();
}

void VirtualClock::beginWorkLocked() {
  ++busy_;
}

void VirtualClock::endWork() {
  {
    std::lock_guard lock(mutex_);
    --busy_;
    maybeAdvance();
  }
  cv_.notify_all();
}

void VirtualClock::beginOutsideWait() {
  if (t_registeredClock != this) return;
  {
    std::lock_guard lock(mutex_);
    --busy_;
    maybeAdvance();
  }
  cv_.notify_all();
}

void VirtualClock::endOutsideWait() {
  if (t_registeredClock != this) return;
  std::lock_guard lock(mutex_);
  ++busy_;
}

void VirtualClock::advance(int64_t ms) {
  {
    std::lock_guard lock(mutex_);
    now_ += ms;
    markAll();
  }
  cv_.notify_all();
}

void AutoResetEvent::set() {
  clock_.notify([this] { set_ = true; });
}

void AutoResetEvent::reset() {
  clock_.notify([this] { set_ = false; });
}

bool AutoResetEvent::wait(int64_t timeoutMs) {
  return clock_.waitFor(timeoutMs, [this] {
    if (!set_) return false;
    set_ = false;
    return true;
  });
}

void VirtualClock::update(const std::function<bool()>& change) {
  bool wake;
  {
    std::lock_guard lock(mutex_);
    wake = change();
    if (wake) markAll();
  }
  if (wake) cv_.notify_all();
}

}  // namespace ax7
