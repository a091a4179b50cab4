#pragma once
// The box of a program's Core for the server: values from the parameter memory, edits through
// the outgoing queue (Core::ui, Core::uiEq) with the window's encodings, so the caller never
// waits for the box and a burst of edits to one slider coalesces in the queue.
//
// The owner of the connection says when the box is ready (read and checked) and when it went
// away, and does what needs the box read again (a mode recall).
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/core.h"
#include "server/box_control.h"

namespace ax7::server {

class CoreBox final : public BoxControl {
 public:
  // Snapshots of the box's settings go to `snapshotDir` before a mode file, an EQ import or a
  // recall replaces them.
  CoreBox(Core& core, std::string snapshotDir);

  // The owner: the box was read and checked (true), or went away or is being read (false).
  void setReady(bool ready);
  // Told of every change of readiness, in order, from the thread that made it (the server's
  // readyChanged, so no going away and coming back is missed between two looks).
  void setReadyObserver(std::function<void(bool ready)> observer);
  // More observers (an MQTT bridge beside the server), told after the one above; the id
  // removes it again.
  int addReadyObserver(std::function<void(bool ready)> observer);
  void removeReadyObserver(int id);
  // The owner recalls box mode 0..3 and reads the box again; called with the box not ready.
  void setRecall(std::function<void(int mode)> recall);
  // Requests the live status every `periodMs` from tick() while ready (0: never; the desktop
  // program polls on its own).
  void setStatusPoll(int64_t periodMs);

  bool connected() override;
  int mode() override;
  Json values() override;
  Json status() override;
  Outcome setValues(const std::vector<std::pair<std::string, InputValue>>& pairs) override;
  Outcome recallMode(int mode) override;
  Outcome saveMode(int mode) override;
  Outcome modeFile(std::vector<uint8_t>* bytes) override;
  Outcome writeModeFile(const std::vector<uint8_t>& bytes) override;
  Outcome exportEq(int set, eqx::Format format, std::string* text) override;
  Outcome importEq(int set, const std::string& text, eqx::Format format) override;
  void tick() override;

 private:
  // Keeps what the box holds; the snapshot's path, or an outcome that stops the operation.
  bool keepSnapshot(int reason, std::string* path, Outcome* failed);
  Outcome notReady() const;
  // Every observer, in order, copied under the lock so they are called outside it.
  std::vector<std::function<void(bool)>> observersLocked() const;
  static void tell(const std::vector<std::function<void(bool)>>& observers, bool ready);

  Core& core_;
  const std::string snapshotDir_;
  std::mutex mutex_;  // the queue's encoders (Core::ui, uiEq) are used by one caller at a time
  bool ready_ = false;
  std::function<void(int)> recall_;
  std::function<void(bool)> observer_;
  std::vector<std::pair<int, std::function<void(bool)>>> moreObservers_;
  int nextObserverId_ = 1;
  int64_t statusPeriodMs_ = 0;
  int64_t lastStatusMs_ = -1;
};

}  // namespace ax7::server
