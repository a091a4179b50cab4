#include "shell/sync_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "shell/app_state.h"
#include "pages/prompter.h"

namespace ax7::ui {

namespace {

constexpr int kMarqueeStepMs = 50;
constexpr int kBarControlId = 1217;
constexpr int kTextControlId = 1218;

}  // namespace

SyncDialog::SyncDialog(QWidget* parent, const QString& title, const QString& text,
                       Progress progress, int timeoutMs)
    : QDialog(parent),
      label_(new QLabel(text, this)),
      marquee_(new QProgressBar(this)),
      progressBar_(new QProgressBar(this)),
      progress_(std::move(progress)) {
  setObjectName("syncDialog");
  setWindowTitle(title);
  setModal(true);
  // No close button in the title bar: only the end of the synchronisation closes the window.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setCursor(Qt::WaitCursor);

  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);
  setAutoFillBackground(true);

  label_->setProperty("ax7Id", kTextControlId);
  label_->setWordWrap(true);
  marquee_->setProperty("ax7Id", kBarControlId);
  marquee_->setRange(0, 0);  // busy indicator
  marquee_->setTextVisible(false);
  marquee_->setMaximumHeight(10);
  progressBar_->setObjectName("syncProgress");
  progressBar_->setRange(0, 1);
  progressBar_->setValue(0);
  progressBar_->setFormat("%v / %m");
  progressBar_->setVisible(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(marquee_);
  layout->addWidget(progressBar_);
  setMinimumWidth(380);

  tickTimer_.setInterval(kMarqueeStepMs);
  connect(&tickTimer_, &QTimer::timeout, this, &SyncDialog::tick);
  tickTimer_.start();
  timeoutTimer_.setSingleShot(true);
  connect(&timeoutTimer_, &QTimer::timeout, this, &SyncDialog::timeOut);
  if (timeoutMs > 0) timeoutTimer_.start(timeoutMs);
  tick();
}

void SyncDialog::tick() {
  if (!progress_) return;
  const auto [done, total] = progress_();
  if (total <= 0) return;
  progressBar_->setVisible(true);
  progressBar_->setRange(0, total);
  progressBar_->setValue(std::min(done, total));
}

std::pair<int, int> SyncDialog::shownProgress() const {
  return {progressBar_->value(), progressBar_->isVisible() ? progressBar_->maximum() : 0};
}

QString SyncDialog::text() const {
  return label_->text();
}

void SyncDialog::finishSync() {
  timeoutTimer_.stop();
  tickTimer_.stop();
  QDialog::done(QDialog::Accepted);
}

void SyncDialog::timeOut() {
  timeoutTimer_.stop();
  tickTimer_.stop();
  timedOut_ = true;
  QDialog::done(QDialog::Rejected);
}

void SyncDialog::reject() {}

void SyncDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
}

void SyncDialogHost::RunSyncDialog() {
  if (dialog_) {
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    return;
  }
  auto* dialog =
      new SyncDialog(owner_, state_.text("同步过程", "Synchronize"),
                     state_.text("当前正在与机器同步数据,请稍候......", "Please wait a moment……"),
                     progress_, state_.timings.syncTimeoutMs);
  dialog_ = dialog;
  if (onShown) {
    QMetaObject::invokeMethod(
        dialog, [this, dialog] { onShown(*dialog); }, Qt::QueuedConnection);
  }
  dialog->exec();
  const bool timedOut = dialog->timedOut();
  dialog_ = nullptr;
  delete dialog;
  if (timedOut) {
    state_.prompter.showError(owner_, QString::fromUtf8("发生错误，与设备数据同步超时……"),
                              QString::fromUtf8("错误"));
  }
}

void SyncDialogHost::finish() {
  if (dialog_) dialog_->finishSync();
}

}  // namespace ax7::ui
