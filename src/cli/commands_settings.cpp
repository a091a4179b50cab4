// settings: the box's own settings record (start and maximum volumes, save mode, power-on
// mode), shown and applied.
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "device/machine_settings.h"

namespace ax7::cli {

namespace {

constexpr uint8_t kSettingsRead = 0x92;
constexpr uint8_t kSettingsWrite = 0x91;

// The edits asked for on the command line; unset members keep the box's value.
struct SettingsEdit {
  std::optional<int> micStart, musicStart;  // kNoStartVolume for "off"
  std::optional<int> micMax, musicMax;
  std::optional<int> saveBy;   // 0 power, 1 mode
  std::optional<int> powerOn;  // 0 auto, 1..4
};

const char* const kPowerOnNames[] = {"auto", "m1", "m2", "m3", "m4"};

Json startJson(const SettingsRecord& r, size_t start, size_t max) {
  const auto v = SettingsStart(r, start, max);
  return v ? Json(*v) : Json(nullptr);
}

void printSettings(Context& ctx, const SettingsRecord& r, bool json) {
  const int powerOn = SettingsPowerOn(r);
  const char* saveBy = r[kSetSaveMode] == 1 ? "mode" : "power";
  if (json) {
    Json doc = jsonDocument();
    doc["mic_start"] = startJson(r, kSetMicStart, kSetMicMax);
    doc["music_start"] = startJson(r, kSetMusicStart, kSetMusicMax);
    doc["mic_max"] = SettingsMaximum(r[kSetMicMax]);
    doc["music_max"] = SettingsMaximum(r[kSetMusicMax]);
    doc["save_by"] = saveBy;
    doc["power_on"] = powerOn >= 0 ? Json(kPowerOnNames[powerOn]) : Json(nullptr);
    doc["raw_hex"] = toHex(r.data(), r.size());
    writeJson(ctx.out, doc);
    return;
  }
  auto start = [&](size_t s, size_t m) {
    const auto v = SettingsStart(r, s, m);
    return v ? std::to_string(*v) : std::string("off");
  };
  ctx.out << "mic start volume: " << start(kSetMicStart, kSetMicMax) << "\n"
          << "music start volume: " << start(kSetMusicStart, kSetMusicMax) << "\n"
          << "mic max volume: " << SettingsMaximum(r[kSetMicMax]) << "\n"
          << "music max volume: " << SettingsMaximum(r[kSetMusicMax]) << "\n"
          << "save volumes by: " << saveBy << "\n"
          << "power-on mode: "
          << (powerOn >= 0 ? kPowerOnNames[powerOn]
                           : "none (" + std::to_string(r[kSetPowerOn]) + ")")
          << "\n";
}

bool parseVolume(const std::string& word, int min, bool offAllowed, int* out) {
  if (offAllowed && word == "off") {
    *out = kNoStartVolume;
    return true;
  }
  const auto v = parseInteger(word);
  if (!v || *v < min || *v > kMaxStartVolume) return false;
  *out = int(*v);
  return true;
}

// Reads the options into `edit`; a one-line reason on failure.
bool parseEdit(const ParsedArgs& args, SettingsEdit* edit, std::string* error) {
  struct Volume {
    const char* option;
    int min;
    bool off;
    std::optional<int> SettingsEdit::*field;
    const char* range;
  };
  static const Volume kVolumes[] = {
      {"--mic-start", 0, true, &SettingsEdit::micStart, "0..99 or off"},
      {"--music-start", 0, true, &SettingsEdit::musicStart, "0..99 or off"},
      {"--mic-max", 1, false, &SettingsEdit::micMax, "1..99"},
      {"--music-max", 1, false, &SettingsEdit::musicMax, "1..99"},
  };
  for (const Volume& v : kVolumes) {
    auto it = args.values.find(v.option);
    if (it == args.values.end()) continue;
    int value = 0;
    if (!parseVolume(it->second, v.min, v.off, &value)) {
      *error = std::string(v.option) + " takes " + v.range + ", not '" + it->second + "'";
      return false;
    }
    edit->*v.field = value;
  }
  if (auto it = args.values.find("--save-by"); it != args.values.end()) {
    if (it->second != "power" && it->second != "mode") {
      *error = "--save-by takes power or mode, not '" + it->second + "'";
      return false;
    }
    edit->saveBy = it->second == "mode" ? 1 : 0;
  }
  if (auto it = args.values.find("--power-on"); it != args.values.end()) {
    for (int i = 0; i < kPowerOnModes; ++i) {
      if (it->second == kPowerOnNames[i]) edit->powerOn = i;
    }
    if (!edit->powerOn) {
      *error = "--power-on takes auto, m1, m2, m3 or m4, not '" + it->second + "'";
      return false;
    }
  }
  return true;
}

// The edit over the box's record, as the machine settings window makes it: a lower maximum
// pulls its start volume down with it; a start volume above its maximum is refused.
bool applyEdit(const SettingsEdit& e, SettingsRecord& r, std::string* error) {
  struct Pair {
    const std::optional<int>& start;
    const std::optional<int>& max;
    size_t startByte, maxByte;
    const char* name;
  };
  const Pair pairs[] = {
      {e.micStart, e.micMax, kSetMicStart, kSetMicMax, "mic"},
      {e.musicStart, e.musicMax, kSetMusicStart, kSetMusicMax, "music"},
  };
  for (const Pair& p : pairs) {
    if (p.max) {
      r[p.maxByte] = uint8_t(*p.max);
      if (r[p.startByte] != kNoStartVolume && r[p.startByte] > *p.max)
        r[p.startByte] = uint8_t(*p.max);
    }
    if (p.start) {
      if (*p.start != kNoStartVolume && *p.start > r[p.maxByte]) {
        *error = std::string(p.name) + " start volume " + std::to_string(*p.start) +
                 " is above the maximum " + std::to_string(r[p.maxByte]) + "; nothing sent";
        return false;
      }
      r[p.startByte] = uint8_t(*p.start);
    }
  }
  if (e.saveBy) r[kSetSaveMode] = r[kSetSaveModeSource] = uint8_t(*e.saveBy);
  if (e.powerOn) r[kSetPowerOn] = uint8_t(*e.powerOn);
  return true;
}

int runSettings(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(
          words,
          {"--mic-start", "--music-start", "--mic-max", "--music-max", "--save-by", "--power-on"},
          {"--json"}, &args, &error)) {
    return usageError(ctx, kSettingsCommand, error);
  }
  if (args.help) return printUsage(ctx, kSettingsCommand);
  if (args.positional.size() != 1 ||
      (args.positional[0] != "show" && args.positional[0] != "apply")) {
    return usageError(ctx, kSettingsCommand, "show or apply expected");
  }
  const bool apply = args.positional[0] == "apply";
  const bool json = args.flags.count("--json") > 0;
  SettingsEdit edit;
  if (!parseEdit(args, &edit, &error)) return usageError(ctx, kSettingsCommand, error);
  if (!apply && args.values.size() > 0) {
    return usageError(ctx, kSettingsCommand, "settings show takes no settings");
  }
  if (apply && args.values.empty()) {
    return usageError(ctx, kSettingsCommand, "settings apply needs at least one setting");
  }

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    if (int rc = session.connect(); rc != kExitOk) return rc;
    if (int rc = session.identifyBox(); rc != kExitOk) return rc;
    Report ask{};
    ask[0] = 0x02;
    ask[1] = kSettingsRead;
    if (int rc = session.exchange(ask, kSettingsRead, "with its settings"); rc != kExitOk)
      return rc;
    DeviceState& dev = session.core().mem.dev;
    SettingsRecord record = dev.g_settingsCurrent.snapshot();
    if (apply) {
      record = NormalisedSettings(record);
      if (!applyEdit(edit, record, &error)) {
        session.close(true);
        return fail(ctx, kExitUsage, error);
      }
      const Report frame = SettingsApplyFrame(record);
      if (int rc = session.exchange(frame, kSettingsWrite, "to the new settings"); rc != kExitOk)
        return rc;
      dev.g_settingsCurrent.copyIn(0, record.data(), record.size());
      dev.g_settingsEdit.copyIn(0, record.data(), record.size());
    }
    printSettings(ctx, record, json);
    session.close(true);
    return kExitOk;
  });
}

}  // namespace

