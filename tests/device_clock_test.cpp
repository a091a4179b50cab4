// The virtual clock and the auto-reset event: the semantics the link's gating relies on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "device/clock.h"
#include "support/clock_threads.h"

namespace ax7 {
namespace {

using test::startTogether;

// Spins until `flag` is set. Used to learn that another thread has entered a clock wait: its
// predicate sets the flag under the clock's lock, and the waiter keeps that lock until it sleeps.
void spinUntil(const std::atomic<bool>& flag) {
  while (!flag.load()) std::this_thread::yield();
}


void joinAll(std::vector<std::thread>& threads) {
  for (auto& t : threads) t.join();
}

TEST(VirtualClock, SleepCostsNoRealTime) {
  VirtualClock clock;
  const auto start = std::chrono::steady_clock::now();
  clock.sleepFor(3'600'000);  // an hour
  EXPECT_EQ(clock.nowMs(), 3'600'000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(VirtualClock, ThreadsWakeAtTheirOwnDeadlines) {
  VirtualClock clock;
  int64_t wokeA = -1, wokeB = -1;
  auto threads = startTogether(clock, {[&] {
                                         clock.sleepFor(300);
                                         wokeA = clock.nowMs();
                                       },
                                       [&] {
                                         clock.sleepFor(100);
                                         wokeB = clock.nowMs();
                                       }});
  joinAll(threads);
  EXPECT_EQ(wokeA, 300);
  EXPECT_EQ(wokeB, 100);
}

// The last thread to start waiting moves time to an earlier deadline that belongs to someone
// else; that waiter must be woken, or both sleep for ever.
TEST(VirtualClock, AdvancingToAnotherWaitersDeadlineWakesIt) {
  VirtualClock clock;
  std::atomic<bool> entered{false};
  int64_t early = -1, late = -1;
  auto threads = startTogether(clock, {[&] {
                                         clock.waitFor(100, [&] {
                                           entered = true;
                                           return false;
                                         });
                                         early = clock.nowMs();
                                       },
                                       [&] {
                                         spinUntil(entered);
                                         clock.sleepFor(500);
                                         late = clock.nowMs();
                                       }});
  joinAll(threads);
  EXPECT_EQ(early, 100);
  EXPECT_EQ(late, 500);
}

TEST(VirtualClock, TimeStandsStillWhileARegisteredThreadRuns) {
  VirtualClock clock;
  std::atomic<bool> waiterEntered{false};
  std::atomic<bool> waiterDone{false};
  bool stoodStill = true;
  int64_t waiterWoke = -1, busyWoke = -1;
  auto threads = startTogether(clock, {[&] {
                                         clock.waitFor(100, [&] {
                                           waiterEntered = true;
                                           return false;
                                         });
                                         waiterWoke = clock.nowMs();
                                         waiterDone = true;
                                       },
                                       [&] {
                                         spinUntil(waiterEntered);
                                         for (int i = 0; i < 10000; ++i)
                                           stoodStill = stoodStill && clock.nowMs() == 0;
                                         stoodStill = stoodStill && !waiterDone.load();
                                         clock.sleepFor(1);
                                         busyWoke = clock.nowMs();
                                       }});
  joinAll(threads);
  EXPECT_TRUE(stoodStill);
  EXPECT_EQ(busyWoke, 1);
  EXPECT_EQ(waiterWoke, 100);
}

TEST(AutoResetEvent, ASetIsConsumedOnceAndDoesNotCount) {
  VirtualClock clock;
  AutoResetEvent initiallySet(clock, true);
  EXPECT_TRUE(initiallySet.wait(0));
  EXPECT_FALSE(initiallySet.wait(0));

  AutoResetEvent ev(clock, false);
  ev.set();
  ev.set();
  EXPECT_TRUE(ev.wait(0));
  EXPECT_FALSE(ev.wait(50));
  EXPECT_EQ(clock.nowMs(), 50);

  ev.set();
  ev.reset();
  EXPECT_FALSE(ev.wait(0));
}

TEST(AutoResetEvent, OneSetReleasesExactlyOneOfTwoWaiters) {
  VirtualClock clock;
  AutoResetEvent ev(clock, false);
  struct Outcome {
    bool taken = false;
    int64_t at = -1;
  } first, second;
  auto waiter = [&](Outcome* o) {
    return [&clock, &ev, o] {
      o->taken = ev.wait(1000);
      o->at = clock.nowMs();
    };
  };
  // Time reaches 10 only once both waiters wait, so the set finds them both waiting.
  auto threads = startTogether(clock, {waiter(&first), waiter(&second), [&] {
                                         clock.sleepFor(10);
                                         ev.set();
                                       }});
  joinAll(threads);
  EXPECT_NE(first.taken, second.taken);
  const Outcome& released = first.taken ? first : second;
  const Outcome& timedOut = first.taken ? second : first;
  EXPECT_EQ(released.at, 10);
  EXPECT_EQ(timedOut.at, 1000);
}

}  // namespace
}  // namespace ax7
