// diff: what differs between two settings (mode files or the box); write --changed: only that
// goes to the box, after a snapshot of what the box held.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/json_output.h"
#include "cli/mode_file_io.h"
#include "cli/session.h"
#include "cli/write_changed.h"
#include "history/setting_names.h"
#include "history/snapshots.h"
#include "history/write_differences.h"
#include "params/defaults.h"
#include "params/mode_file.h"

namespace ax7::cli {

namespace {

using history::DiffLanguage;
using history::Difference;

constexpr const char* kBoxWord = "box";

const char* kindWord(Difference::Kind k) {
  switch (k) {
    case Difference::Kind::Param: return "param";
    case Difference::Kind::Band: return "band";
    case Difference::Kind::RoomTrim: return "room_trim";
    case Difference::Kind::RoomBlock: return "room_block";
  }
  return "";
}

const char* fieldWord(Difference::BandField f) {
  switch (f) {
    case Difference::BandField::Type: return "type";
    case Difference::BandField::Gain: return "gain";
    case Difference::BandField::Frequency: return "frequency";
    case Difference::BandField::Q: return "q";
    case Difference::BandField::None: break;
  }
  return "";
}

Json differenceJson(const Difference& d) {
  Json j = Json::object();
  j["kind"] = kindWord(d.kind);
  j["name"] = history::NameOf(d, DiffLanguage::English);
  j["name_zh"] = history::NameOf(d, DiffLanguage::Chinese);
  switch (d.kind) {
    case Difference::Kind::Param:
      j["param"] = Describe(d.param).name;
      if (Describe(d.param).perChannel) {
        j["channel"] = d.instance + 1;
      } else if (Describe(d.param).instances > 1) {
        j["input"] = d.instance + 1;
      }
      break;
    case Difference::Kind::Band:
      j["eq_set"] = d.set;
      j["band"] = d.band + 1;
      j["field"] = fieldWord(d.field);
      break;
    case Difference::Kind::RoomTrim:
      j["channel"] = d.instance + 1;
      break;
    case Difference::Kind::RoomBlock:
      j["entry"] = d.entry;
      break;
  }
  j["from"] = d.from;
  j["to"] = d.to;
  return j;
}

void printDifferences(Context& ctx, const std::vector<Difference>& diffs, DiffLanguage language) {
  for (const Difference& d : diffs) {
    ctx.out << history::NameOf(d, language) << ": " << history::ValueText(d.from, language)
            << " -> " << history::ValueText(d.to, language) << "\n";
  }
}

// A failure of the box while diffing: the other commands' 1 means "different" here.
int boxTrouble(int rc) {
  return rc == kExitOk ? rc : rc == kExitUsage ? kExitUsage : kExitDiffTrouble;
}

int runDiff(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--lang"}, {"--json"}, &args, &error)) {
    return usageError(ctx, kDiffCommand, error);
  }
  if (args.help) return printUsage(ctx, kDiffCommand);
  if (args.positional.size() != 2) return usageError(ctx, kDiffCommand, "two settings expected");
  DiffLanguage language = ChineseFromEnvironment() ? DiffLanguage::Chinese : DiffLanguage::English;
  if (auto lang = args.values.find("--lang"); lang != args.values.end()) {
    if (lang->second != "zh" && lang->second != "en") {
      return usageError(ctx, kDiffCommand, "--lang must be zh or en");
    }
    language = lang->second == "zh" ? DiffLanguage::Chinese : DiffLanguage::English;
  }

  // Files first: a file that cannot be read is refused before the box is opened.
  ParameterMemory sides[2];
  bool fromBox[2] = {false, false};
  for (int i = 0; i < 2; ++i) {
    InitParameterMemory(sides[i]);
    fromBox[i] = args.positional[size_t(i)] == kBoxWord;
    if (fromBox[i]) continue;
    int version = 0;
    if (!loadModeInput(args.positional[size_t(i)], sides[i], &version, &error)) {
      return fail(ctx, kExitUsage, error);
    }
  }
  if (fromBox[0] || fromBox[1]) {
    Session session(ctx);
    const int rc = session.run([&] {
      if (int r = session.start(); r != kExitOk) return r;
      if (int r = session.connect(); r != kExitOk) return r;
      if (int r = session.synchronizeFromBox(); r != kExitOk) return r;
      const history::SettingsImage image = history::ImageOf(session.core().mem);
      for (int i = 0; i < 2; ++i)
        if (fromBox[i]) history::LoadImage(sides[i], image);
      session.close(true);
      return kExitOk;
    });
    if (rc != kExitOk) return boxTrouble(rc);
  }

