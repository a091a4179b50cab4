// eq export / import: one EQ set to and from the files of measurement and DSP tools.
#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/eq_report_json.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/mode_file_io.h"
#include "cli/session.h"
#include "device/usb_link.h"
#include "dsp/section_type.h"
#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"
#include "eqx/numbers.h"
#include "history/snapshots.h"
#include "params/atomic_save.h"
#include "params/defaults.h"
#include "params/file_read.h"
#include "params/mode_file.h"

namespace ax7::cli {

namespace {

constexpr size_t kMaxEqFileBytes = 4 * 1024 * 1024;

bool endsWith(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) {
      return false;
    }
  }
  return true;
}

// True when both name the same existing file (through links, "./", hard links), as cp checks.
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = std::filesystem::equivalent(a, b, ec);
  return same && !ec;
}

int64_t wallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Keeps what the box holds before an import replaces a set; the snapshot's path (or its folder)
// in *where. False, with *error, when it could not be written.
bool keepSnapshot(const ParameterMemory& mem, std::string* where, std::string* error) {
  history::SnapshotStore store(history::DefaultSnapshotDir());
  if (!store.save(history::ImageOf(mem), history::SnapshotReason::EqImport, wallClockMs(), error)) {
    return false;
  }
  const std::vector<history::Snapshot> kept = store.list();
  *where = !kept.empty() && kept.front().reason == history::SnapshotReason::EqImport
               ? kept.front().path
               : store.dir();
  return true;
}

std::optional<eqx::Format> formatOption(const ParsedArgs& args, bool allowAuto) {
  const auto it = args.values.find("--format");
  if (it == args.values.end()) return eqx::Format::Auto;
  const auto f = eqx::parseFormatName(it->second);
  if (!f || (!allowAuto && *f == eqx::Format::Auto)) return std::nullopt;
  return f;
}

int runExport(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--from", "--format", "-o"}, {}, &args, &error)) {
    return usageError(ctx, kEqCommand, error);
  }
  if (args.help) return printUsage(ctx, kEqCommand);
  if (args.positional.size() != 1) return usageError(ctx, kEqCommand, "export takes one SET");
  const auto set = eqx::parseSetName(args.positional[0]);
  if (!set) return usageError(ctx, kEqCommand, "unknown SET '" + args.positional[0] + "'");
  auto format = formatOption(args, false);
  if (!format)
    return usageError(ctx, kEqCommand, "--format must be apo, rew, camilladsp, biquad or json");
  const auto out = args.values.find("-o");
  if (*format == eqx::Format::Auto) {
    format = eqx::Format::Apo;
    if (out != args.values.end()) {
      if (endsWith(out->second, ".json"))
        format = eqx::Format::Json;
      else if (endsWith(out->second, ".yml") || endsWith(out->second, ".yaml"))
        format = eqx::Format::CamillaDsp;
    }
  }
  auto write = [&](const ParameterMemory& mem) {
    const std::string text = eqx::writeEqFile(*format, *set, eqx::loadSet(mem, *set));
    if (out == args.values.end() || out->second == "-") {
      ctx.out << text;
      return kExitOk;
    }
    const SaveOutcome saved =
        SaveFileAtomically(out->second, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!saved.ok)
      return fail(ctx, kExitFailure, "cannot write '" + out->second + "': " + saved.reason);
    return kExitOk;
  };
  if (const auto from = args.values.find("--from"); from != args.values.end()) {
    auto mem = std::make_unique<ParameterMemory>();
    InitParameterMemory(*mem);
    int version = 0;
    if (!loadModeInput(from->second, *mem, &version, &error)) return fail(ctx, kExitUsage, error);
    return write(*mem);
  }
  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;
    const int rc = write(session.core().mem);
    session.close(true);
    return rc;
  });
}

