#include "shell/connection.h"

#include <QWidget>
#include <string_view>

#include "device/box_check.h"
#include "device/debug_log.h"
#include "hid/permissions.h"
#include "shell/app_state.h"
#include "shell/balloon.h"
#include "pages/prompter.h"
#include "shell/sync_dialog.h"
#include "shell/tool_windows.h"

namespace ax7::ui {

namespace {

constexpr int kFirstConnectBalloonMs = 5000;
constexpr int kArrivalBalloonMs = 4000;
constexpr int kRemovalBalloonMs = 5000;

}  // namespace

Connection::Connection(AppState& state, HidBackend& backend, QWidget* window, SyncDialogHost& sync,
                       Balloon& balloon, ToolWindows& tools)
    : QObject(window),
      state_(state),
      backend_(backend),
      window_(window),
      sync_(sync),
      balloon_(balloon),
      tools_(tools) {
  connectTimer_.setSingleShot(true);
  connectTimer_.setInterval(state_.timings.firstConnectMs);
  connect(&connectTimer_, &QTimer::timeout, this, &Connection::connectAttempt);
  statusTimer_.setInterval(state_.timings.statusPeriodMs);
  connect(&statusTimer_, &QTimer::timeout, this, &Connection::statusTick);
}

Connection::~Connection() {
  // Once this returns the backend calls no more; calls already queued die with this object.
  backend_.setHotplugHandler(nullptr);
}

void Connection::start() {
  // The backend calls from a thread of its own; the handlers run on the UI thread.
  backend_.setHotplugHandler([this](HotplugEvent event, const std::string& path) {
    const QString p = QString::fromStdString(path);
    QMetaObject::invokeMethod(
        this,
        [this, event, p] {
          if (event == HotplugEvent::Arrived) {
            deviceArrived(p);
          } else {
            deviceRemoved(p);
          }
        },
        Qt::QueuedConnection);
  });
  if (state_.timings.startTimers) connectTimer_.start();
}

bool Connection::openAndSynchronize(int balloonMs, bool closeToolWindows) {
  Core& core = state_.core;
  if (!core.link.OpenUsbDevice(core.notifier)) {
    explainIfNoPermission();
    return false;
  }
  if (closeToolWindows) tools_.CloseToolWindows();
  balloon_.ShowBalloon(state_.text("设备已连接，同步中……", "Device connected!"),
                       state_.text("信息", "Information"), balloonMs);
  // A box that never answers must not pass the model check with the name of an earlier one.
  core.mem.dev.g_szModule.set(u"");
  core.mem.dev.g_nCmdVersion.store(0);
  core.sync.startSynchronizeFromBox();
  sync_.RunSyncDialog();
  // Not after a rejection or an unplug during the transfer.
  if (state_.boxOpen()) startStatusTimer();
  return true;
}

void Connection::connectAttempt() {
  connectTimer_.stop();
  if (!state_.boxOpen()) openAndSynchronize(kFirstConnectBalloonMs, false);
  if (!firstAttemptDone_) {
    firstAttemptDone_ = true;
    if (afterFirstAttempt_) afterFirstAttempt_();
  }
}

void Connection::deviceArrived(const QString&) {
  // Every HID device that arrives lands here; a box already open or none found ends it.
  openAndSynchronize(kArrivalBalloonMs, true);
}

void Connection::deviceRemoved(const QString& path) {
  DebugLog("removed!\n");
  const QString open = QString::fromStdString(state_.core.link.devicePath());
  if (open.isEmpty() || path.compare(open, Qt::CaseInsensitive) != 0) return;
  state_.core.link.CloseUsbDevice(false);
  stopStatusTimer();
  balloon_.ShowBalloon(state_.text("设备已断开!", "Device Disconnected!"),
                       state_.text("信息", "Information"), kRemovalBalloonMs);
}

void Connection::syncFinished(int direction) {
  sync_.finish();
  Core& core = state_.core;
  if (!state_.boxOpen() || core.link.readThreadEnded()) {
    // The box went away during the transfer: its answers are incomplete, so neither the
    // model check nor a pending store into a box mode means anything now.
    state_.pendingBoxMode = -1;
    if (refreshAll_) refreshAll_();
    return;
  }
  // Neither the identity nor the protocol version came back: the box is silent, and saying
  // that its model is wrong would send the user looking in the wrong place.
  if (core.mem.dev.g_szModule.get().empty() && core.mem.dev.g_nCmdVersion.load() == 0) {
    reject(state_.text("设备没有应答，请检查设备的电源和USB连接!",
                       "The box did not answer. Check its power and USB cable."));
    return;
  }
  if (const char* rejection = BoxRejection(core.mem.dev)) {
    // By text: the same literal may sit at another address in another translation unit.
    reject(std::string_view(rejection) == kWrongModelText
               ? state_.text(kWrongModelText, "The box's model does not match this program!")
               : state_.text(kWrongVersionText,
                             "The box speaks another protocol version; use the program that "
                             "came with it!"));
    return;
  }
  if (state_.pendingBoxMode != -1) {
    const int mode = state_.pendingBoxMode;
    state_.pendingBoxMode = -1;
    core.ui.SaveBoxMode(mode);
  }
  if (refreshAll_) refreshAll_();
}

void Connection::reject(const QString& text) {
  state_.core.link.CloseUsbDevice(true);
  stopStatusTimer();
  state_.pendingBoxMode = -1;
  if (!state_.errorBoxAllowed) return;
  state_.errorBoxAllowed = false;
  state_.prompter.showError(window_, text, state_.text("错误", "Error"));
  state_.errorBoxAllowed = true;
}

void Connection::startStatusTimer() {
  statusActive_ = true;
  if (state_.timings.startTimers) statusTimer_.start();
}

void Connection::stopStatusTimer() {
  statusActive_ = false;
  statusTimer_.stop();
}

void Connection::statusTick() {
  const UsbLink& link = state_.core.link;
  if (link.statusPollAllowed() && link.deviceOpen() && state_.peakOption) {
    state_.core.ui.RequestStatus();
  }
}

void Connection::explainIfNoPermission() {
  if (permissionExplained_) return;
  if (state_.core.link.lastOpenError() != OpenError::PermissionDenied) return;
  permissionExplained_ = true;
  state_.prompter.showWarning(window_, QString::fromStdString(permissionAdvice(state_.g_nLanguage)),
                              state_.text("信息", "Information"));
}

}  // namespace ax7::ui
