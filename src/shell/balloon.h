#pragma once
// Passing notices about the connection ("Device connected!"): a notification-area balloon
// where the desktop has a tray, otherwise a small notice inside the main window with the same
// texts and display times.
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QFrame;
class QLabel;
class QSystemTrayIcon;
class QWidget;

namespace ax7::ui {

class Balloon : public QObject {
  Q_OBJECT
 public:
  enum class Mode { Auto, Tray, InWindow };
  Balloon(QWidget* window, const QIcon& icon, Mode mode = Mode::Auto);
  ~Balloon() override;

  void ShowBalloon(const QString& text, const QString& title, int milliseconds);
  // Timer 990 and a click on the icon or notice: the notice goes away.
  void remove();

  bool showing() const { return showing_; }
  QString text() const { return text_; }
  QString title() const { return title_; }
  int remainingMs() const { return timer_.remainingTime(); }
  bool usesTray() const { return tray_ != nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeNotice();

  QWidget* window_;
  QIcon icon_;
  QSystemTrayIcon* tray_ = nullptr;
  QPointer<QFrame> notice_;
  QLabel* noticeTitle_ = nullptr;
  QLabel* noticeText_ = nullptr;
  QTimer timer_;
  bool showing_ = false;
  QString text_;
  QString title_;
};

}  // namespace ax7::ui
