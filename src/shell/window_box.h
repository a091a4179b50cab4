#pragma once
// The box of the desktop program for the remote-access server: the window's Core, shared with
// the window. Reads (values, status, mode files, EQ exports) are answered on the server's
// thread from memory, as ax7ctl serve answers them. Everything that edits runs on the window's
// thread, between the window's own events, so it takes the window's path (the queue, the undo
// history) and the window shows it; the server's thread waits for that a bounded time, and the
// window never waits for the server.
#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "server/box_control.h"
#include "server/core_box.h"

namespace ax7::ui {

class WindowBox final : public server::BoxControl {
 public:
  // How long a request waits for a busy window before it is answered 503.
  static constexpr int kWindowWaitMs = 3000;

  // Created and closed on the window's thread.
  WindowBox(Core& core, std::string snapshotDir);
  ~WindowBox() override;

  // Runs on the window's thread around every edit: `edit` makes it and says how it went.
  using Around = std::function<server::Outcome(const std::function<server::Outcome()>& edit)>;
  void setAround(Around around) { around_ = std::move(around); }
  server::CoreBox& core() { return box_; }
  // Requests not yet begun on the window's thread are answered 503, and so is every later one:
  // the server can then be stopped without waiting for the window.
  void close();
  // Requests waiting for the window now.
  int waiting();

  bool connected() override { return box_.connected(); }
  int mode() override { return box_.mode(); }
  server::Json values() override { return box_.values(); }
  server::Json status() override { return box_.status(); }
  server::Outcome modeFile(std::vector<uint8_t>* bytes) override { return box_.modeFile(bytes); }
  server::Outcome exportEq(int set, eqx::Format format, std::string* text) override {
    return box_.exportEq(set, format, text);
  }

  server::Outcome setValues(const std::vector<std::pair<std::string, InputValue>>& pairs) override;
  server::Outcome recallMode(int mode) override;
  server::Outcome saveMode(int mode) override;
  server::Outcome writeModeFile(const std::vector<uint8_t>& bytes) override;
  server::Outcome importEq(int set, const std::string& text, eqx::Format format) override;

 private:
  struct Call;
  // Runs `edit` on the window's thread and waits for its outcome.
  server::Outcome onWindow(std::function<server::Outcome()> edit);
  void run(const std::shared_ptr<Call>& call);

  server::CoreBox box_;
  Around around_;
  QObject context_;  // lives on the window's thread; queued calls die with it
  std::mutex mutex_;
  std::condition_variable done_;
  bool closed_ = false;
  int waiting_ = 0;
};

}  // namespace ax7::ui
