#pragma once
// The modal progress window shown while a synchronisation runs on the core's worker. It ends
// when the view hears that the synchronisation finished, or gives up after its time-out; the
// user cannot close it.
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <utility>

#include "pages/language.h"

class QLabel;
class QProgressBar;

namespace ax7::ui {

class AppState;

// A busy strip: a short block that slides back and forth, one step per advance(). Unlike a
// busy progress bar it never looks full, so it cannot be mistaken for "done".
class Marquee : public QWidget {
  Q_OBJECT
 public:
  explicit Marquee(QWidget* parent = nullptr);
  void advance();
  int phase() const { return phase_; }
  QSize sizeHint() const override { return {200, 10}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int phase_ = 0;  // 0..2*kSteps-1: there and back
};

class SyncDialog : public QDialog {
  Q_OBJECT
 public:
  // Reports sent so far and expected in all (a total of 0 shows only the marquee).
  using Progress = std::function<std::pair<int, int>()>;

  SyncDialog(QWidget* parent, const QString& title, const QString& text, Progress progress,
             int timeoutMs, Language language = Language::Chinese);

  // The synchronisation finished: end the dialog (the view calls this on message 1002).
  void finishSync();
  // The time-out fired (tests call it instead of waiting 30 s).
  void timeOut();
  bool timedOut() const { return timedOut_; }
  QString text() const;
  // Latest real progress shown, for tests: (done, total).
  std::pair<int, int> shownProgress() const;
  // No report has been answered yet (the box is still being waited for): the strip moves and
  // the counter says so.
  bool waiting() const { return waiting_; }
  QString progressText() const;
  Marquee* marquee() const { return marquee_; }
  // One step of the window's timer (tests call it instead of waiting).
  void tick();

 public slots:
  void reject() override;  // Esc and the window's close button do nothing

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* label_;
  Marquee* marquee_;
  QProgressBar* progressBar_;
  Progress progress_;
  QTimer tickTimer_;
  QTimer timeoutTimer_;
  bool timedOut_ = false;
  bool waiting_ = true;
  Language language_;
};

// RunSyncDialog: one progress window at a time, run modally.
class SyncDialogHost {
 public:
  SyncDialogHost(AppState& state, QWidget* owner, SyncDialog::Progress progress)
      : state_(state), owner_(owner), progress_(std::move(progress)) {}

  // Shows the window until the synchronisation has finished or timed out; when it is already
  // showing, only brings it to the front. After a time-out the error box is shown.
  void RunSyncDialog();
  bool isOpen() const { return dialog_ != nullptr; }
  SyncDialog* current() const { return dialog_; }
  // Ends the window if one is showing (message 1002).
  void finish();
  // Called with the open window right after it is shown (tests use it to act while the
  // modal loop runs).
  std::function<void(SyncDialog&)> onShown;

 private:
  AppState& state_;
  QWidget* owner_;
  SyncDialog::Progress progress_;
  QPointer<SyncDialog> dialog_;
};

}  // namespace ax7::ui
