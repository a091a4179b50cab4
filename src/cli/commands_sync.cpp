// read and write: full synchronisations with a box.
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/mode_file_io.h"
#include "cli/session.h"
#include "cli/write_changed.h"
#include "params/defaults.h"
#include "params/mode_file.h"

namespace ax7::cli {

namespace {

void printBoxInfo(Context& ctx, const DeviceState& dev, bool json) {
  const int mode = dev.g_nCurrentMode.load();
  if (json) {
    Json doc = jsonDocument();
    doc["module"] = toUtf8(dev.g_szModule.get());
    doc["mcu_version"] = toUtf8(dev.g_szMcuVersion.get());
    doc["dsp_version"] = toUtf8(dev.g_szDspVersion.get());
    doc["command_version"] = int(dev.g_nCmdVersion.load());
    doc["current_mode"] = mode + 1;
    Json names = Json::array();
    for (const auto& name : dev.g_szModeName) names.push_back(toUtf8(name.get()));
    doc["mode_names"] = names;
    writeJson(ctx.out, doc);
    return;
  }
  ctx.out << "module: " << toUtf8(dev.g_szModule.get()) << "\n"
          << "MCU version: " << toUtf8(dev.g_szMcuVersion.get()) << "\n"
          << "DSP version: " << toUtf8(dev.g_szDspVersion.get()) << "\n"
          << "command version: " << int(dev.g_nCmdVersion.load()) << "\n"
          << "current mode: M" << mode + 1 << "\n";
  for (int m = 0; m < 4; ++m) {
    ctx.out << "mode name M" << m + 1 << ": " << toUtf8(dev.g_szModeName[size_t(m)].get()) << "\n";
  }
}

int runRead(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--save"}, {"--json"}, &args, &error)) {
    return usageError(ctx, kReadCommand, error);
  }
  if (args.help) return printUsage(ctx, kReadCommand);
  if (!args.positional.empty()) return usageError(ctx, kReadCommand, "no arguments expected");

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;
    printBoxInfo(ctx, session.core().mem.dev, args.flags.count("--json") > 0);
    int rc = kExitOk;
    if (auto it = args.values.find("--save"); it != args.values.end()) {
      if (!writeModeOutput(it->second, session.core().mem, kModeFileVersion, &error)) {
        rc = fail(ctx, kExitFailure, error);
      }
    }
    session.close(true);
    return rc;
  });
}

int runWrite(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--changed", "--no-snapshot"}, &args, &error)) {
    return usageError(ctx, kWriteCommand, error);
  }
  if (args.help) return printUsage(ctx, kWriteCommand);
  if (args.positional.size() != 1) return usageError(ctx, kWriteCommand, "one FILE expected");
  const std::string& path = args.positional[0];
  const bool changed = args.flags.count("--changed") > 0;
  if (args.flags.count("--no-snapshot") && !changed) {
    return usageError(ctx, kWriteCommand, "--no-snapshot goes with --changed");
  }

  // A file the box would refuse is refused before the box is even opened.
  {
    ParameterMemory check;
    InitParameterMemory(check);
    int version = 0;
    if (!loadModeInput(path, check, &version, &error)) {
      return fail(ctx, kExitUsage, error + "; nothing sent");
    }
  }
  if (changed) return runWriteChanged(ctx, path, args.flags.count("--no-snapshot") == 0);

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;

    // Loaded over what the box just sent, so parts an older file lacks keep the box's values.
    const int pendingMode = BoxModeFromFileName(path);
    int version = 0;
    if (!loadModeInput(path, session.core().mem, &version, &error)) {
      session.close(true);
      return fail(ctx, kExitUsage, error + "; nothing sent");
    }
    if (int rc = session.synchronizeToBox(); rc != kExitOk) return rc;
    ctx.out << "wrote " << path << " to the box\n";
    if (pendingMode >= 0) {
      if (int rc = session.storeInBoxMode(pendingMode); rc != kExitOk) return rc;
      ctx.out << "stored in box mode M" << pendingMode + 1 << "\n";
    }
    session.close(true);
    return kExitOk;
  });
}

}  // namespace

const CommandSpec kReadCommand = {
    "read",
    "read everything from the box; show its identity, optionally save a mode file",
    "usage: ax7ctl read [--save FILE] [--json]\n"
    "\n"
    "Connects, reads all settings from the box and checks its model and protocol version.\n"
    "Prints the module, MCU and DSP versions, the command version, the current mode and the\n"
    "four mode names (--json: {\"api_version\": 1, \"module\", \"mcu_version\", \"dsp_version\",\n"
    "\"command_version\", \"current_mode\" (1..4), \"mode_names\"}).\n"
    "--save FILE  also writes the settings read: JSON when FILE ends in .json, otherwise a\n"
    "             version-5 mode file.\n",
    runRead,
};

const CommandSpec kWriteCommand = {
    "write",
    "write a mode file (or its JSON) to the box",
    "usage: ax7ctl write FILE [--changed] [--no-snapshot]\n"
    "\n"
    "Connects, reads the box and checks it, loads FILE (a mode file of any version, or its\n"
    "JSON) over what the box sent and writes everything to the box. When the file name starts\n"
    "with m1, m2, m3 or m4 (any case) the settings are then stored in that box mode.\n"
    "A file that cannot be loaded is refused with exit code 2 and nothing is sent.\n"
    "--changed      writes only the settings that differ from what the box holds (each with\n"
    "               the reports a full write sends for it), after keeping the box's settings\n"
    "               as a snapshot in $XDG_DATA_HOME/ax7-control/snapshots (the newest 100 are\n"
    "               kept). When the snapshot cannot be written nothing is sent (exit code 1).\n"
    "--no-snapshot  with --changed: writes without keeping a snapshot first.\n",
    runWrite,
};

}  // namespace ax7::cli
