#include "shell/window_box.h"

#include <chrono>
#include <utility>

#include "params/param_names.h"

namespace ax7::ui {

using server::Outcome;

struct WindowBox::Call {
  std::function<Outcome()> edit;
  bool started = false;
  bool done = false;
  bool dropped = false;  // answered without it: the window must not make it any more
  Outcome outcome;
};

WindowBox::WindowBox(Core& core, std::string snapshotDir) : box_(core, std::move(snapshotDir)) {}

WindowBox::~WindowBox() {
  close();
}

void WindowBox::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  done_.notify_all();
}

int WindowBox::waiting() {
  std::lock_guard lock(mutex_);
  return waiting_;
}

Outcome WindowBox::onWindow(std::function<Outcome()> edit) {
  auto call = std::make_shared<Call>();
  call->edit = std::move(edit);
  {
    std::lock_guard lock(mutex_);
    if (closed_) return Outcome::failure(503, "remote access is being switched off");
  }
  QMetaObject::invokeMethod(
      &context_, [this, call] { run(call); }, Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  ++waiting_;
  done_.wait_for(lock, std::chrono::milliseconds(kWindowWaitMs),
                 [&] { return call->done || (closed_ && !call->started); });
  // Once begun on the window's thread it ends there without waiting for anything.
  if (call->started) done_.wait(lock, [&] { return call->done; });
  --waiting_;
  if (call->done) return call->outcome;
  call->dropped = true;
  return Outcome::failure(503, closed_ ? "remote access was switched off"
                                       : "the program's window is busy");
}

void WindowBox::run(const std::shared_ptr<Call>& call) {
  {
    std::lock_guard lock(mutex_);
    if (call->dropped || closed_) return;
    call->started = true;
  }
  Outcome outcome = around_ ? around_(call->edit) : call->edit();
  {
    std::lock_guard lock(mutex_);
    call->outcome = std::move(outcome);
    call->done = true;
  }
  done_.notify_all();
}

Outcome WindowBox::setValues(const std::vector<std::pair<std::string, InputValue>>& pairs) {
  // Names, types and ranges need no window: a bad request is answered at once.
  std::vector<NamedValue> checked;
  std::string error;
  if (!CheckNamedValues(pairs, &checked, &error)) return Outcome::failure(400, error);
  return onWindow([this, pairs] { return box_.setValues(pairs); });
}

Outcome WindowBox::recallMode(int mode) {
  return onWindow([this, mode] { return box_.recallMode(mode); });
}

Outcome WindowBox::saveMode(int mode) {
  return onWindow([this, mode] { return box_.saveMode(mode); });
}

Outcome WindowBox::writeModeFile(const std::vector<uint8_t>& bytes) {
  return onWindow([this, bytes] { return box_.writeModeFile(bytes); });
}

Outcome WindowBox::importEq(int set, const std::string& text, eqx::Format format) {
  return onWindow([this, set, text, format] { return box_.importEq(set, text, format); });
}

}  // namespace ax7::ui
