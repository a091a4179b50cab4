#include "shell/command_line.h"

#include <QCommandLineParser>

namespace ax7::ui {

bool ParseCommandLine(const QStringList& arguments, CommandLine* out, QString* error,
                      bool* exitNow) {
  *exitNow = false;
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Control program of the AX7 karaoke and home-theatre processor.");
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption device("device", "Box to use: hid (a real box, default) or sim.",
                                  "hid|sim", "hid");
  const QCommandLineOption latency("sim-latency", "Answer time of the simulated box.", "MS", "0");
  const QCommandLineOption trace("trace", "Write every report to FILE (as ax7ctl --trace).",
                                 "FILE");
  parser.addOption(device);
  parser.addOption(latency);
  parser.addOption(trace);
  parser.addPositionalArgument("file", "Mode file (.px44t) to open.", "[file]");

  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet(help)) {
    *error = parser.helpText();
    *exitNow = true;
    return true;
  }
  CommandLine cl;
  const QString kind = parser.value(device).toLower();
  if (kind == "sim") {
    cl.device = CommandLine::Device::Sim;
  } else if (kind != "hid") {
    *error = QString("--device: expected hid or sim, not '%1'").arg(parser.value(device));
    return false;
  }
  bool ok = false;
  cl.simLatencyMs = parser.value(latency).toInt(&ok);
  if (!ok || cl.simLatencyMs < 0 || cl.simLatencyMs > 60000) {
    *error = QString("--sim-latency: expected milliseconds 0..60000, not '%1'")
                 .arg(parser.value(latency));
    return false;
  }
  if (parser.isSet(latency) && cl.device != CommandLine::Device::Sim) {
    *error = "--sim-latency needs --device sim";
    return false;
  }
  cl.tracePath = parser.value(trace);
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    *error = "at most one mode file can be opened";
    return false;
  }
  if (!files.isEmpty()) cl.modeFile = files.constFirst();
  *out = cl;
  return true;
}

}  // namespace ax7::ui
