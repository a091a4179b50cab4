// remote: the box's remote key table (show, load, save) and learning one key.
#include <cstdio>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "remote/remote_file.h"
#include "remote/remote_keys.h"

namespace ax7::cli {

namespace {

using remote::RemoteKeys;

constexpr int kDefaultLearnWaitS = 30;
constexpr int kMaxLearnWaitS = 3600;
constexpr int kTableAttempts = 3;

std::string hex2(int v) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X", unsigned(v) & 0xFFu);
  return buf;
}

// Connects, checks the box and reads its table into memory. Bytes 16 and 17 stay as memory
// holds them (zero in a new session): the box does not report them.
int readTable(Context& ctx, Session& session) {
  if (int rc = session.start(); rc != kExitOk) return rc;
  if (int rc = session.connect(); rc != kExitOk) return rc;
  if (int rc = session.identifyBox(); rc != kExitOk) return rc;
  for (int attempt = 0; attempt < kTableAttempts; ++attempt) {
    session.expectReport(remote::kCmdReadKeys);
    if (session.core().cmd.SendCommand(remote::kCmdReadKeys) != int(kReportSize)) break;
    if (session.waitForReport(remote::kCmdReadKeys, kReplyTimeoutMs)) return kExitOk;
    if (session.core().link.readThreadEnded()) break;
  }
  const bool gone = session.core().link.readThreadEnded() || !session.core().link.deviceOpen();
  session.close(!gone);
  return fail(ctx, kExitFailure,
              gone ? "the box was disconnected" : "the box did not send its remote key table");
}

Json tableJson(const RemoteKeys& keys) {
  Json doc = jsonDocument();
  doc["code_byte"] = keys[0];
  Json list = Json::array();
  for (const remote::KeyInfo& k : remote::Keys()) {
    Json key = Json::object();
    key["key"] = k.key;
    key["name"] = k.name;
    const bool reported = k.key < remote::kReportedBytes;
    key["code"] = reported ? Json(keys[size_t(k.key)]) : Json(nullptr);
    list.push_back(key);
  }
  doc["keys"] = list;
  doc["raw_hex"] = toHex(keys.data(), size_t(remote::kReportedBytes));
  return doc;
}

void printTable(Context& ctx, const RemoteKeys& keys) {
  ctx.out << "code byte: " << hex2(keys[0]) << "\n";
  for (const remote::KeyInfo& k : remote::Keys()) {
    char line[64];
    std::snprintf(line, sizeof line, "%2d %-8s ", k.key, k.name);
    ctx.out << line
            << (k.key < remote::kReportedBytes ? hex2(keys[size_t(k.key)])
                                               : std::string("-- (not reported by the box)"))
            << "\n";
  }
}

int runShow(Context& ctx, const std::vector<std::string>& words, const CommandSpec& spec) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) return usageError(ctx, spec, error);
  if (args.help) return printUsage(ctx, spec);
  if (!args.positional.empty()) return usageError(ctx, spec, "show takes no arguments");
  Session session(ctx);
  return session.run([&] {
    if (int rc = readTable(ctx, session); rc != kExitOk) return rc;
    const RemoteKeys keys = session.core().mem.dev.g_remoteKeys.snapshot();
    if (args.flags.count("--json")) {
      writeJson(ctx.out, tableJson(keys));
    } else {
      printTable(ctx, keys);
    }
    session.close(true);
    return kExitOk;
  });
}

int runSave(Context& ctx, const std::vector<std::string>& words, const CommandSpec& spec) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {}, &args, &error)) return usageError(ctx, spec, error);
  if (args.help) return printUsage(ctx, spec);
  if (args.positional.size() != 1) return usageError(ctx, spec, "save takes one FILE");
  const std::string path = args.positional[0];
  Session session(ctx);
  return session.run([&] {
    if (int rc = readTable(ctx, session); rc != kExitOk) return rc;
    const RemoteKeys keys = session.core().mem.dev.g_remoteKeys.snapshot();
    session.close(true);
    const SaveOutcome saved = remote::WriteRemoteFile(path, keys);
    if (!saved.ok) return fail(ctx, kExitFailure, "cannot write '" + path + "': " + saved.reason);
    ctx.err << "ax7ctl: note: the box does not report keys 16 and 17 (music+, music-); "
               "they are saved as 00\n";
    return kExitOk;
  });
}

