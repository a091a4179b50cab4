// ax7-control: the desktop program. Everything but the wiring lives in the shell library.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSettings>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "cli/version.h"
#include "pages/prompter.h"
#include "shell/app_state.h"
#include "shell/command_line.h"
#include "shell/device_session.h"
#include "shell/main_window.h"
#include "shell/script_runner.h"
#include "shell/single_instance.h"
#include "shell/start_language.h"
#include "shell/startup_probe.h"

namespace {

void setApplicationNames() {
  QCoreApplication::setOrganizationName(QStringLiteral("ax7-control"));
  QCoreApplication::setApplicationName(QString::fromLatin1(ax7::ui::kInstanceKey));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(ax7::kVersion));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ax7::ui;
  // The command line is read before the display is opened, so --help, --version and a wrong
  // option work without one.
  CommandLine options;
  {
    QCoreApplication reader(argc, argv);
    setApplicationNames();
    QString error;
    bool exitNow = false;
    if (!ParseCommandLine(QCoreApplication::arguments(), &options, &error, &exitNow)) {
      std::fprintf(stderr, "ax7-control: %s\n", qPrintable(error));
      return 2;
    }
    if (exitNow) {
      // Text that never arrived (a full disk, /dev/full) is a failure, not a 0.
      if (std::fputs(qPrintable(error), stdout) == EOF || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "ax7-control: cannot write standard output: %s\n",
                     std::strerror(errno));
        return 1;
      }
      return 0;
    }
  }

  QApplication app(argc, argv);
  setApplicationNames();
  QApplication::setDesktopFileName(QStringLiteral("io.github.ax7control.Ax7Control"));

  QSettings settings;
  const Language localeLanguage = LanguageFromLocale(LocaleFromEnvironment());
  const Language language = StartLanguage(settings, options.language, localeLanguage);

  // A scripted run is not one more window of the user's: it neither raises nor blocks another.
  const bool scripted = !options.scriptPath.isEmpty();
  std::optional<SingleInstance> instance;
  if (!scripted) {
    instance.emplace();
    switch (instance->start()) {
      case SingleInstance::Outcome::First:
        break;
      case SingleInstance::Outcome::RaisedOther:
        return 0;
      case SingleInstance::Outcome::OtherSilent:
        QMessageBox::warning(nullptr, QStringLiteral("AX7 v1.2"),
                             Pick(language, "已有一个实例在运行，但找不到它的主窗口！",
                                  "Another instance is running, but its main window was not "
                                  "found!"));
        return 1;
      case SingleInstance::Outcome::Failed:
        QMessageBox::critical(nullptr, QStringLiteral("AX7 v1.2"),
                              Pick(language, "创建信标对象失败，程序退出！",
                                   "Cannot create the semaphore object; the program ends!"));
        return 1;
    }
  }

  QString error;
  std::unique_ptr<DeviceSession> session = DeviceSession::create(options, &error);
  if (!session) {
    std::fprintf(stderr, "ax7-control: %s\n", qPrintable(error));
    if (!scripted) QMessageBox::critical(nullptr, QStringLiteral("AX7 v1.2"), error);
    return 1;
  }

  DialogPrompter dialogs;
  ScriptPrompter scriptAnswers;
  Prompter& prompter = scripted ? static_cast<Prompter&>(scriptAnswers) : dialogs;
  AppState state(session->core(), settings, prompter);
  state.localeLanguage = localeLanguage;
  state.languageForRun = options.language;
  MainWindow window(state, session->backend(), session->notifier());
  if (instance) {
    QObject::connect(&*instance, &SingleInstance::raiseRequested, &window,
                     &MainWindow::raiseWindow);
  }
  if (!options.modeFile.isEmpty()) window.openDocumentAfterConnect(options.modeFile);
  std::unique_ptr<ScriptRunner> script;
  if (scripted) {
    script = std::make_unique<ScriptRunner>(window, options.scriptPath, std::move(options.script),
                                            &scriptAnswers);
    QObject::connect(script.get(), &ScriptRunner::finished, &app,
                     [](int code) { QCoreApplication::exit(code); });
    window.runAfterStart([&] { script->start(); });
  }
  ReportFirstPaint(&window);
  if (scripted) {
    window.show();  // the same size every run, so its screenshots compare
  } else {
    window.showAsLastClosed();
  }
  int code = app.exec();
  if (const QString why = session->traceError(); !why.isEmpty()) {
    std::fprintf(stderr, "ax7-control: %s\n", qPrintable(why));
    if (code == 0) code = 1;
  }
  return code;
}
