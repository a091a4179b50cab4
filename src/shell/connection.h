#pragma once
// When the program opens and closes the link to the box, and what the user sees about it: the
// first attempt after start, plugging and unplugging, the synchronisation behind the progress
// window after every connection, the checks of model and protocol that follow it, and the
// periodic status request.
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QWidget;

namespace ax7 {
class HidBackend;
}

namespace ax7::ui {

class AppState;
class Balloon;
class SyncDialogHost;
class ToolWindows;

class Connection : public QObject {
  Q_OBJECT
 public:
  Connection(AppState& state, HidBackend& backend, QWidget* window, SyncDialogHost& sync,
             Balloon& balloon, ToolWindows& tools);
  ~Connection() override;

  // Starts the first-connect timer and listens to the backend's arrival and removal.
  void start();

  // Timer 1: the first attempt.
  void connectAttempt();
  // Device arrival and removal (on the UI thread).
  void deviceArrived(const QString& path);
  void deviceRemoved(const QString& path);
  // Message 1002: a synchronisation finished (wParam 0 box to PC, 1 PC to box).
  void syncFinished(int direction);
  // Timer 3: the status request.
  void statusTick();

  // Timer 3 runs (logically: with the timers off in tests, only this flag changes).
  bool statusTimerActive() const { return statusActive_; }
  // Runs once the first connection attempt is over (connected and synchronised, or not).
  void setAfterFirstAttempt(std::function<void()> fn) { afterFirstAttempt_ = std::move(fn); }
  // Called after an accepted synchronisation, to show memory on the ribbon and the pages.
  void setRefreshAll(std::function<void()> fn) { refreshAll_ = std::move(fn); }

 private:
  // Opens the box and synchronises from it; false when no box could be opened.
  bool openAndSynchronize(int balloonMs, bool closeToolWindows);
  void explainIfNoPermission();
  void reject(const QString& text);
  void startStatusTimer();
  void stopStatusTimer();

  AppState& state_;
  HidBackend& backend_;
  QWidget* window_;
  SyncDialogHost& sync_;
  Balloon& balloon_;
  ToolWindows& tools_;
  QTimer connectTimer_;
  QTimer statusTimer_;
  bool statusActive_ = false;
  bool permissionExplained_ = false;
  bool firstAttemptDone_ = false;
  std::function<void()> afterFirstAttempt_;
  std::function<void()> refreshAll_;
};

}  // namespace ax7::ui
