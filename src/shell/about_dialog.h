#pragma once
// The About box: the box's module name and versions when one is open, and the hidden "Peak"
// option (Ctrl+Shift+F11) that allows or stops the periodic status request.
#include <QDialog>

class QCheckBox;
class QLabel;

namespace ax7::ui {

class AppState;

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  AboutDialog(AppState& state, const QIcon& icon, QWidget* parent);

  QLabel* moduleLabel() const { return module_; }
  QLabel* mcuLabel() const { return mcu_; }
  QLabel* dspLabel() const { return dsp_; }
  QCheckBox* peakBox() const { return peak_; }

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  AppState& state_;
  QLabel* module_;
  QLabel* mcu_;
  QLabel* dsp_;
  QCheckBox* peak_;
};

}  // namespace ax7::ui
