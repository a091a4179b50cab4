#include <algorithm>
#include <ostream>
#include <system_error>

#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/version.h"

namespace ax7::cli {

namespace {

constexpr const char* kUsageHead =
    "usage: ax7ctl [GLOBAL OPTIONS] COMMAND [ARGS]\n"
    "\n"
    "Controls the AX7 audio processor over USB, or a simulated one.\n"
    "\n"
    "Global options:\n";

constexpr const char* kUsageTail =
    "\n"
    "Exit codes: 0 ok; 1 no box, link failure, box rejected, or an output file that cannot\n"
    "be written (standard output and --trace included); 2 bad input or usage (nothing is sent\n"
    "or written). diff, as diff(1): 0 the same, 1 different, 2 bad input or usage, 3 no box,\n"
    "a link failure or output that cannot be written.\n"
    "\n"
    "Commands:\n";

// The option table in two columns; continuation lines of a help text line up with its first.
void printGlobalOptions(std::ostream& s) {
  constexpr size_t kColumn = 21;
  for (const OptionDoc& doc : globalOptionDocs()) {
    std::string left = doc.names;
    if (doc.value) left += std::string(" ") + doc.value;
    left.resize(std::max(left.size() + 1, kColumn), ' ');
    s << "  " << left;
    for (const char* c = doc.help; *c; ++c) {
      s << *c;
      if (*c == '\n') s << std::string(kColumn + 2, ' ');
    }
    s << "\n";
  }
}

}  // namespace

int fail(Context& ctx, int code, const std::string& message) {
  std::string line = message;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  ctx.err << "ax7ctl: " << line << std::endl;
  return code;
}

int printUsage(Context& ctx, const CommandSpec& spec) {
  ctx.out << spec.usage;
  return kExitOk;
}

int usageError(Context& ctx, const CommandSpec& spec, const std::string& reason) {
  return fail(ctx, kExitUsage,
              std::string(spec.name) + ": " + reason + " (see ax7ctl " + spec.name + " --help)");
}

const std::vector<const CommandSpec*>& commandTable() {
  static const std::vector<const CommandSpec*> table = {
      &kDesignCommand, &kResponseCommand, &kModeFileCommand, &kReadCommand,
      &kWriteCommand,  &kStatusCommand,   &kListCommand,
      &kDoctorCommand,
      &kEqCommand,
      &kSettingsCommand, &kPlugsCommand,
      &kRemoteCommand,
      &kDiffCommand,
      &kParamsCommand, &kGetCommand, &kSetCommand, &kModeCommand,
      &kServeCommand,
  };
  return table;
}

namespace {

void printGlobalUsage(std::ostream& s) {
  s << kUsageHead;
  printGlobalOptions(s);
  s << kUsageTail;
  for (const CommandSpec* spec : commandTable()) {
    std::string name = spec->name;
    name.resize(10, ' ');
    s << "  " << name << spec->summary << "\n";
  }
  s << "\nRun 'ax7ctl COMMAND --help' for the arguments of a command.\n";
}

// --version among a command's own words (up to "--"), as after the command name.
bool asksVersion(const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    if (w == "--") return false;
    if (w == "--version") return true;
  }
  return false;
}

int dispatch(Context& ctx, const CommandLine& line, bool parsed, const std::string& error) {
  if (!parsed) return fail(ctx, kExitUsage, error + " (see ax7ctl --help)");
  if (line.options.version || (!line.options.help && asksVersion(line.words))) {
    ctx.out << "ax7ctl " << kVersion << "\n";
    return kExitOk;
  }
  if (line.command.empty()) {
    if (line.options.help) {
      printGlobalUsage(ctx.out);
      return kExitOk;
    }
    return fail(ctx, kExitUsage, "no command given (see ax7ctl --help)");
  }
  for (const CommandSpec* spec : commandTable()) {
    if (line.command == spec->name) {
      if (line.options.help) return printUsage(ctx, *spec);
      return spec->run(ctx, line.words);
    }
  }
  return fail(ctx, kExitUsage, "unknown command '" + line.command + "' (see ax7ctl --help)");
}

// Output that did not reach its file is a failure, however well the command went: the trace,
// then standard output, flushed here. diff's 1 is an answer, so its failure is its 3.
int checkOutput(Context& ctx, bool isDiff, int rc) {
  const int failure = isDiff ? kExitDiffTrouble : kExitFailure;
  auto failed = [&](const std::string& message) {
    fail(ctx, failure, message);
    if (rc == kExitOk || (isDiff && rc == kExitDiffDifferent)) rc = failure;
  };
  if (!ctx.traceError.empty()) failed(ctx.traceError);
  if (!ctx.out.flush()) {
    const auto* buffer = dynamic_cast<const DescriptorOutput*>(ctx.out.rdbuf());
    const int why = buffer ? buffer->error() : 0;
    failed(std::string("cannot write standard output") +
           (why ? ": " + std::generic_category().message(why) : std::string()));
  }
  return rc;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine line;
  std::string error;
  const bool parsed = parseCommandLine(args, &line, &error);
  Context ctx{line.options, out, err, {}};
  const int rc = dispatch(ctx, line, parsed, error);
  return checkOutput(ctx, parsed && line.command == kDiffCommand.name, rc);
}

}  // namespace ax7::cli
