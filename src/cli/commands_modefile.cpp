// modefile show / convert: mode files on the computer, without a box.
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/mode_file_io.h"
#include "cli/mode_file_json.h"
#include "cli/mode_file_text.h"
#include "params/defaults.h"

namespace ax7::cli {

namespace {

int runShow(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) {
    return usageError(ctx, kModeFileCommand, error);
  }
  if (args.help) return printUsage(ctx, kModeFileCommand);
  if (args.positional.size() != 1) {
    return usageError(ctx, kModeFileCommand, "show takes one FILE");
  }
  ParameterMemory mem;
  InitParameterMemory(mem);
  int version = 0;
  if (!loadModeInput(args.positional[0], mem, &version, &error)) {
    return fail(ctx, kExitUsage, error);
  }
  if (args.flags.count("--json")) {
    writeJson(ctx.out, modeFileToJson(mem, version));
  } else {
    printModeFile(ctx.out, args.positional[0], mem, version);
  }
  return kExitOk;
}

int runConvert(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {}, &args, &error)) return usageError(ctx, kModeFileCommand, error);
  if (args.help) return printUsage(ctx, kModeFileCommand);
  if (args.positional.size() != 2) {
    return usageError(ctx, kModeFileCommand, "convert takes IN and OUT");
  }
  ParameterMemory mem;
  InitParameterMemory(mem);
  int version = 0;
  if (!loadModeInput(args.positional[0], mem, &version, &error)) {
    return fail(ctx, kExitUsage, error + "; nothing written");
  }
  if (!writeModeOutput(args.positional[1], mem, version, &error)) {
    return fail(ctx, kExitFailure, error);
  }
  return kExitOk;
}

int runModeFile(Context& ctx, const std::vector<std::string>& words) {
  if (words.empty()) return usageError(ctx, kModeFileCommand, "show or convert expected");
  const std::string& sub = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  if (sub == "show") return runShow(ctx, rest);
  if (sub == "convert") return runConvert(ctx, rest);
  if (sub == "-h" || sub == "--help") return printUsage(ctx, kModeFileCommand);
  return usageError(ctx, kModeFileCommand, "unknown subcommand '" + sub + "'");
}

}  // namespace

const CommandSpec kModeFileCommand = {
    "modefile",
    "show or convert mode files (.px44t) and their JSON",
    "usage: ax7ctl modefile show FILE [--json]\n"
    "       ax7ctl modefile convert IN OUT\n"
    "\n"
    "show     prints a mode file of any version (1..5), or its JSON: the PC block words\n"
    "         (int and float views), the band records by EQ set, the room trims and the room.\n"
    "         Parts an older version lacks show the start-up defaults.\n"
    "         --json prints {\"api_version\": 1, \"version\", \"pc_words\", \"band_records\",\n"
    "         \"room_trims_db\", \"room_trim_hex\", \"room\", \"room_block_hex\"}.\n"
    "convert  reads IN (a mode file of any version, or JSON as printed by show --json) and\n"
    "         writes OUT: JSON when OUT ends in .json, otherwise a version-5 mode file.\n"
    "         What an older version lacks comes from the start-up defaults. Nothing is\n"
    "         written when IN is refused.\n"
    "\n"
    "In JSON input the raw forms win: pc_words[n].raw (or a plain number), band_records[n]\n"
    ".raw_hex (or a hex string), room_trim_hex and room_block_hex. Leave a raw form out to\n"
    "use the decoded values instead (int or float; type, gain_db, frequency, q; room_trims_db;\n"
    "room).\n",
    runModeFile,
};

}  // namespace ax7::cli
