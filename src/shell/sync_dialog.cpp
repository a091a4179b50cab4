#include "shell/sync_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include "shell/app_state.h"
#include "pages/prompter.h"

namespace ax7::ui {

namespace {

constexpr int kMarqueeStepMs = 50;
constexpr int kBarControlId = 1217;
constexpr int kTextControlId = 1218;

constexpr int kMarqueeSteps = 20;

}  // namespace

Marquee::Marquee(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(10);
  setMaximumHeight(10);
}

void Marquee::advance() {
  phase_ = (phase_ + 1) % (2 * kMarqueeSteps);
  update();
}

void Marquee::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QColor(0xA0, 0xB4, 0xC8));
  p.setBrush(QColor(0xFF, 0xFF, 0xFF));
  p.drawRoundedRect(r, 3, 3);
  // A block a quarter of the strip wide, moving there and back.
  const int step = phase_ < kMarqueeSteps ? phase_ : 2 * kMarqueeSteps - 1 - phase_;
  const qreal w = r.width() / 4;
  const qreal x = r.left() + (r.width() - w) * step / (kMarqueeSteps - 1);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x30, 0x90, 0xE0));
  p.drawRoundedRect(QRectF(x, r.top() + 1, w, r.height() - 2), 2, 2);
}

SyncDialog::SyncDialog(QWidget* parent, const QString& title, const QString& text,
                       Progress progress, int timeoutMs, Language language)
    : QDialog(parent),
      label_(new QLabel(text, this)),
      marquee_(new Marquee(this)),
      progressBar_(new QProgressBar(this)),
      progress_(std::move(progress)),
      language_(language) {
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
  const auto [done, total] = progress_ ? progress_() : std::pair{0, 0};
  // Until the box answers the first report (the read starts after a pause of seconds) the
  // window shows that it waits: the strip moves and the counter says "waiting".
  waiting_ = done <= 0;
  marquee_->setVisible(waiting_);
  if (waiting_) marquee_->advance();
  if (total <= 0) return;
  progressBar_->setVisible(true);
  progressBar_->setRange(0, total);
  progressBar_->setValue(std::min(done, total));
  progressBar_->setFormat(waiting_ ? Pick(language_, "等待机器响应…… %v / %m",
                                          "Waiting for the box… %v / %m")
                                   : QStringLiteral("%v / %m"));
}

QString SyncDialog::progressText() const {
  return progressBar_->isVisible() ? progressBar_->text() : QString();
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
                     progress_, state_.timings.syncTimeoutMs, state_.language());
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
    state_.prompter.showError(owner_,
                              state_.text("发生错误，与设备数据同步超时……",
                                          "Error: the synchronisation with the box timed out……"),
                              state_.text("错误", "Error"));
  }
}

void SyncDialogHost::finish() {
  if (dialog_) dialog_->finishSync();
}

}  // namespace ax7::ui
