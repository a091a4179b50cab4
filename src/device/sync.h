#pragma once
// Full copies of parameter memory between the program and the box, each on a worker thread
// that ends by posting message 1002 to the main view.
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "device/send_queue.h"
#include "device/usb_link.h"
#include "params/write_plan.h"

namespace ax7 {

constexpr int kSyncFromBoxWaitMs = 3200;
constexpr int kSyncToBoxWaitMs = 100;
constexpr int kFullReadRequests = 217;

// Sends one parameter or routing step of the full write with its fix-ups (times raised to
// their minimums, one group per microphone input, split sections that follow the delay mode).
// Master steps are the caller's: the full write ramps them, a write of differences does not.
void SendWriteStep(Commands& cmd, EqSenders& eq, const WriteStep& step);

class Synchroniser {
 public:
  // A transfer starts only once the window's outgoing queue is empty, so edits made before it
  // reach the box first and never interleave with it.
  Synchroniser(ParameterMemory& mem, UsbLink& link, Commands& cmd, EqSenders& eq,
               SendQueue& queue);
  ~Synchroniser();  // waits for running workers

  // Start a worker thread (each logs "Start thread:SynchronizeData\n" first).
  void startSynchronizeFromBox();
  void startSynchronizeToBox();
  // Recalls box mode `mode` (through the window's queue) and synchronises from the box.
  void LoadBoxMode(int mode);
  // Waits until every worker started so far has ended.
  void waitIdle();

  // The thread procedures and their steps, callable directly (tests, ax7ctl).
  void SynchronizeFromBox();
  void SynchronizeToBox();
  void ReadAllFromBox();
  void WriteAllToBox();
  void RequestAllParams();
  void RequestBoxImage();
  void SendAllParams(bool softStart);
  void WriteBoxImage();
  void ResendAllEq();
  void RampMasterVolume();

  // Progress of the running synchronisation: reports sent so far and the expected total
  // (the total of a PC-to-box transfer depends on the values being sent).
  int progressDone() const;
  int progressTotal() const { return total_.load(); }
  bool running() const { return running_.load() > 0; }
  // Reports a PC-to-box transfer of the current memory sends.
  int ExpectedWriteReports() const;

 private:
  void startWorker(void (Synchroniser::*proc)());
  void beginProgress(int total);
  void endProgress();
  void phase(const char* name);

  ParameterMemory& mem_;
  UsbLink& link_;
  Commands& cmd_;
  EqSenders& eq_;
  SendQueue& queue_;
  std::atomic<uint64_t> startCount_{0};
  std::atomic<int> total_{0};
  std::atomic<bool> finished_{true};
  std::atomic<int> running_{0};
  std::mutex workersMutex_;
  std::vector<std::thread> workers_;
};

}  // namespace ax7
