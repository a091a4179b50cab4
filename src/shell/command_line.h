#pragma once
// ax7-control's command line: which backend to use, the simulated box's answer time, a report
// trace, and an optional mode file to open.
#include <QString>
#include <QStringList>

namespace ax7::ui {

struct CommandLine {
  enum class Device { Hid, Sim };
  Device device = Device::Hid;
  int simLatencyMs = 0;
  QString tracePath;
  QString modeFile;  // empty: none
};

// Parses the arguments (argv[0] first). On failure returns false and says why in *error; with
// --help or --version the text to print is in *error and *exitNow is set.
bool ParseCommandLine(const QStringList& arguments, CommandLine* out, QString* error,
                      bool* exitNow);

}  // namespace ax7::ui
