#pragma once
// The window's outgoing queue. The window stores a value in parameter memory, hands the
// report here and returns at once; one sender thread drains the queue through the reply gate
// (UsbLink::WriteUsbData), so the window never waits for the box.
//
// Design:
// - Items are reports, pauses and trace phases, in the order they were handed in. A pause
//   (the music fade-in's 30 ms steps, the 20 ms between the halves of storing a mode) is an
//   item the sender waits out on the clock, never a sleep of the caller.
// - While a report waits, a newer report for the same target replaces it in place: the latest
//   value wins and keeps the position, so a drag never builds a backlog and the box ends at the
//   last value. The target is the merge key the encoder hands in with the report (DSP words,
//   box memory, the status request); a report without one is kept as it is. A pause or a
//   phase is a barrier: nothing is merged across it, so a fade-in keeps all of its steps.
// - Reports for different targets leave in the order of the edits; the trace of one edit is
//   the same as if it had been written directly.
// - The queue's state is guarded by the clock's lock (changed inside Clock::notify, tested in
//   Clock::waitFor), so tests drain it in virtual time with waitIdle().
// - The sender starts with the first item. Results of writes are not reported back: a box
//   that is gone is noticed by the link's reader and handled by the connection lifecycle, and
//   the remaining reports are dropped by WriteUsbData at once.
// - stop() (and the destructor) drop what still waits and join the sender; a sender blocked on
//   the reply gate is released by the link's close or by the gate's time-out.
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "device/frame_sink.h"

namespace ax7 {

class SendQueue final : public FrameSink {
 public:
  SendQueue(UsbLink& link, Clock& clock);
  ~SendQueue() override;
  SendQueue(const SendQueue&) = delete;
  SendQueue& operator=(const SendQueue&) = delete;

  // Queues the report (or merges it, see above); returns 61 unless the queue has stopped.
  int send(const Report& frame, MergeKey key) override;
  void pause(int ms) override;
  void phase(const char* name) override;

  // Blocks until everything queued so far has been handled, or timeoutMs has passed; true
  // when the queue is empty and the sender idle.
  bool waitIdle(int64_t timeoutMs = Clock::kForever);
  // Drops what waits and ends the sender; later items are refused.
  void stop();

  struct Counts {
    uint64_t queued = 0;   // reports handed in
    uint64_t merged = 0;   // of these, replaced a waiting report
    uint64_t written = 0;  // reports the sender handed to the link
    size_t waiting = 0;    // items in the queue now
  };
  Counts counts() const;

 private:
  enum class Kind : uint8_t { Report, Pause, Phase };
  struct Item {
    Kind kind;
    MergeKey key = MergeKey::None();
    Report frame;
    int ms;
    std::string phase;
  };

  void push(Item item);
  void ensureSender();
  void run();

  UsbLink& link_;
  Clock& clock_;

  // Guarded by the clock's lock.
  std::deque<Item> items_;
  bool busy_ = false;
  bool stopping_ = false;
  Counts counts_;

  std::mutex threadMutex_;  // starting and joining the sender
  std::thread sender_;
  std::atomic<bool> started_{false};
};

}  // namespace ax7
