#include "shell/startup_probe.h"

#include <unistd.h>

#include <QEvent>
#include <QFile>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace ax7::ui {

namespace {

// Milliseconds since this process started, from /proc (field 22 of stat, in clock ticks).
double msSinceProcessStart() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = stat.readAll();
  const int close = line.lastIndexOf(')');
  const QList<QByteArray> fields = line.mid(close + 2).split(' ');
  if (fields.size() < 20) return -1;
  const double startTicks = fields[19].toDouble();  // field 22 overall
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double hz = double(sysconf(_SC_CLK_TCK));
  return (now.tv_sec + now.tv_nsec / 1e9 - startTicks / hz) * 1000.0;
}

class FirstPaint : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::fprintf(stderr, "first paint: %.0f ms after process start\n", msSinceProcessStart());
      watched->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }
};

}  // namespace

void ReportFirstPaint(QWidget* window) {
  if (qEnvironmentVariableIsEmpty("AX7_TIMING")) return;
  window->installEventFilter(new FirstPaint(window));
}

}  // namespace ax7::ui
