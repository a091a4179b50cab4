#pragma once
// One connection of ax7ctl to a box: the clock, the backend (real or simulated), the core,
// the trace, and the waits for the core's work with their limits. Every failure is reported
// on stderr as one line and returned as the exit code.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cli/command.h"
#include "cli/notifier.h"
#include "core/core.h"
#include "device/trace_file.h"
#include "device/clock.h"
#include "device/hid_backend.h"

namespace ax7::cli {

class Session {
 public:
  explicit Session(Context& ctx);
  // Waits for the synchronisation workers: must run outside run().
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs the command's work on a thread of the session's clock and returns its result. In
  // virtual time, time then stands still while the command computes, so the limits it measures
  // hold; a plain caller thread would let time run on between its waits.
  int run(const std::function<int()>& body);

  // Builds backend, trace and core from the global options.
  int start();
  // Opens the box; "no box found", or how to get permission, when there is none.
  int connect();
  // Runs a box-to-PC synchronisation and checks the box as the main view does: a box that is
  // silent, gone, of another model or another protocol version ends the session (closed) with 1.
  int synchronizeFromBox();
  // start(), connect() and synchronizeFromBox(): what a command that begins from the box's
  // settings does first.
  int startAndReadBox();
  // Runs a PC-to-box synchronisation of what memory holds now. Succeeds only when every
  // report went out and the box answered the last one (see confirmWrite).
  int synchronizeToBox();
  // Where a write to the box begins: confirmWrite counts the reports sent since then.
  struct WriteMark {
    uint64_t writes = 0, failed = 0;
  };
  WriteMark markWrite() const;
  // What became of the reports sent since `mark`, once the box answered the last of them, went
  // away or stayed silent for a reply time.
  struct WriteOutcome {
    uint64_t sent = 0;      // reports handed to the link
    uint64_t taken = 0;     // reports the box took
    bool answered = false;  // every report went out and the box answered the last
  };
  WriteOutcome checkWrite(const WriteMark& mark);
  // Whether the reports sent since `mark` have failed yet (no wait).
  bool writeFailed(const WriteMark& mark) const;
  // Decides whether the reports sent since `mark` all reached the box: every one went out and
  // the box answered the last. Anything else ends the session (closed) with 1, saying how many
  // of how many `unit` the box took. The outcome depends on what the box did, never on how soon
  // an unplug is noticed.
  int confirmWrite(const WriteMark& mark, const std::string& unit = "reports");
  // Asks the box who it is and checks the answer as synchronizeFromBox does.
  int identifyBox();
  // Requests the live status once and waits for its answer.
  int requestStatus();
  // Stores the settings in box mode 0..3. Succeeds once the box confirmed the store, or when
  // it is still connected a reply time later; fails when it went away unconfirmed.
  int storeInBoxMode(int mode);
  // Sends one report and waits one reply time for the box's answer with `answerCode`; a box
  // that is gone or stays silent ends the session (closed) with 1, naming `what`.
  int exchange(const Report& frame, uint8_t answerCode, const std::string& what);
  // Forgets an earlier report with `code`, so waitForReport waits for a new one (one code at a
  // time is kept).
  void expectReport(int code);
  // Waits up to timeoutMs for a report with `code` since expectReport(code); ends early when
  // the link fails. True when it came, with the report in *report when given.
  bool waitForReport(int code, int64_t timeoutMs, Report* report = nullptr);
  // Writes "# close" to the trace and closes the link.
  void close(bool notify);

  HidBackend& backend() { return *backend_; }
  Core& core() { return *core_; }
  Clock& clock() { return *clock_; }

 private:
  enum class SyncEnd { Finished, TimedOut, Silent };
  SyncEnd waitForSync(intptr_t direction, int64_t initialWaitMs);
  int failAndClose(const std::string& message, bool notify = true);
  std::string timeoutText() const;
  int checkLink(bool anyAnswerExpected);
  // The model and protocol check after the identification requests, telling a slow box and
  // one whose answers make no sense from a wrong one.
  int checkIdentity();
  // Waits until no answer has come for a moment, or the link ends.
  void settle();
  void noteRead(const Report& report);

  Context& ctx_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<HidBackend> backend_;
  std::unique_ptr<CliNotifier> notifier_;
  TraceFile trace_;
  bool tracing_ = false;
  std::unique_ptr<Core> core_;
  bool open_ = false;

  // Guarded by the clock's lock (changed in notify, read in waitFor predicates).
  int64_t readCount_ = 0;
  int64_t lastReadMs_ = 0;
  std::array<bool, 256> seen_{};
  int expected_ = -1;
  Report expectedReport_{};
};

}  // namespace ax7::cli
