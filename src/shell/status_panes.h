#pragma once
// The status bar: the USB pane, the mode pane and, on the right, the EQ bypass box and EQ reset
// button that act on the current page. Texts and colours are recomputed on every update cycle.
#include <QLabel>
#include <QObject>
#include <functional>

class QCheckBox;
class QPushButton;
class QStatusBar;

namespace ax7::ui {

class AppState;
class Page;

// A status pane that draws its text in a colour it keeps.
class ColorPane : public QLabel {
  Q_OBJECT
 public:
  explicit ColorPane(QWidget* parent = nullptr);
  void setTextColor(const QColor& color);
  QColor textColor() const { return color_; }

 private:
  QColor color_;
};

inline constexpr int kStatusUsbId = 120;
inline constexpr int kStatusModeId = 121;
inline constexpr int kEqBypassId = 1121;
inline constexpr int kEqResetId = 1122;

class StatusPanes : public QObject {
  Q_OBJECT
 public:
  // `currentPage` tells which page the EQ controls act on.
  StatusPanes(AppState& state, QStatusBar& bar, std::function<Page*()> currentPage);

  // One update cycle: connection text and colour, current mode, EQ controls.
  void update();
  // Runs after the reset question and before the reset (keeps a snapshot); false stops it.
  void setBeforeEqReset(std::function<bool()> fn) { beforeEqReset_ = std::move(fn); }

  ColorPane* usbPane() const { return usb_; }
  ColorPane* modePane() const { return mode_; }
  QCheckBox* eqBypass() const { return eqBypass_; }
  QPushButton* eqReset() const { return eqReset_; }

  // "当前模式:模式二[Mode2]" for mode 1, from the box's current mode and its mode name.
  static QString ModeText(int mode, const QString& name, int language);

 private:
  void toggleBypass();
  void resetEq();

  AppState& state_;
  std::function<Page*()> currentPage_;
  ColorPane* usb_;
  ColorPane* mode_;
  QCheckBox* eqBypass_;
  QPushButton* eqReset_;
  std::function<bool()> beforeEqReset_;
};

}  // namespace ax7::ui