const CommandSpec kSettingsCommand = {
    "settings",
    "show or apply the box's own settings (start and maximum volumes, power-on mode)",
    "usage: ax7ctl settings show [--json]\n"
    "       ax7ctl settings apply [--mic-start N|off] [--music-start N|off] [--mic-max N]\n"
    "                             [--music-max N] [--save-by power|mode]\n"
    "                             [--power-on auto|m1|m2|m3|m4] [--json]\n"
    "\n"
    "The settings the box keeps for itself rather than per mode. show reads and prints them;\n"
    "apply reads them, changes what is given and writes the whole record back (bytes this\n"
    "program does not edit are sent back as read), then prints the result.\n"
    "  --mic-start, --music-start  start volume 0..99, or off (the box keeps its last volume)\n"
    "  --mic-max, --music-max      maximum volume 1..99; a lower maximum also lowers a start\n"
    "                              volume above it; a start volume above its maximum is refused\n"
    "  --save-by power|mode        save the master volumes after every change, or with the mode\n"
    "  --power-on auto|m1..m4      the mode the box starts in\n"
    "A maximum the box reports outside 1..99 is read as 99.\n"
    "--json: {\"api_version\": 1, \"mic_start\" (null when off), \"music_start\", \"mic_max\",\n"
    "\"music_max\", \"save_by\", \"power_on\" (null for a value the box should not have),\n"
    "\"raw_hex\"}.\n",
    runSettings,
};

}  // namespace ax7::cli