int runLoad(Context& ctx, const std::vector<std::string>& words, const CommandSpec& spec) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error)) return usageError(ctx, spec, error);
  if (args.help) return printUsage(ctx, spec);
  if (args.positional.size() != 1) return usageError(ctx, spec, "load takes one FILE");
  const std::string path = args.positional[0];
  // Read before connecting: a file that cannot be read sends nothing.
  RemoteKeys fromFile{};
  const remote::RemoteFileResult probe = remote::ReadRemoteFile(path, fromFile);
  if (!probe.ok) return fail(ctx, kExitUsage, "cannot read '" + path + "': " + probe.reason);

  Session session(ctx);
  return session.run([&] {
    if (int rc = readTable(ctx, session); rc != kExitOk) return rc;
    // The bytes the file has replace the box's; a short file keeps the rest.
    RemoteKeys keys = session.core().mem.dev.g_remoteKeys.snapshot();
    const size_t taken = remote::ApplyRemoteFileBytes(fromFile.data(), probe.bytes, keys);
    session.core().mem.dev.g_remoteKeys.copyIn(0, keys.data(), keys.size());
    DirectSink direct(session.core().link, session.clock());
    session.expectReport(remote::kCmdWriteKeys);
    if (remote::ApplyRemoteKeys(direct, keys) != int(kReportSize)) {
      session.close(false);
      return fail(ctx, kExitFailure, "the box was disconnected");
    }
    // Done once the box confirmed, or when it is still there a reply time later.
    session.waitForReport(remote::kCmdWriteKeys, kReplyTimeoutMs);
    if (session.core().link.readThreadEnded()) {
      session.close(false);
      return fail(ctx, kExitFailure, "the box was disconnected before it confirmed the table");
    }
    session.close(true);
    if (args.flags.count("--json")) {
      Json doc = jsonDocument();
      doc["file"] = path;
      doc["bytes_from_file"] = taken;
      doc["sent_hex"] = toHex(keys.data(), keys.size());
      writeJson(ctx.out, doc);
    } else {
      ctx.out << "sent " << toHex(keys.data(), keys.size()) << " (" << taken
              << " bytes from the file)\n";
    }
    if (taken < keys.size()) {
      ctx.err << "ax7ctl: note: '" << path << "' has " << taken
              << " bytes; the other table bytes were kept"
              << (taken < size_t(remote::kReportedBytes + 1)
                      ? " (keys 16 and 17 are not reported by the box and went out as 00)"
                      : "")
              << "\n";
    }
    return kExitOk;
  });
}

int runLearn(Context& ctx, const std::vector<std::string>& words, const CommandSpec& spec) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--wait"}, {"--json"}, &args, &error)) return usageError(ctx, spec, error);
  if (args.help) return printUsage(ctx, spec);
  if (args.positional.size() != 1) return usageError(ctx, spec, "learn takes one KEY");
  const remote::KeyInfo* key = remote::KeyByName(args.positional[0]);
  if (!key) return usageError(ctx, spec, "unknown key '" + args.positional[0] + "'");
  int waitS = kDefaultLearnWaitS;
  if (auto it = args.values.find("--wait"); it != args.values.end()) {
    const auto v = parseInteger(it->second);
    if (!v || *v < 1 || *v > kMaxLearnWaitS)
      return usageError(ctx, spec,
                        "--wait takes whole seconds 1.." + std::to_string(kMaxLearnWaitS));
    waitS = int(*v);
  }

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    if (int rc = session.connect(); rc != kExitOk) return rc;
    if (int rc = session.identifyBox(); rc != kExitOk) return rc;
    Core& core = session.core();
    session.expectReport(remote::kCmdLearnKey);
    core.cmd.SendCommand(remote::kCmdLearnKey, key->key);
    Report answer{};
    if (!session.waitForReport(remote::kCmdLearnKey, int64_t(waitS) * 1000, &answer)) {
      if (core.link.readThreadEnded() || !core.link.deviceOpen()) {
        session.close(false);
        return fail(ctx, kExitFailure, "the box was disconnected while learning");
      }
      // The learn command is still waiting for its reply: stop without waiting for one.
      core.link.SetReplyEvent();
      core.cmd.SendCommand(remote::kCmdStopLearning);
      session.close(true);
      return fail(ctx, kExitFailure,
                  "no key code arrived within " + std::to_string(waitS) + " s; learning stopped");
    }
    session.close(true);
    const int code = answer[4];
    if (args.flags.count("--json")) {
      Json doc = jsonDocument();
      doc["key"] = key->key;
      doc["name"] = key->name;
      doc["reported_key"] = answer[3];
      doc["code"] = code;
      doc["code_hex"] = hex2(code);
      doc["code_byte"] = answer[2];
      writeJson(ctx.out, doc);
    } else {
      ctx.out << "key " << key->key << " (" << key->name << "): code " << hex2(code) << "\n";
    }
    return kExitOk;
  });
}

