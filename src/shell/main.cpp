// ax7-control: the desktop program. Everything but the wiring lives in the shell library.
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <cstdio>

#include "shell/app_state.h"
#include "shell/command_line.h"
#include "shell/device_session.h"
#include "shell/main_window.h"
#include "pages/prompter.h"
#include "shell/single_instance.h"
#include "shell/startup_probe.h"

int main(int argc, char** argv) {
  using namespace ax7::ui;
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("ax7-control"));
  QApplication::setApplicationName(QString::fromLatin1(kInstanceKey));
  QApplication::setDesktopFileName(QStringLiteral("io.github.ax7control.Ax7Control"));

  CommandLine options;
  QString error;
  bool exitNow = false;
  if (!ParseCommandLine(QApplication::arguments(), &options, &error, &exitNow)) {
    std::fprintf(stderr, "ax7-control: %s\n", qPrintable(error));
    return 2;
  }
  if (exitNow) {
    std::fputs(qPrintable(error), stdout);
    return 0;
  }

  SingleInstance instance;
  switch (instance.start()) {
    case SingleInstance::Outcome::First:
      break;
    case SingleInstance::Outcome::RaisedOther:
      return 0;
    case SingleInstance::Outcome::OtherSilent:
      QMessageBox::warning(nullptr, QStringLiteral("AX7 v1.2"),
                           QString::fromUtf8("已有一个实例在运行，但找不到它的主窗口！"));
      return 1;
    case SingleInstance::Outcome::Failed:
      QMessageBox::critical(nullptr, QStringLiteral("AX7 v1.2"),
                            QString::fromUtf8("创建信标对象失败，程序退出！"));
      return 1;
  }

  std::unique_ptr<DeviceSession> session = DeviceSession::create(options, &error);
  if (!session) {
    std::fprintf(stderr, "ax7-control: %s\n", qPrintable(error));
    QMessageBox::critical(nullptr, QStringLiteral("AX7 v1.2"), error);
    return 1;
  }

  QSettings settings;
  DialogPrompter prompter;
  AppState state(session->core(), settings, prompter);
  MainWindow window(state, session->backend(), session->notifier());
  QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &MainWindow::raiseWindow);
  if (!options.modeFile.isEmpty()) window.openDocumentAfterConnect(options.modeFile);
  ReportFirstPaint(&window);
  window.show();
  return app.exec();
}