  const std::vector<Difference> diffs = history::DiffSettings(sides[0], sides[1]);
  if (args.flags.count("--json")) {
    Json doc = jsonDocument();
    doc["same"] = diffs.empty();
    Json list = Json::array();
    for (const Difference& d : diffs) list.push_back(differenceJson(d));
    doc["differences"] = list;
    writeJson(ctx.out, doc);
  } else {
    printDifferences(ctx, diffs, language);
  }
  return diffs.empty() ? kExitOk : kExitDiffDifferent;
}

int64_t wallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int runWriteChanged(Context& ctx, const std::string& path, bool snapshot) {
  std::string error;
  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;
    Core& core = session.core();

    // What the box held is kept before anything of it is replaced.
    if (snapshot) {
      history::SnapshotStore store(history::DefaultSnapshotDir());
      if (!store.save(history::ImageOf(core.mem), history::SnapshotReason::WriteChanged,
                      wallClockMs(), &error)) {
        session.close(true);
        return fail(ctx, kExitFailure,
                    "could not keep a snapshot of the box's settings: " + error +
                        "; nothing sent (--no-snapshot writes without one)");
      }
      ctx.out << "kept the box's settings in " << store.dir() << "\n";
    }

    // Loaded over what the box sent, so parts an older file lacks keep the box's values.
    ParameterMemory target;
    InitParameterMemory(target);
    history::LoadImage(target, history::ImageOf(core.mem));
    int version = 0;
    if (!loadModeInput(path, target, &version, &error)) {
      session.close(true);
      return fail(ctx, kExitUsage, error + "; nothing sent");
    }
    const size_t differences = history::DiffSettings(core.mem, target).size();
    ctx.out << "writing " << differences << (differences == 1 ? " difference" : " differences")
            << " to the box\n"
            << std::flush;
    const Session::WriteMark mark = session.markWrite();
    const int sent = history::WriteDifferences(core.cmd, core.eq, target);
    if (int rc = session.confirmWrite(mark); rc != kExitOk) return rc;
    ctx.out << "wrote " << path << " to the box: " << sent << (sent == 1 ? " report" : " reports")
            << "\n";
    const int pendingMode = BoxModeFromFileName(path);
    if (pendingMode >= 0) {
      if (int rc = session.storeInBoxMode(pendingMode); rc != kExitOk) return rc;
      ctx.out << "stored in box mode M" << pendingMode + 1 << "\n";
    }
    session.close(true);
    return kExitOk;
  });
}

const CommandSpec kDiffCommand = {
    "diff",
    "list what differs between two mode files, or a mode file and the box",
    "usage: ax7ctl diff [--json] [--lang zh|en] FILE FILE\n"
    "\n"
    "Lists every setting that differs from the first FILE to the second, by name and value,\n"
    "one per line (\"CH-L delay: 1.5 ms -> 3.0 ms\"), in the order a write sends them. A FILE\n"
    "is a mode file of any version or its JSON; the word box reads the box's settings instead.\n"
    "The language follows the locale, or --lang.\n"
    "--json: {\"api_version\": 1, \"same\", \"differences\" [{\"kind\" (\"param\", \"band\",\n"
    "\"room_trim\", \"room_block\"), \"name\", \"name_zh\", \"from\", \"to\", and \"param\" with\n"
    "\"channel\" or \"input\" (from 1), or \"eq_set\", \"band\" (from 1) and \"field\", or "
    "\"channel\",\n"
    "or \"entry\" (room block byte)}]}.\n"
    "Exit code, as diff(1): 0 the same, 1 different, 2 bad input or usage, 3 no box, a link\n"
    "failure or output that cannot be written.\n",
    runDiff,
};

}  // namespace ax7::cli
