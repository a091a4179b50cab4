#include "cli/session.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/exit_codes.h"
#include "cli/sim_setup.h"
#include "device/box_check.h"
#include "sim/sim_backend.h"
#include "sim/sim_faults.h"
#ifdef AX7_WITH_HIDAPI
#include "hid/hidapi_backend.h"
#include "hid/permissions.h"
#endif

namespace ax7::cli {

namespace {

constexpr int kCmdVersionAnswer = 0x7F;
constexpr int kModuleAnswer = 0x80;
constexpr int kMcuVersionAnswer = 0x81;
constexpr int kStoreModeAnswer = 0x04;  // the second half of storing a box mode
// How long the link must stay quiet after the identification before a write goes out.
constexpr int64_t kSettleMs = 100;

// A box that leaves this many requests in a row unanswered is taken to be silent: every
// request waits out the reply gate, so going on would only spend minutes finding out.
constexpr int64_t kQuietLimitMs = 3 * kReplyTimeoutMs + 200;
constexpr int kStatusAttempts = 3;

}  // namespace

std::string Session::timeoutText() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g s (see --timeout)", double(ctx_.options.syncTimeoutMs) / 1000);
  return buf;
}

Session::Session(Context& ctx) : ctx_(ctx) {
  if (ctx.options.virtualTime) {
    clock_ = std::make_unique<VirtualClock>();
  } else {
    clock_ = std::make_unique<RealClock>();
  }
}

Session::~Session() {
  if (open_ && core_) core_->link.CloseUsbDevice(false);
  core_.reset();  // waits for the synchronisation workers, which end quickly once closed
  if (tracing_) {
    trace_.close();
    ctx_.traceError = trace_.error();
  }
}

int Session::run(const std::function<int()>& body) {
  int rc = kExitFailure;
  clock_->startThread([&] { rc = body(); }).join();
  return rc;
}

int Session::start() {
  const GlobalOptions& o = ctx_.options;
  if (o.device == DeviceKind::Sim) {
    SimSetup setup;
    std::string error;
    if (!parseSimSetup(o, &setup, &error)) return fail(ctx_, kExitUsage, error);
    backend_ = makeSimBackend(*clock_, setup);
  } else {
#ifdef AX7_WITH_HIDAPI
    backend_ = std::make_unique<HidapiBackend>();
#else
    return fail(ctx_, kExitUsage, "this ax7ctl was built without USB support; use --device sim");
#endif
  }

  if (!o.tracePath.empty()) {
    std::string error;
    if (!trace_.open(o.tracePath, &error)) return fail(ctx_, kExitUsage, error);
    tracing_ = true;
  }
  notifier_ = std::make_unique<CliNotifier>(*clock_, ctx_.err);
  core_ = std::make_unique<Core>(*backend_, *clock_);
  core_->setNotifier(notifier_.get());
  if (o.device == DeviceKind::Hid) core_->link.setDeviceSelector(o.deviceSelector);
  if (tracing_) core_->link.setTrace(&trace_);
  core_->link.setReportHandler([this](const Report& r) {
    core_->dispatcher.DispatchReport(r);
    noteRead(r);
  });
  return kExitOk;
}

void Session::noteRead(const Report& report) {
  const int64_t now = clock_->nowMs();
  clock_->notify([&] {
    ++readCount_;
    // Never back: a late answer must not cut short the quiet time of the next phase.
    lastReadMs_ = std::max(lastReadMs_, now);
    seen_[report[1]] = true;
    if (report[1] == expected_) expectedReport_ = report;
  });
}

void Session::expectReport(int code) {
  clock_->notify([&] {
    expected_ = code;
    if (code >= 0 && code < int(seen_.size())) seen_[size_t(code)] = false;
  });
}

bool Session::waitForReport(int code, int64_t timeoutMs, Report* report) {
  if (code < 0 || code >= int(seen_.size())) return false;
  bool came = false;
  clock_->waitFor(timeoutMs, [&] {
    came = seen_[size_t(code)];
    if (came && report) *report = expectedReport_;
    return came || core_->link.readThreadEnded() || !core_->link.deviceOpen();
  });
  return came;
}

int Session::connect() {
  if (core_->link.OpenUsbDevice(notifier_.get())) {
    open_ = true;
    return kExitOk;
  }
#ifdef AX7_WITH_HIDAPI
  if (core_->link.lastOpenError() == OpenError::PermissionDenied) {
    return fail(ctx_, kExitFailure, permissionAdvice(1));
  }
#endif
  const std::string& selector = ctx_.options.deviceSelector;
  if (!selector.empty() && ctx_.options.device == DeviceKind::Hid) {
    return fail(ctx_, kExitFailure, "no box with serial number or path '" + selector + "' found");
  }
  return fail(ctx_, kExitFailure, "no box found");
}

