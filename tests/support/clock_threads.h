#pragma once
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "device/clock.h"

namespace ax7::test {

// Starts registered threads that begin their bodies together, so that none of them moves
// virtual time before the others exist.
inline std::vector<std::thread> startTogether(Clock& clock,
                                              std::vector<std::function<void()>> bodies) {
  auto go = std::make_shared<bool>(false);  // guarded by the clock's lock
  std::vector<std::thread> threads;
  for (auto& body : bodies)
    threads.push_back(clock.startThread([&clock, go, body = std::move(body)] {
      clock.waitFor(Clock::kForever, [&] { return *go; });
      body();
    }));
  clock.notify([&] { *go = true; });
  return threads;
}

}  // namespace ax7::test
