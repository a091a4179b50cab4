#pragma once
// The transient information window for short notices: one at a time, closed by its timer or
// its close button; a second notice replaces the text and restarts the timer.
#include <QDialog>
#include <QPointer>
#include <QTimer>

class QLabel;
class QPushButton;

namespace ax7::ui {

class AppState;

class InfoBox : public QDialog {
  Q_OBJECT
 public:
  InfoBox(QWidget* parent, const QString& title, const QString& closeText);

  void showText(const QString& text, int milliseconds);
  QString text() const;
  int remainingMs() const { return timer_.remainingTime(); }
  // What the timer does when it fires (tests call it instead of waiting).
  void expire();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* label_;
  QPushButton* closeButton_;
  QTimer timer_;
};

class InfoBoxHost {
 public:
  InfoBoxHost(AppState& state, QWidget* owner) : state_(state), owner_(owner) {}
  ~InfoBoxHost();

  void ShowInfoBox(const QString& text, int milliseconds);
  // Closes the open window, as its timer would.
  void closeBox();
  // The open window, or nullptr.
  InfoBox* current() const { return box_; }

 private:
  AppState& state_;
  QWidget* owner_;
  QPointer<InfoBox> box_;
};

}  // namespace ax7::ui
