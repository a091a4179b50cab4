#pragma once
// The command table of ax7ctl and what every command gets to run with.
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/options.h"

namespace ax7::cli {

struct Context {
  const GlobalOptions& options;
  std::ostream& out;
  std::ostream& err;
  // Why --trace could not be written in full (set as a session ends); the run then fails.
  std::string traceError;
};

struct CommandSpec {
  const char* name;
  const char* summary;  // one line for the command list
  const char* usage;    // the full text of COMMAND --help
  int (*run)(Context& ctx, const std::vector<std::string>& words);
};

// Writes "ax7ctl: message" as one line to stderr and returns code.
int fail(Context& ctx, int code, const std::string& message);
// Writes the command's usage to stdout (for --help) and returns 0.
int printUsage(Context& ctx, const CommandSpec& spec);
// Usage error: the reason and a pointer to --help; returns 2.
int usageError(Context& ctx, const CommandSpec& spec, const std::string& reason);

extern const CommandSpec kDesignCommand;
extern const CommandSpec kResponseCommand;
extern const CommandSpec kModeFileCommand;
extern const CommandSpec kReadCommand;
extern const CommandSpec kWriteCommand;
extern const CommandSpec kStatusCommand;
extern const CommandSpec kListCommand;
extern const CommandSpec kDoctorCommand;
extern const CommandSpec kEqCommand;
extern const CommandSpec kSettingsCommand;
extern const CommandSpec kPlugsCommand;
extern const CommandSpec kRemoteCommand;
extern const CommandSpec kDiffCommand;
extern const CommandSpec kParamsCommand;
extern const CommandSpec kGetCommand;
extern const CommandSpec kSetCommand;
extern const CommandSpec kModeCommand;
extern const CommandSpec kServeCommand;

const std::vector<const CommandSpec*>& commandTable();

// Runs ax7ctl with the words after the program name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ax7::cli
