#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include "cli/options.h"
#include "shell/desktop_options.h"
#include "shell/start_language.h"

namespace ax7::ui {

namespace {

// The simulator options go through ax7ctl's own reader, so both programs take the same words
// with the same meaning and the same complaints.
bool parseSimOptions(const QCommandLineParser& parser, const QString& device, CommandLine* cl,
                     QString* error) {
  std::vector<std::string> words{"--device", device.toStdString()};
  auto add = [&](const char* name, const QString& value) {
    words.push_back(name);
    words.push_back(value.toStdString());
  };
  if (parser.isSet("sim-latency")) add("--sim-latency", parser.value("sim-latency"));
  if (parser.isSet("sim-state")) add("--sim-state", parser.value("sim-state"));
  for (const QString& fault : parser.values("sim-fault")) add("--sim-fault", fault);
  if (parser.isSet("virtual-time")) words.push_back("--virtual-time");
  cli::CommandLine parsed;
  std::string why;
  if (!cli::parseCommandLine(words, &parsed, &why) ||
      !cli::parseSimSetup(parsed.options, &cl->sim, &why)) {
    *error = QString::fromStdString(why);
    return false;
  }
  cl->device = parsed.options.device == cli::DeviceKind::Sim ? CommandLine::Device::Sim
                                                             : CommandLine::Device::Hid;
  cl->simLatencyMs = int(parsed.options.simLatencyMs);
  cl->virtualTime = parsed.options.virtualTime;
  return true;
}

bool readScript(const QString& path, CommandLine* cl, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QString("--script: cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  ScriptError why;
  if (!ParseScript(std::string_view(bytes.constData(), size_t(bytes.size())), &cl->script, &why)) {
    *error = QString("%1:%2: %3").arg(path).arg(why.line).arg(QString::fromStdString(why.message));
    return false;
  }
  cl->scriptPath = path;
  return true;
}

}  // namespace

bool ParseCommandLine(const QStringList& arguments, CommandLine* out, QString* error,
                      bool* exitNow) {
  *exitNow = false;
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDesktopDescription));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  for (const DesktopOption& o : desktopOptions()) {
    QCommandLineOption option(QString::fromUtf8(o.name), QString::fromUtf8(o.help));
    if (o.value) option.setValueName(QString::fromUtf8(o.value));
    if (o.defaultValue) option.setDefaultValue(QString::fromUtf8(o.defaultValue));
    if (o.hidden) option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  parser.addPositionalArgument(QString::fromUtf8(kDesktopFileArgument),
                               QString::fromUtf8(kDesktopFileHelp),
                               QString::fromUtf8(kDesktopFileSyntax));

  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet(help) || parser.isSet(version)) {
    *error = parser.isSet(help)
                 ? parser.helpText()
                 : QString("ax7-control %1\n").arg(QCoreApplication::applicationVersion());
    *exitNow = true;
    return true;
  }
  CommandLine cl;
  const QString kind = parser.value("device").toLower();
  if (kind != "sim" && kind != "hid") {
    *error = QString("--device: expected hid or sim, not '%1'").arg(parser.value("device"));
    return false;
  }
  if (!parseSimOptions(parser, kind, &cl, error)) return false;
  if (parser.isSet("lang")) {
    cl.language = LanguageFromCode(parser.value("lang").toLower().toStdString());
    if (!cl.language) {
      *error = QString("--lang: expected zh or en, not '%1'").arg(parser.value("lang"));
      return false;
    }
  }
  cl.tracePath = parser.value("trace");
  if (parser.isSet("script") && !readScript(parser.value("script"), &cl, error)) return false;
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    *error = "at most one mode file can be opened";
    return false;
  }
  if (!files.isEmpty()) cl.modeFile = files.constFirst();
  *out = std::move(cl);
  return true;
}

}  // namespace ax7::ui
