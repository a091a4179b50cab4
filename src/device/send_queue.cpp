#include "device/send_queue.h"

#include <utility>

namespace ax7 {

SendQueue::SendQueue(UsbLink& link, Clock& clock) : link_(link), clock_(clock) {}

SendQueue::~SendQueue() {
  stop();
}

int SendQueue::send(const Report& frame, MergeKey key) {
  Item item{Kind::Report, key, frame, 0, {}};
  bool accepted = false;
  // Only a queue going from empty to non-empty can end a wait (the sender's); a merge or an
  // item behind others wakes nobody, which keeps a fast drag from waking every thread per step.
  clock_.update([&] {
    if (stopping_) return false;
    accepted = true;
    ++counts_.queued;
    if (item.key.merges()) {
      // Back to the last barrier: a waiting report for the same target takes the new bytes.
      for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (it->kind != Kind::Report) break;
        if (it->key == item.key) {
          it->frame = item.frame;
          ++counts_.merged;
          return false;
        }
      }
    }
    const bool wasEmpty = items_.empty();
    items_.push_back(std::move(item));
    return wasEmpty;
  });
  if (!accepted) return 0;
  ensureSender();
  return int(kReportSize);
}

void SendQueue::pause(int ms) {
  if (ms > 0) push(Item{Kind::Pause, MergeKey::None(), {}, ms, {}});
}

void SendQueue::phase(const char* name) {
  push(Item{Kind::Phase, MergeKey::None(), {}, 0, name ? name : ""});
}

void SendQueue::push(Item item) {
  bool accepted = false;
  clock_.notify([&] {
    if (stopping_) return;
    accepted = true;
    items_.push_back(std::move(item));
  });
  if (accepted) ensureSender();
}

void SendQueue::ensureSender() {
  if (started_.load(std::memory_order_acquire)) return;
  std::lock_guard lock(threadMutex_);
  if (started_.load(std::memory_order_relaxed)) return;
  bool stopping = false;
  clock_.notify([&] { stopping = stopping_; });
  if (stopping) return;
  sender_ = clock_.startThread([this] { run(); });
  started_.store(true, std::memory_order_release);
}

void SendQueue::run() {
  for (;;) {
    Item item;
    bool have = false;
    clock_.waitFor(Clock::kForever, [&] {
      if (stopping_) return true;
      if (items_.empty()) return false;
      item = std::move(items_.front());
      items_.pop_front();
      busy_ = true;
      have = true;
      return true;
    });
    if (!have) return;
    switch (item.kind) {
      case Kind::Report:
        link_.WriteUsbData(item.frame.data(), item.frame.size());
        break;
      case Kind::Pause:
        clock_.waitFor(item.ms, [this] { return stopping_; });
        break;
      case Kind::Phase:
        if (ReportTrace* t = link_.trace()) t->phase(item.phase);
        break;
    }
    clock_.notify([&] {
      busy_ = false;
      if (item.kind == Kind::Report) ++counts_.written;
    });
  }
}

bool SendQueue::waitIdle(int64_t timeoutMs) {
  return clock_.waitFor(timeoutMs, [this] { return items_.empty() && !busy_; });
}

void SendQueue::stop() {
  clock_.notify([this] {
    stopping_ = true;
    items_.clear();
  });
  std::lock_guard lock(threadMutex_);
  if (sender_.joinable()) sender_.join();
}

SendQueue::Counts SendQueue::counts() const {
  Counts c;
  clock_.update([&] {
    c = counts_;
    c.waiting = items_.size();
    return false;
  });
  return c;
}

}  // namespace ax7
