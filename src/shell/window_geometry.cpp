#include "shell/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace ax7::ui {

namespace {

qint64 overlap(const QRect& a, const QRect& b) {
  const QRect i = a.intersected(b);
  return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}

// The start of a span of `length` inside [lo, lo + room): as close to `start` as fits.
int fitSpan(int start, int length, int lo, int room) {
  if (length >= room) return lo;
  return std::clamp(start, lo, lo + room - length);
}

QList<QRect> availableScreens() {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    areas.push_back(screen->availableGeometry());
  return areas;
}

}  // namespace

QRect FitToScreens(const QRect& saved, const QList<QRect>& screens, const QSize& minimum) {
  QSize size = saved.size().expandedTo(minimum);
  if (screens.isEmpty()) return {saved.topLeft(), size};
  const QRect* best = &screens.front();
  qint64 bestOverlap = 0;
  for (const QRect& s : screens) {
    const qint64 o = overlap(QRect(saved.topLeft(), size), s);
    if (o > bestOverlap) best = &s, bestOverlap = o;
  }
  const QRect& area = *best;
  size = size.boundedTo(area.size()).expandedTo(minimum);
  return {fitSpan(saved.x(), size.width(), area.x(), area.width()),
          fitSpan(saved.y(), size.height(), area.y(), area.height()), size.width(), size.height()};
}

void ShowWithStoredGeometry(QWidget& window, const QSettings& profile) {
  const QRect saved = profile.value(kKeyWindowGeometry).toRect();
  if (saved.isValid()) {
    window.setGeometry(FitToScreens(saved, availableScreens(), window.minimumSize()));
  }
  if (profile.value(kKeyWindowMaximized, false).toBool()) {
    window.showMaximized();
  } else {
    window.show();
  }
}

void StoreWindowGeometry(const QWidget& window, QSettings& profile) {
  // The normal geometry, so that a maximised window comes back to its old size when restored.
  const QRect normal =
      window.isMaximized() || window.isFullScreen() ? window.normalGeometry() : window.geometry();
  if (normal.isValid()) profile.setValue(kKeyWindowGeometry, normal);
  profile.setValue(kKeyWindowMaximized, window.isMaximized());
}

}  // namespace ax7::ui
