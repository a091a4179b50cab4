#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include "cli/options.h"

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
  parser.setApplicationDescription(
      "Control program of the AX7 karaoke and home-theatre processor.");
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption device("device", "Box to use: hid (a real box, default) or sim.",
                                  "hid|sim", "hid");
  parser.addOption(device);
  parser.addOption({"sim-latency", "Answer time of the simulated box (0..60000).", "MS"});
  parser.addOption({"sim-fault",
                    "A fault of the simulated box, as in ax7ctl (repeatable): silent, "
                    "model=NAME, version=N, param-error=STATUS, unplug-after=N, garbage=P, "
                    "latency=MS, no-learn, learn-delay=MS.",
                    "SPEC"});
  parser.addOption({"sim-state",
                    "The simulated box starts holding this mode file (.px44t or ax7ctl's "
                    "JSON/text form).",
                    "FILE"});
  QCommandLineOption virtualTime("virtual-time");
  virtualTime.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(virtualTime);
  parser.addOption({"trace", "Write every report to FILE (as ax7ctl --trace).", "FILE"});
  parser.addOption({"script",
                    "After the first synchronisation, run the commands in FILE (see README).",
                    "FILE"});
  parser.addPositionalArgument("file", "Mode file (.px44t) to open.", "[file]");

  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet(help) || parser.isSet(version)) {
    *error = parser.isSet(help) ? parser.helpText()
                                : QString("ax7-control %1\n").arg(QCoreApplication::applicationVersion());
    *exitNow = true;
    return true;
  }
  CommandLine cl;
  const QString kind = parser.value(device).toLower();
  if (kind != "sim" && kind != "hid") {
    *error = QString("--device: expected hid or sim, not '%1'").arg(parser.value(device));
    return false;
  }
  if (!parseSimOptions(parser, kind, &cl, error)) return false;
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
