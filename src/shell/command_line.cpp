#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include "cli/options.h"
#include "params/file_read.h"
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
  cl->deviceSelector = parsed.options.deviceSelector;
  cl->simLatencyMs = int(parsed.options.simLatencyMs);
  cl->virtualTime = parsed.options.virtualTime;
  return true;
}

// Far more than any script written by hand or generated for one run.
constexpr size_t kMaxScriptBytes = 1024 * 1024;

bool readScript(const QString& path, CommandLine* cl, QString* error) {
  // Neither a pipe that is never written nor /dev/zero may hold up or exhaust the start.
  const InputFile file = ReadInputFile(QFile::encodeName(path).toStdString(), kMaxScriptBytes);
  if (!file.ok) {
    *error = QString("--script: cannot read %1: %2").arg(path, QString::fromStdString(file.reason));
    return false;
  }
  if (file.truncated) {
    *error = QString("--script: %1 is larger than %2 bytes").arg(path).arg(kMaxScriptBytes);
    return false;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size());
  ScriptError why;
  if (!ParseScript(bytes, &cl->script, &why)) {
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
  // A serial number or path keeps its case; only the kind is read without it.
  const QString given = parser.value("device");
  const QString kind = given.startsWith("hid:", Qt::CaseInsensitive) && given.size() > 4
                           ? "hid:" + given.mid(4)
                           : given.toLower();
  if (kind != "sim" && kind != "hid" && !kind.startsWith("hid:")) {
    *error = QString("--device: expected hid, hid:SERIAL, hid:PATH or sim, not '%1'").arg(given);
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
