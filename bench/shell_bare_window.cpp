// A bare Qt Widgets window of the main window's size, as the baseline for ax7-control's
// start-up time and memory. It prints the time to its first paint when AX7_TIMING is set, the
// same way ax7-control does. Not part of the build; compile it by hand:
//   g++ -std=c++20 -O2 -fPIC bench/shell_bare_window.cpp -o /tmp/bare_window \
//       $(pkg-config --cflags --libs Qt6Widgets)
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QStatusBar>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

double msSinceProcessStart() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = stat.readAll();
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 20) return -1;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return (now.tv_sec + now.tv_nsec / 1e9 - fields[19].toDouble() / sysconf(_SC_CLK_TCK)) * 1000.0;
}

class FirstPaint : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::fprintf(stderr, "first paint: %.0f ms after process start\n", msSinceProcessStart());
      watched->removeEventFilter(this);
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.statusBar()->showMessage(QStringLiteral("ready"));
  window.resize(1240, 700);
  FirstPaint probe;
  if (!qEnvironmentVariableIsEmpty("AX7_TIMING")) window.installEventFilter(&probe);
  window.show();
  return app.exec();
}