void Session::close(bool notify) {
  if (!open_) return;
  if (tracing_) trace_.phase("close");
  core_->link.CloseUsbDevice(notify);
  open_ = false;
}

int Session::failAndClose(const std::string& message, bool notify) {
  close(notify);
  return fail(ctx_, kExitFailure, message);
}

Session::SyncEnd Session::waitForSync(intptr_t direction, int64_t initialWaitMs) {
  const int64_t start = clock_->nowMs();
  const int64_t deadline = start + ctx_.options.syncTimeoutMs;
  // The quiet time starts when the worker's own first wait is over.
  int64_t lastRead = start + initialWaitMs;
  clock_->notify([&] { lastReadMs_ = lastRead; });
  for (;;) {
    const int64_t now = clock_->nowMs();
    if (now >= deadline) return SyncEnd::TimedOut;
    if (now >= lastRead + kQuietLimitMs) return SyncEnd::Silent;
    const int64_t until = std::min(deadline, lastRead + kQuietLimitMs);
    bool finished = false;
    clock_->waitFor(until - now, [&] {
      intptr_t w = 0;
      while (notifier_->takePostedLocked(kMsgSyncFinished, &w)) {
        if (w == direction) finished = true;
      }
      lastRead = lastReadMs_;
      return finished;
    });
    if (finished) return SyncEnd::Finished;
  }
}

int Session::checkLink(bool anyAnswerExpected) {
  if (core_->link.readThreadEnded()) return failAndClose("the box was disconnected");
  bool answered = false;
  clock_->waitFor(0, [&] { return answered = readCount_ > 0; });
  // Nobody would hear the leaving notice, and asking would cost another reply wait.
  if (anyAnswerExpected && !answered) return failAndClose("the box did not answer", false);
  return kExitOk;
}

int Session::startAndReadBox() {
  if (int rc = start(); rc != kExitOk) return rc;
  if (int rc = connect(); rc != kExitOk) return rc;
  return synchronizeFromBox();
}

int Session::synchronizeFromBox() {
  clock_->notify([&] { seen_[kModuleAnswer] = seen_[kCmdVersionAnswer] = false; });
  core_->sync.startSynchronizeFromBox();
  const SyncEnd end = waitForSync(0, kSyncFromBoxWaitMs);
  if (int rc = checkLink(end != SyncEnd::TimedOut); rc != kExitOk) return rc;
  if (end == SyncEnd::TimedOut) {
    return failAndClose("reading from the box timed out after " + timeoutText());
  }
  if (end == SyncEnd::Silent) return failAndClose("the box stopped answering", false);
  // As after the identification: late answers to the last request must not confirm a write.
  settle();
  return checkIdentity();
}

int Session::identifyBox() {
  clock_->notify([&] {
    seen_[kModuleAnswer] = seen_[kCmdVersionAnswer] = seen_[kMcuVersionAnswer] = false;
  });
  for (int code : {kModuleAnswer, kCmdVersionAnswer, kMcuVersionAnswer}) {
    if (core_->cmd.SendCommand(code) != int(kReportSize)) {
      return failAndClose("the box was disconnected", false);
    }
  }
  if (int rc = checkIdentity(); rc != kExitOk) return rc;
  // The box answers the version request with more than one report (the DSP version follows).
  // A write sent while those are still coming would take a late one for its own answer, and a
  // box that took the write and went away would look as if it had confirmed it.
  waitForReport(kMcuVersionAnswer, kReplyTimeoutMs, nullptr);
  settle();
  return kExitOk;
}

void Session::settle() {
  for (;;) {
    const int64_t now = clock_->nowMs();
    int64_t lastRead = 0;
    clock_->waitFor(0, [&] {
      lastRead = lastReadMs_;
      return true;
    });
    if (now >= lastRead + kSettleMs) return;
    clock_->waitFor(lastRead + kSettleMs - now, [&] {
      return core_->link.readThreadEnded() || !core_->link.deviceOpen();
    });
    if (core_->link.readThreadEnded() || !core_->link.deviceOpen()) return;
  }
}

int Session::checkIdentity() {
  // Without the answers to the identification requests, memory still holds the start-up
  // identity, and blaming the model or the version would be wrong. Two more reply times (the
  // last request may have gone out one reply time before the check) tell a box that answers
  // too slowly from one that answers nonsense or nothing.
  auto identified = [&] { return seen_[kModuleAnswer] && seen_[kCmdVersionAnswer]; };
  bool answered = false;
  clock_->waitFor(0, [&] { return answered = identified(); });
  if (!answered) {
    if (clock_->waitFor(2 * kReplyTimeoutMs, identified)) {
      return failAndClose("the box answers too slowly: its identification came after the " +
                          std::to_string(kReplyTimeoutMs) + " ms reply time");
    }
    if (core_->link.readThreadEnded()) return failAndClose("the box was disconnected");
    int64_t reads = 0;
    clock_->waitFor(0, [&] {
      reads = readCount_;
      return true;
    });
    if (reads == 0) return failAndClose("the box did not answer", false);
    return failAndClose("the box's answers made no sense: none of its " + std::to_string(reads) +
                        " answers identified it");
  }

  // The main view's check after every synchronisation: the model, then the protocol version.
  const DeviceState& dev = core_->mem.dev;
  const std::u16string module = dev.g_szModule.get();
  if (!IsBoxModel(module)) {
    return failAndClose(std::string(kWrongModelText) + " (model \"" + toUtf8(module) +
                        "\", expected AX7)");
  }
  if (dev.g_nCmdVersion.load() != kAcceptedCmdVersion) {
    return failAndClose(std::string(kWrongVersionText) + " (protocol version " +
                        std::to_string(dev.g_nCmdVersion.load()) + ", expected 17)");
  }
  return kExitOk;
}

