// status and list: the live status record of a box, and the boxes present.
#include <cstdio>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "device/status_text.h"
#include "server/state_json.h"

namespace ax7::cli {

namespace {

using server::kStatusMicLevels;
using server::kStatusMusicFormat;
using server::kStatusMusicLevels;
using server::kStatusWireless1;
using server::kStatusWireless2;

std::string wirelessText(const std::array<uint8_t, kLiveStatusSize>& s, int first,
                         bool hasBattery) {
  std::string line = "RF:" + FormatRfBars(s[size_t(first)]) +
                     " AF:" + FormatAfBars(s[size_t(first + 1)]) +
                     " Freq:" + FormatMicFrequency(s[size_t(first + 2)]);
  if (hasBattery) line += " Battery:" + FormatBatteryBars(s[size_t(first + 3)]);
  return line;
}

void printStatus(Context& ctx, const std::array<uint8_t, kLiveStatusSize>& s, bool json) {
  if (json) {
    Json doc = jsonDocument();
    doc.update(server::statusJson(s));
    doc["raw_hex"] = toHex(s.data(), s.size());
    writeJson(ctx.out, doc);
    return;
  }
  char buf[128];
  std::snprintf(buf, sizeof buf, "microphone levels: %d %d %d %d\nmusic levels: %d %d\n",
                s[kStatusMicLevels], s[kStatusMicLevels + 1], s[kStatusMicLevels + 2],
                s[kStatusMicLevels + 3], s[kStatusMusicLevels], s[kStatusMusicLevels + 1]);
  ctx.out << buf << "music format: " << FormatMusicFormat(s[kStatusMusicFormat]) << "\n"
          << "wireless microphone 1: " << wirelessText(s, kStatusWireless1, true) << "\n"
          << "wireless microphone 2: " << wirelessText(s, kStatusWireless2, false) << "\n";
}

int runStatus(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) {
    return usageError(ctx, kStatusCommand, error);
  }
  if (args.help) return printUsage(ctx, kStatusCommand);
  if (!args.positional.empty()) return usageError(ctx, kStatusCommand, "no arguments expected");

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    if (int rc = session.connect(); rc != kExitOk) return rc;
    if (int rc = session.identifyBox(); rc != kExitOk) return rc;
    if (int rc = session.requestStatus(); rc != kExitOk) return rc;
    printStatus(ctx, session.core().mem.dev.g_liveStatus.snapshot(),
                args.flags.count("--json") > 0);
    session.close(true);
    return kExitOk;
  });
}

int runList(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) return usageError(ctx, kListCommand, error);
  if (args.help) return printUsage(ctx, kListCommand);
  if (!args.positional.empty()) return usageError(ctx, kListCommand, "no arguments expected");

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    Json boxes = Json::array();
    char id[16];
    for (const HidInterfaceInfo& info : session.backend().enumerate()) {
      if (info.vendorId != kBoxVendorId || info.productId != kBoxProductId) continue;
      std::snprintf(id, sizeof id, "%04x:%04x", unsigned(info.vendorId), unsigned(info.productId));
      if (args.flags.count("--json")) {
        Json b = Json::object();
        b["path"] = info.path;
        b["usb_id"] = id;
        b["serial"] = info.serial.empty() ? Json(nullptr) : Json(info.serial);
        b["active"] = info.active;
        boxes.push_back(b);
      } else {
        ctx.out << info.path << " " << id << (info.serial.empty() ? "" : " " + info.serial)
                << (info.active ? "" : " (inactive)") << "\n";
        boxes.push_back(info.path);
      }
    }
    if (args.flags.count("--json")) {
      Json doc = jsonDocument();
      doc["boxes"] = boxes;
      writeJson(ctx.out, doc);
    }
    if (boxes.empty()) return fail(ctx, kExitFailure, "no box found");
    return kExitOk;
  });
}

}  // namespace

const CommandSpec kStatusCommand = {
    "status",
    "show the box's live status (levels, music format, wireless microphones)",
    "usage: ax7ctl status [--json]\n"
    "\n"
    "Connects, checks the box's model and protocol version as read does, asks for its live\n"
    "status once and prints it: microphone and music levels, the music format and both\n"
    "wireless microphones (RF and AF bars, frequency, battery of the first).\n"
    "--json: {\"api_version\": 1, \"mic_levels\", \"music_levels\", \"music_format\",\n"
    "\"music_format_flags\", \"wireless\", \"raw_hex\"}.\n",
    runStatus,
};

const CommandSpec kListCommand = {
    "list",
    "list the boxes present",
    "usage: ax7ctl list [--json]\n"
    "\n"
    "Prints one line 'PATH VID:PID [SERIAL]' per box found (ids as 4 lowercase hex digits).\n"
    "--device hid:SERIAL or hid:PATH picks one of them for the other commands.\n"
    "--json: {\"api_version\": 1, \"boxes\": [{\"path\", \"usb_id\", \"serial\" (null when the\n"
    "box has none), \"active\"}]}.\n"
    "Exit code 1 when there is none.\n",
    runList,
};

}  // namespace ax7::cli
