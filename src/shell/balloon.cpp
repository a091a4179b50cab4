#include "shell/balloon.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWidget>

namespace ax7::ui {

namespace {

constexpr int kMargin = 12;
constexpr int kBottomReserve = 36;  // keeps the notice above the status bar

}  // namespace

Balloon::Balloon(QWidget* window, const QIcon& icon, Mode mode)
    : QObject(window), window_(window), icon_(icon) {
  const bool tray =
      mode == Mode::Tray || (mode == Mode::Auto && QSystemTrayIcon::isSystemTrayAvailable());
  if (tray) {
    tray_ = new QSystemTrayIcon(icon_, this);
    tray_->setToolTip(QStringLiteral("AX7"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this] { remove(); });
    connect(tray_, &QSystemTrayIcon::messageClicked, this, &Balloon::remove);
  }
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &Balloon::remove);
  window_->installEventFilter(this);
}

Balloon::~Balloon() {
  if (tray_) tray_->hide();
}

void Balloon::ShowBalloon(const QString& text, const QString& title, int milliseconds) {
  text_ = text;
  title_ = title;
  showing_ = true;
  if (tray_) {
    tray_->show();
    tray_->showMessage(title, text, QSystemTrayIcon::Information, milliseconds);
  } else {
    if (!notice_) {
      notice_ = new QFrame(window_);
      notice_->setObjectName("balloonNotice");
      notice_->setFrameShape(QFrame::StyledPanel);
      notice_->setAutoFillBackground(true);
      notice_->setStyleSheet(
          "#balloonNotice { background: #fffff0; border: 1px solid #8a8a8a; border-radius: 4px; }");
      noticeTitle_ = new QLabel(notice_);
      QFont bold = noticeTitle_->font();
      bold.setBold(true);
      noticeTitle_->setFont(bold);
      noticeText_ = new QLabel(notice_);
      auto* layout = new QVBoxLayout(notice_);
      layout->addWidget(noticeTitle_);
      layout->addWidget(noticeText_);
      notice_->installEventFilter(this);
    }
    noticeTitle_->setText(title);
    noticeText_->setText(text);
    notice_->adjustSize();
    placeNotice();
    notice_->show();
    notice_->raise();
  }
  timer_.start(milliseconds);
}

void Balloon::remove() {
  timer_.stop();
  showing_ = false;
  if (tray_) tray_->hide();
  if (notice_) notice_->hide();
}

void Balloon::placeNotice() {
  if (!notice_) return;
  const QSize s = notice_->sizeHint();
  notice_->setGeometry(window_->width() - s.width() - kMargin,
                       window_->height() - s.height() - kBottomReserve, s.width(), s.height());
}

bool Balloon::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Resize) {
    placeNotice();
  } else if (watched == notice_ && event->type() == QEvent::MouseButtonRelease) {
    remove();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ax7::ui
