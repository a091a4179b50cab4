#pragma once
// Every wait and sleep of the device link goes through one Clock, so tests can run the
// link, the simulated box and the synchronisations in virtual time.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ax7 {

class Clock {
 public:
  static constexpr int64_t kForever = -1;

  virtual ~Clock() = default;

  // Milliseconds since the clock was made; never goes back.
  virtual int64_t nowMs() = 0;

  // Blocks until pred() is true or timeoutMs has passed (kForever: no limit). pred runs with
  // the clock's lock held, so state that waiters test must only change inside notify().
  // Returns the last result of pred().
  virtual bool waitFor(int64_t timeoutMs, const std::function<bool()>& pred) = 0;

  // Runs change() with the clock's lock held, then wakes every waiter to test again.
  virtual void notify(const std::function<void()>& change) = 0;
  // As notify(), but wakes the waiters only when change() returns true: for changes that can
  // make no waiter's predicate true (a report merged into one that already waits).
  virtual void update(const std::function<bool()>& change) {
    notify([&] { change(); });
  }

  void sleepFor(int64_t ms) { waitFor(ms, [] { return false; }); }

  // Starts a thread the clock knows about: a virtual clock only moves on when all of its
  // threads wait. Use this for every thread the core starts.
  std::thread startThread(std::function<void()> body);

  // Work handed to a thread outside the clock (inside notify(), with the lock held), and its
  // end: a virtual clock does not move on while such work is pending.
  virtual void beginWorkLocked() {}
  virtual void endWork() {}

  // A thread of the clock blocks on something the clock does not see (a call into the window
  // that waits for the window's thread): it counts as waiting meanwhile, so a virtual clock
  // moves on as real time would, and a wait of the window's thread for it can time out.
  virtual void beginOutsideWait() {}
  virtual void endOutsideWait() {}

 protected:
  virtual void threadStarting() {}
  virtual void threadEntered() {}
  virtual void threadFinished() {}
};

class RealClock final : public Clock {
 public:
  RealClock();
  int64_t nowMs() override;
  bool waitFor(int64_t timeoutMs, const std::function<bool()>& pred) override;
  void notify(const std::function<void()>& change) override;
  void update(const std::function<bool()>& change) override;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::chrono::steady_clock::time_point start_;
};

// Time stands still while any thread of the clock runs; when every one of them waits, it
// jumps to the earliest deadline. A silent box therefore costs no real time in tests, while
// answers that are on their way are always delivered before a time-out can fire.
// Threads not started through startThread count only while they wait, so a test that drives
// the link from its own thread must not expect time to stand still while it computes.
class VirtualClock final : public Clock {
 public:
  int64_t nowMs() override;
  bool waitFor(int64_t timeoutMs, const std::function<bool()>& pred) override;
  void notify(const std::function<void()>& change) override;
  void update(const std::function<bool()>& change) override;
  // Moves time forward by hand (for tests that poll).
  void advance(int64_t ms);
  void beginWorkLocked() override;
  void endWork() override;
  void beginOutsideWait() override;
  void endOutsideWait() override;

 protected:
  void threadStarting() override;
  void threadEntered() override;
  void threadFinished() override;

 private:
  struct Waiter {
    int64_t deadline;  // -1: none
    bool recheck = false;
  };
  void markAll();
  void maybeAdvance();

  std::mutex mutex_;
  std::condition_variable cv_;
  int64_t now_ = 0;
  int busy_ = 0;  // registered threads that run + waiters that still have to test again
  std::vector<Waiter*> waiters_;
};

// Auto-reset event: set() releases exactly one waiter (or the next one to wait).
class AutoResetEvent {
 public:
  AutoResetEvent(Clock& clock, bool initiallySet) : clock_(clock), set_(initiallySet) {}
  void set();
  void reset();
  // True when the event was taken, false after timeoutMs.
  bool wait(int64_t timeoutMs);

 private:
  Clock& clock_;
  bool set_;  // guarded by the clock's lock
};

}  // namespace ax7
