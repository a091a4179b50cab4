#pragma once
// Keys the whole program answers: F7 opens the machine settings window (not while a modal
// window such as the progress window is up), F1 is taken as handled and shows nothing.
#include <QObject>
#include <functional>

namespace ax7::ui {

class AppState;

class KeyFilter : public QObject {
  Q_OBJECT
 public:
  KeyFilter(AppState& state, std::function<void()> openMachineSettings, QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  AppState& state_;
  std::function<void()> openMachineSettings_;
};

}  // namespace ax7::ui