Session::WriteMark Session::markWrite() const {
  return {core_->link.writeCount(), core_->link.failedWriteCount()};
}

bool Session::writeFailed(const WriteMark& mark) const {
  return core_->link.failedWriteCount() != mark.failed;
}

Session::WriteOutcome Session::checkWrite(const WriteMark& mark) {
  UsbLink& link = core_->link;
  WriteOutcome o;
  o.sent = link.writeCount() - mark.writes;
  const uint64_t failed = link.failedWriteCount() - mark.failed;
  o.taken = o.sent - failed;
  o.answered = o.sent == 0 || (failed == 0 && link.waitForAnswerToLastWrite(kReplyTimeoutMs));
  return o;
}

int Session::confirmWrite(const WriteMark& mark, const std::string& unit) {
  const WriteOutcome o = checkWrite(mark);
  if (o.answered) return kExitOk;
  UsbLink& link = core_->link;
  const std::string of = std::to_string(o.sent) + " " + unit;
  if (o.taken == o.sent && !link.readThreadEnded() && link.deviceOpen()) {
    return failAndClose("the box did not answer the last of " + of, false);
  }
  if (o.taken == o.sent) {
    return failAndClose("the box was disconnected before it confirmed the last of " + of, false);
  }
  return failAndClose("the box was disconnected after " + std::to_string(o.taken) + " of " + of,
                      false);
}

int Session::synchronizeToBox() {
  const WriteMark mark = markWrite();
  core_->sync.startSynchronizeToBox();
  const SyncEnd end = waitForSync(1, kSyncToBoxWaitMs);
  if (end == SyncEnd::Finished) return confirmWrite(mark);
  if (int rc = checkLink(true); rc != kExitOk) return rc;
  if (end == SyncEnd::TimedOut) {
    return failAndClose("writing to the box timed out after " + timeoutText());
  }
  if (end == SyncEnd::Silent) return failAndClose("the box stopped answering", false);
  return kExitOk;
}

int Session::storeInBoxMode(int mode) {
  clock_->notify([&] { seen_[kStoreModeAnswer] = false; });
  core_->cmd.SaveBoxMode(mode);
  // Decided by what the box confirmed, not by how soon an unplug is noticed: wait until the
  // answer to the store, the end of the link, or one reply time.
  bool confirmed = false;
  clock_->waitFor(kReplyTimeoutMs, [&] {
    confirmed = seen_[kStoreModeAnswer];
    return confirmed || core_->link.readThreadEnded();
  });
  if (!confirmed && core_->link.readThreadEnded()) {
    return failAndClose("the box was disconnected before it confirmed storing box mode M" +
                            std::to_string(mode + 1),
                        false);
  }
  return kExitOk;
}

int Session::requestStatus() {
  for (int attempt = 0; attempt < kStatusAttempts; ++attempt) {
    clock_->notify([&] { seen_[kLiveStatusReport] = false; });
    if (core_->cmd.RequestStatus() != int(kReportSize)) {
      return failAndClose("the box was disconnected");
    }
    // A lost answer is no failure of the box: the desktop program simply asks again.
    if (clock_->waitFor(kReplyTimeoutMs, [&] { return seen_[kLiveStatusReport]; })) return kExitOk;
  }
  if (int rc = checkLink(true); rc != kExitOk) return rc;
  return failAndClose("the box did not send its status");
}

int Session::exchange(const Report& frame, uint8_t answerCode, const std::string& what) {
  clock_->notify([&] { seen_[answerCode] = false; });
  if (core_->link.WriteUsbData(frame.data(), frame.size()) != int(kReportSize)) {
    return failAndClose("the box was disconnected", false);
  }
  bool answered = false;
  clock_->waitFor(kReplyTimeoutMs, [&] {
    answered = seen_[answerCode];
    return answered || core_->link.readThreadEnded();
  });
  if (answered) return kExitOk;
  if (core_->link.readThreadEnded()) return failAndClose("the box was disconnected");
  return failAndClose("the box did not answer " + what, false);
}

}  // namespace ax7::cli
