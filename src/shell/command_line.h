#pragma once
// ax7-control's command line: which backend to use, the simulated box's answer time, faults and
// starting state (read as ax7ctl reads them), a report trace, a script to run, and an optional
// mode file to open.
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "cli/sim_setup.h"
#include "pages/language.h"
#include "shell/script_parser.h"

namespace ax7::ui {

struct CommandLine {
  enum class Device { Hid, Sim };
  Device device = Device::Hid;
  std::string deviceSelector;  // hid:SERIAL or hid:PATH; empty: the first box found
  int simLatencyMs = 0;
  cli::SimSetup sim;         // faults (latency included) and --sim-state
  bool virtualTime = false;  // --virtual-time (tests; not in --help)
  QString tracePath;
  QString scriptPath;                  // --script; empty: none
  std::vector<ScriptCommand> script;   // its commands, read at start
  QString modeFile;                    // empty: none
  std::optional<Language> language;    // --lang: this run only, not stored
};

// Parses the arguments (argv[0] first). On failure returns false and says why in *error; with
// --help or --version the text to print is in *error and *exitNow is set. Needs a
// QCoreApplication (not a QApplication: it runs before the display is opened).
bool ParseCommandLine(const QStringList& arguments, CommandLine* out, QString* error,
                      bool* exitNow);

}  // namespace ax7::ui