int runImport(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--format", "--channel", "--into", "-o"},
                 {"--dry-run", "--json", "--no-snapshot"}, &args, &error)) {
    return usageError(ctx, kEqCommand, error);
  }
  if (args.help) return printUsage(ctx, kEqCommand);
  if (args.positional.size() != 2) return usageError(ctx, kEqCommand, "import takes FILE and SET");
  const auto set = eqx::parseSetName(args.positional[1]);
  if (!set) return usageError(ctx, kEqCommand, "unknown SET '" + args.positional[1] + "'");
  const auto format = formatOption(args, true);
  if (!format) {
    return usageError(ctx, kEqCommand,
                      "--format must be auto, apo, rew, camilladsp, biquad or json");
  }
  const auto into = args.values.find("--into");
  const auto out = args.values.find("-o");
  if ((into == args.values.end()) != (out == args.values.end())) {
    return usageError(ctx, kEqCommand, "--into and -o go together");
  }
  const bool dryRun = args.flags.count("--dry-run") > 0;
  const bool json = args.flags.count("--json") > 0;
  const bool snapshot = args.flags.count("--no-snapshot") == 0;
  if (!snapshot && into != args.values.end()) {
    return usageError(ctx, kEqCommand, "--no-snapshot goes with an import to the box");
  }
  // Replacing the file being read would lose it on any failure; cp refuses it as well.
  if (into != args.values.end() && !dryRun && sameFile(into->second, out->second)) {
    return fail(ctx, kExitUsage,
                "'" + out->second + "' and '" + into->second +
                    "' are the same file: -o must name another file; nothing written");
  }

  const std::string& path = args.positional[0];
  const InputFile in = ReadInputFile(path, kMaxEqFileBytes);
  if (!in.ok) return fail(ctx, kExitUsage, "cannot read '" + path + "': " + in.reason);
  if (in.truncated) return fail(ctx, kExitUsage, "'" + path + "' is larger than an EQ file can be");
  eqx::ReadOptions options;
  options.format = *format;
  if (auto c = args.values.find("--channel"); c != args.values.end()) options.channel = c->second;
  const eqx::ReadResult read =
      eqx::readEqFile(std::string(in.bytes.begin(), in.bytes.end()), options);
  if (!read.ok) return fail(ctx, kExitUsage, "'" + path + "': " + read.error + "; nothing changed");

  auto report = [&](const eqx::ImportReport& r, bool applied) {
    if (json)
      writeJson(ctx.out, eqImportReportJson(r, *set, applied));
    else
      ctx.err << eqx::reportText(r) << (applied || !dryRun ? "" : "nothing applied (dry run)\n");
  };
  // A file none of whose filters fills a band would only flatten the set: refused, after the
  // report that says why for each filter.
  auto nothingToApply = [&](const eqx::ImportReport& r) {
    report(r, false);
    return fail(ctx, kExitUsage,
                "no filter of '" + path + "' can be applied to " + eqx::setName(*set) +
                    "; nothing " + (into != args.values.end() ? "written" : "sent"));
  };

  if (into != args.values.end()) {
    auto mem = std::make_unique<ParameterMemory>();
    InitParameterMemory(*mem);
    int version = 0;
    if (!loadModeInput(into->second, *mem, &version, &error)) return fail(ctx, kExitUsage, error);
    const eqx::ImportResult result = eqx::mapToSet(read.eq, *set, eqx::loadSet(*mem, *set));
    if (result.report.bandsFilled() == 0) return nothingToApply(result.report);
    report(result.report, !dryRun);
    if (dryRun) return kExitOk;
    eqx::storeSet(*mem, *set, result.bands);
    if (!writeModeOutput(out->second, *mem, kModeFileVersion, &error)) {
      return fail(ctx, kExitFailure, error);
    }
    return kExitOk;
  }

  // Whether a filter fills a band does not depend on what the set holds: decided before the box
  // is opened, so a file with nothing to apply needs no box.
  {
    std::vector<BandRecord> flat;
    for (int b = 0; b < EqSetBandCount(*set); ++b) flat.push_back(eqx::flatBand(*set, b));
    const eqx::ImportResult probe = eqx::mapToSet(read.eq, *set, flat);
    if (probe.report.bandsFilled() == 0) return nothingToApply(probe.report);
  }
  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;
    Core& core = session.core();
    const eqx::ImportResult result = eqx::mapToSet(read.eq, *set, eqx::loadSet(core.mem, *set));
    if (dryRun) {
      report(result.report, false);
      session.close(true);
      return kExitOk;
    }
    // What the box held is kept before the import replaces it, as the window's import does.
    std::string kept;
    if (snapshot) {
      if (!keepSnapshot(core.mem, &kept, &error)) {
        session.close(true);
        return fail(ctx, kExitFailure,
                    "could not keep a snapshot of the box's settings: " + error +
                        "; nothing sent (--no-snapshot imports without one)");
      }
      ctx.err << "kept the box's settings in " << kept << "\n";
    }
    // Band by band through the senders, so the box gets each record and its section; the
    // crossover band of an output is left alone. The import is complete only when the box took
    // every report of every band and answered the last; after the first report it did not
    // take, nothing more is sent.
    const int total = eqx::editableBands(*set);
    const Session::WriteMark mark = session.markWrite();
    for (int b = 0; b < total && !session.writeFailed(mark); ++b) {
      const BandRecord& r = result.bands[size_t(b)];
      core.eq.SendEqBand(*set, b, r.type, r.gainDb, int(r.frequency), r.q);
    }
    const Session::WriteOutcome outcome = session.checkWrite(mark);
    if (!outcome.answered) {
      // Two reports a band; a band whose last report went unanswered is not counted.
      const uint64_t reports = outcome.taken == outcome.sent ? outcome.taken - 1 : outcome.taken;
      report(result.report, false);
      session.close(false);
      std::string message = "the box was disconnected after " + std::to_string(reports / 2) +
                            " of " + std::to_string(total) + " bands";
      if (!kept.empty()) message += "; its settings before the import are in " + kept;
      return fail(ctx, kExitFailure, message);
    }
    report(result.report, true);
    session.close(true);
    return kExitOk;
  });
}

