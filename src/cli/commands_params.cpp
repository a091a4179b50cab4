// params, get, set and mode: single settings by their public names, and the box's four modes.
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "device/named_values.h"
#include "params/param_names.h"
#include "server/state_json.h"

namespace ax7::cli {

namespace {

constexpr uint8_t kSettingsRead = 0x92;
constexpr uint8_t kCmdLoadMode = 0x05;
constexpr int kModes = 4;

using server::valueJson;

std::string rangeText(const ParamName& n) {
  if (n.kind == ValueKind::Choice) {
    std::string list;
    for (const std::string& c : n.choices) list += (list.empty() ? "" : "|") + c;
    return list;
  }
  if (n.kind == ValueKind::Switch) return "0|1";
  std::string text = FormatNamedValue(n, n.minimum) + ".." + FormatNamedValue(n, n.maximum);
  if (n.step > 0 && n.step != 1) text += " step " + Json(n.step).dump();
  return text;
}

int runParams(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) {
    return usageError(ctx, kParamsCommand, error);
  }
  if (args.help) return printUsage(ctx, kParamsCommand);
  if (!args.positional.empty()) return usageError(ctx, kParamsCommand, "no arguments expected");
  if (args.flags.count("--json")) {
    writeJson(ctx.out, server::paramsDocument());
    return kExitOk;
  }
  char line[160];
  for (const ParamName& n : ParamNames()) {
    std::snprintf(line, sizeof line, "%-28s %-6s %-22s block %d index %d\n", n.name.c_str(),
                  n.unit, rangeText(n).c_str(), n.block, n.index);
    ctx.out << line;
  }
  return kExitOk;
}

// The names a word asks for: the name itself, or every name under it ("out3", "mic_a.eq").
std::vector<const ParamName*> namesFor(const std::string& word) {
  if (const ParamName* n = FindParamName(word)) return {n};
  std::vector<const ParamName*> found;
  const std::string prefix = word + ".";
  for (const ParamName& n : ParamNames()) {
    if (n.name.compare(0, prefix.size(), prefix) == 0) found.push_back(&n);
  }
  return found;
}

int runGet(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) return usageError(ctx, kGetCommand, error);
  if (args.help) return printUsage(ctx, kGetCommand);
  std::vector<const ParamName*> names;
  for (const std::string& word : args.positional) {
    const auto found = namesFor(word);
    if (found.empty()) return fail(ctx, kExitUsage, "get: no such name: " + word);
    names.insert(names.end(), found.begin(), found.end());
  }
  if (args.positional.empty()) {
    for (const ParamName& n : ParamNames()) names.push_back(&n);
  }

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;
    const ParameterMemory& mem = session.core().mem;
    if (args.flags.count("--json")) {
      Json values = Json::object();
      for (const ParamName* n : names) values[n->name] = valueJson(*n, ReadNamedValue(mem, *n));
      Json doc = jsonDocument();
      doc["mode"] = mem.dev.g_nCurrentMode.load() + 1;
      doc["values"] = values;
      writeJson(ctx.out, doc);
    } else {
      for (const ParamName* n : names) {
        ctx.out << n->name << "=" << FormatNamedValue(*n, ReadNamedValue(mem, *n)) << "\n";
      }
    }
    session.close(true);
    return kExitOk;
  });
}

int runSet(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {}, &args, &error)) return usageError(ctx, kSetCommand, error);
  if (args.help) return printUsage(ctx, kSetCommand);
  if (args.positional.empty()) return usageError(ctx, kSetCommand, "NAME=VALUE expected");
  std::vector<std::pair<std::string, InputValue>> pairs;
  for (const std::string& word : args.positional) {
    const size_t eq = word.find('=');
    if (eq == std::string::npos) {
      return fail(ctx, kExitUsage, "set: " + word + ": NAME=VALUE expected; nothing sent");
    }
    pairs.emplace_back(word.substr(0, eq), InputValue(word.substr(eq + 1)));
  }
  std::vector<NamedValue> values;
  if (!CheckNamedValues(pairs, &values, &error)) {
    return fail(ctx, kExitUsage, "set: " + error + "; nothing sent");
  }

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    if (int rc = session.connect(); rc != kExitOk) return rc;
    // Bands and the compressor travel with their other fields, which must be the box's.
    const int rc = NeedsStoredValues(values) ? session.synchronizeFromBox() : session.identifyBox();
    if (rc != kExitOk) return rc;
    if (NeedsBoxMaximum(values)) {
      Report ask{};
      ask[0] = 0x02;
      ask[1] = kSettingsRead;
      if (int r = session.exchange(ask, kSettingsRead, "with its settings"); r != kExitOk) return r;
    }
    const ParameterMemory& mem = session.core().mem;
    if (!CheckAgainstMemory(mem, values, &error) || !CheckBoxMaximum(mem.dev, values, &error)) {
      session.close(true);
      return fail(ctx, kExitUsage, "set: " + error + "; nothing sent");
    }
    const Session::WriteMark mark = session.markWrite();
    ApplyNamedValues(session.core().cmd, session.core().eq, values);
    if (int r = session.confirmWrite(mark); r != kExitOk) return r;
    session.close(true);
    return kExitOk;
  });
}

