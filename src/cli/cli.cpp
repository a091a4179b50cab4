#include <ostream>

#include "cli/command.h"
#include "cli/exit_codes.h"

namespace ax7::cli {

namespace {

constexpr const char* kGlobalUsage =
    "usage: ax7ctl [GLOBAL OPTIONS] COMMAND [ARGS]\n"
    "\n"
    "Controls the AX7 audio processor over USB, or a simulated one.\n"
    "\n"
    "Global options:\n"
    "  --device sim|hid     the box to talk to (default hid: a real box over USB)\n"
    "  --trace FILE         write every report and the start of each long operation to FILE\n"
    "  --timeout SECONDS    limit for each synchronisation with the box (default 30)\n"
    "  --sim-state FILE     (sim) the simulated box starts with the settings of mode file FILE\n"
    "  --sim-latency MS     (sim) answer delay per report (default 0)\n"
    "  --sim-fault SPEC     (sim, repeatable) silent, model=NAME, version=N, param-error=STATUS,\n"
    "                       unplug-after=N, garbage=PERCENT\n"
    "                       learn-delay=MS (a learned key code comes after MS, default 500),\n"
    "                       no-learn (no key is ever pressed on the remote)\n"
    "  -h, --help           this text\n"
    "\n"
    "Exit codes: 0 ok; 1 no box, link failure, box rejected, or an output file that cannot\n"
    "be written; 2 bad input or usage (nothing is sent or written).\n"
    "\n"
    "Commands:\n";

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
      &kRemoteCommand,
  };
  return table;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine line;
  std::string error;
  const bool parsed = parseCommandLine(args, &line, &error);
  Context ctx{line.options, out, err};
  auto printGlobalUsage = [&](std::ostream& s) {
    s << kGlobalUsage;
    for (const CommandSpec* spec : commandTable()) {
      std::string name = spec->name;
      name.resize(10, ' ');
      s << "  " << name << spec->summary << "\n";
    }
    s << "\nRun 'ax7ctl COMMAND --help' for the arguments of a command.\n";
  };
  if (!parsed) return fail(ctx, kExitUsage, error + " (see ax7ctl --help)");
  if (line.command.empty()) {
    if (line.options.help) {
      printGlobalUsage(out);
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

}  // namespace ax7::cli