int runEq(Context& ctx, const std::vector<std::string>& words) {
  if (words.empty()) return usageError(ctx, kEqCommand, "export or import expected");
  const std::string& sub = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  if (sub == "export") return runExport(ctx, rest);
  if (sub == "import") return runImport(ctx, rest);
  if (sub == "-h" || sub == "--help") return printUsage(ctx, kEqCommand);
  return usageError(ctx, kEqCommand, "unknown subcommand '" + sub + "'");
}

}  // namespace

const CommandSpec kEqCommand = {
    "eq",
    "export or import one EQ set as Equalizer APO, REW, CamillaDSP, biquad or JSON",
    "usage: ax7ctl eq export SET [--from MODEFILE] [--format FORMAT] [-o FILE]\n"
    "       ax7ctl eq import FILE SET [--format auto|FORMAT] [--channel NAME]\n"
    "                        [--into MODEFILE -o NEWFILE] [--dry-run] [--json] [--no-snapshot]\n"
    "\n"
    "SET     mic-a, mic-b, reverb-a, reverb-b, echo-a, echo-b, music, out1..out8, or 0..14\n"
    "FORMAT  apo (Equalizer APO and AutoEq), rew (REW filter settings), camilladsp (YAML),\n"
    "        biquad (coefficient text, 48000 Hz), json (this program's own)\n"
    "\n"
    "export  writes the set read from the box (--device), or from MODEFILE with --from, to\n"
    "        FILE or stdout. Without --format, FILE's extension chooses (.json, .yml), else apo.\n"
    "import  maps FILE's filters onto the set's bands in file order and reports every filter:\n"
    "        exact (within 0.1 dB of the file's response over 20 Hz..20 kHz at 48000 Hz),\n"
    "        approximated (gain, frequency or Q held to what a band stores; with its largest\n"
    "        deviation), dropped (no such section, or no free band left) or skipped (off in\n"
    "        the file, or another channel). Bands the file leaves become flat; an output's\n"
    "        crossover band stays as it is; a preamp is reported, not applied.\n"
    "        Without --into the set goes to the box band by band, after a snapshot of the box's\n"
    "        settings (as write --changed keeps it; --no-snapshot sends without one); with\n"
    "        --into MODEFILE -o NEWFILE it goes into a copy of the mode file (-o must not be\n"
    "        MODEFILE itself). --dry-run only reports.\n"
    "        The report goes to stderr, or as JSON to stdout with --json: {\"api_version\": 1,\n"
    "        \"format\", \"preamp_db\", \"bands\": [{\"line\", \"source\", \"status\", \"band\", "
    "\"type\",\n"
    "        \"frequency\", \"gain\", \"q\", \"reason\", \"deviation\"}], ...}.\n"
    "\n"
    "Exit codes: 0 imported (approximations and drops are in the report); 2 an unreadable or\n"
    "unrecognised file, a file none of whose filters can be applied, or a bad SET (nothing\n"
    "changes); 1 the box (gone before it took every band) or an output file.\n",
    runEq,
};

}  // namespace ax7::cli