int runRemote(Context& ctx, const std::vector<std::string>& words);

}  // namespace

const CommandSpec kRemoteCommand = {
    "remote",
    "show, load, save or learn the box's remote-control key codes",
    "usage: ax7ctl remote show [--json]\n"
    "       ax7ctl remote load FILE [--json]\n"
    "       ax7ctl remote save FILE\n"
    "       ax7ctl remote learn KEY [--wait SECONDS] [--json]\n"
    "\n"
    "The box keeps an 18-byte remote key table: byte 0 is the code byte the box sends with\n"
    "every learned key, bytes 1..17 the codes of keys 1..17. A remote data file (.remo) holds\n"
    "exactly these 18 bytes. The box reports only bytes 0..15 when asked, so keys 16 and 17\n"
    "are unknown to ax7ctl.\n"
    "\n"
    "show   reads the table from the box and prints it (keys 16 and 17 as not reported).\n"
    "       --json: {\"api_version\": 1, \"code_byte\", \"keys\": [{\"key\", \"name\", "
    "\"code\"}],\n"
    "       \"raw_hex\"} with \"code\" null for keys 16 and 17.\n"
    "load   reads FILE (the path as given), puts its bytes over the box's table (a shorter\n"
    "       file replaces only the bytes it has, a longer one gives only its first 18) and\n"
    "       sends all 18 bytes. A file that cannot be read sends nothing (exit 2).\n"
    "       --json: {\"api_version\": 1, \"file\", \"bytes_from_file\", \"sent_hex\"}.\n"
    "save   reads the table from the box and writes the 18 bytes to FILE (the path as given;\n"
    "       keys 16 and 17 as 00), replacing it only once the new file is complete.\n"
    "learn  asks the box to learn KEY and waits until the remote's key is pressed, at most\n"
    "       --wait seconds (default 30); then prints the code. Without one it tells the box to\n"
    "       stop learning and exits 1.\n"
    "       --json: {\"api_version\": 1, \"key\", \"name\", \"reported_key\", \"code\",\n"
    "       \"code_hex\", \"code_byte\"}.\n"
    "\n"
    "KEY is a number 1..17 or a name: power source hdmi up down left right ok menu mute exit\n"
    "mic+ mic- effect+ effect- music+ music-.\n",
    runRemote,
};

namespace {

int runRemote(Context& ctx, const std::vector<std::string>& words) {
  const CommandSpec& spec = kRemoteCommand;
  if (words.empty()) return usageError(ctx, spec, "show, load, save or learn expected");
  const std::string& sub = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  if (sub == "show") return runShow(ctx, rest, spec);
  if (sub == "load") return runLoad(ctx, rest, spec);
  if (sub == "save") return runSave(ctx, rest, spec);
  if (sub == "learn") return runLearn(ctx, rest, spec);
  if (sub == "-h" || sub == "--help") return printUsage(ctx, spec);
  return usageError(ctx, spec, "unknown subcommand '" + sub + "'");
}

}  // namespace

}  // namespace ax7::cli