int runMode(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {}, &args, &error)) return usageError(ctx, kModeCommand, error);
  if (args.help) return printUsage(ctx, kModeCommand);
  if (args.positional.size() != 2 ||
      (args.positional[0] != "recall" && args.positional[0] != "save")) {
    return usageError(ctx, kModeCommand, "recall N or save N expected");
  }
  const auto mode = parseInteger(args.positional[1]);
  if (!mode || *mode < 1 || *mode > kModes) {
    return usageError(ctx, kModeCommand, "the mode is 1..4, not '" + args.positional[1] + "'");
  }
  const bool save = args.positional[0] == "save";
  const int m = int(*mode) - 1;

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    if (int rc = session.connect(); rc != kExitOk) return rc;
    if (int rc = session.identifyBox(); rc != kExitOk) return rc;
    const Session::WriteMark mark = session.markWrite();
    if (save) {
      // The window's "save mode" sends this one report; the box stores what it plays.
      session.core().cmd.SelectBoxMode(m);
    } else {
      session.core().cmd.SendCommand(kCmdLoadMode, m);
    }
    if (int rc = session.confirmWrite(mark); rc != kExitOk) return rc;
    ctx.out << (save ? "saved the settings in box mode M" : "recalled box mode M") << m + 1
            << "\n";
    session.close(true);
    return kExitOk;
  });
}

}  // namespace

const CommandSpec kParamsCommand = {
    "params",
    "list the names of every setting, with unit, range and DSP address",
    "usage: ax7ctl params [--json]\n"
    "\n"
    "Lists every setting that get and set know by name, one line each: the name, its unit,\n"
    "its range (or its choices) and the DSP block and index it is sent to. Names are lower\n"
    "case words joined by dots and do not change between versions: mic1..mic4 are the\n"
    "microphone inputs, out1..out8 the output channels, _a and _b the two effect groups,\n"
    "SET.eq.BAND.type|gain|freq|q the EQ bands (BAND from 1). Values are in the window's\n"
    "units: % for levels, ms for times, dB, Hz, steps for plain positions.\n"
    "--json: {\"api_version\": 1, \"params\": [{\"name\", \"type\" (integer, number, switch or\n"
    "choice), \"unit\", \"min\", \"max\", \"step\" (null: any number), \"choices\" (choice: name\n"
    "to code), \"instances\", \"instance\" (from 1), \"eq_set\" (bands), \"block\", \"index\"}]}.\n",
    runParams,
};

const CommandSpec kGetCommand = {
    "get",
    "read the box once and print settings by name",
    "usage: ax7ctl get [NAME...] [--json]\n"
    "\n"
    "Reads every setting from the box (checking it as read does) and prints NAME=VALUE per\n"
    "line in the units of ax7ctl params; choices by name. Without NAME every setting is\n"
    "printed; a NAME may also be the start of names (out3, mic_a.eq).\n"
    "An unknown NAME is refused with exit code 2 before the box is opened.\n"
    "--json: {\"api_version\": 1, \"mode\" (1..4), \"values\": {NAME: value}}.\n",
    runGet,
};

const CommandSpec kSetCommand = {
    "set",
    "change settings by name, each as the window changes it",
    "usage: ax7ctl set NAME=VALUE [NAME=VALUE...]\n"
    "\n"
    "Checks every pair first: an unknown name, a name given twice, a value that is not a\n"
    "number (or not one of the choices), not whole or not on the step, NaN, infinite or out\n"
    "of range is refused with exit code 2 and one line naming the pair; nothing is sent.\n"
    "Then sends the values with the reports the window sends for the same edits and exits\n"
    "0 once the box has taken them. A name changes one instance: linked output channels are\n"
    "not followed. Switches also take on/off; choices their names (any case).\n"
    "For EQ bands and the compressor the box is read first (their other fields travel\n"
    "along); a gain on a band type without gain, or a Q above 2 on a band other than PEQ, is\n"
    "refused then, still before anything is sent. mic.volume and music.volume above the\n"
    "maximum set in the box's settings are refused likewise.\n",
    runSet,
};

const CommandSpec kModeCommand = {
    "mode",
    "recall box mode 1..4, or save the current settings in it",
    "usage: ax7ctl mode recall N\n"
    "       ax7ctl mode save N\n"
    "\n"
    "recall makes the box load its mode MN (N 1..4); save stores the settings the box plays\n"
    "now in mode MN, replacing what it held. Exits 0 once the box has answered.\n",
    runMode,
};

}  // namespace ax7::cli
