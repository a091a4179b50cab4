#pragma once
// The main window's place between runs: its normal size and position, and whether it was
// maximised. A stored place is brought back inside the screens there are now, so a window last
// seen on a monitor that is gone does not open out of reach.
#include <QList>
#include <QRect>
#include <QSize>

class QSettings;
class QWidget;

namespace ax7::ui {

inline constexpr const char* kKeyWindowGeometry = "WindowGeometry";    // normal-state QRect
inline constexpr const char* kKeyWindowMaximized = "WindowMaximized";  // bool

// `saved` moved (and if need be shrunk) into the available area of the screen it overlaps
// most, else the first screen; never smaller than `minimum`, which wins over a small screen
// (the window then starts at the screen's top-left corner). No screens: `saved` as it is.
QRect FitToScreens(const QRect& saved, const QList<QRect>& screens, const QSize& minimum);

// Places the window as stored in the profile (nothing stored: as it is) and shows it, maximised
// if it was.
void ShowWithStoredGeometry(QWidget& window, const QSettings& profile);
// Keeps the window's normal geometry and its maximised state in the profile.
void StoreWindowGeometry(const QWidget& window, QSettings& profile);

}  // namespace ax7::ui
