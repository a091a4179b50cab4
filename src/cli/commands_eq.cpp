// eq export / import: one EQ set to and from the files of measurement and DSP tools.
#include <cctype>
#include <cmath>
#include <memory>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/mode_file_io.h"
#include "cli/session.h"
#include "dsp/section_type.h"
#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"
#include "eqx/numbers.h"
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

// Sends band `band` of EQ set `set` through the set's band sender: record and coefficients.
void sendBand(EqSenders& eq, int set, int band, const BandRecord& r) {
  const int f = int(r.frequency);
  switch (set) {
    case 0:
      eq.SendMicAEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    case 1:
      eq.SendMicBEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    case 2:
      eq.SendReverbAEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    case 3:
      eq.SendReverbBEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    case 4:
      eq.SendEchoAEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    case 5:
      eq.SendEchoBEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    case 6:
      eq.SendMusicEqBand(band, r.type, r.gainDb, f, r.q);
      break;
    default:
      eq.SendOutputEqBand(set - 7, band, r.type, r.gainDb, f, r.q);
      break;
  }
}

Json reportJson(const eqx::ImportReport& r, int set, bool applied) {
  Json doc = jsonDocument();
  doc["format"] = eqx::formatName(r.format);
  doc["set"] = set;
  doc["set_name"] = eqx::setName(set);
  doc["applied"] = applied;
  doc["preamp_db"] = r.preampDb ? Json(*r.preampDb) : Json(nullptr);
  doc["largest_deviation_db"] = r.largestDeviationDb;
  doc["counts"] = {{"exact", r.count(eqx::Status::Exact)},
                   {"approximated", r.count(eqx::Status::Approximated)},
                   {"dropped", r.count(eqx::Status::Dropped)},
                   {"skipped", r.count(eqx::Status::Skipped)}};
  Json bands = Json::array();
  for (const eqx::ReportEntry& e : r.entries) {
    Json b;
    b["line"] = e.line > 0 ? Json(e.line) : Json(nullptr);
    b["source"] = e.source;
    b["status"] = eqx::statusName(e.status);
    const bool placed = e.band >= 0;
    b["band"] = placed ? Json(e.band + 1) : Json(nullptr);
    b["type"] = placed ? Json(std::string(dsp::sectionTypeName(e.type).english)) : Json(nullptr);
    b["type_code"] = placed ? Json(e.type) : Json(nullptr);
    // Held as the band record holds them: whole hertz, 0.1 dB, thousandths of Q.
    b["frequency"] = placed ? Json(std::lround(e.frequency)) : Json(nullptr);
    b["gain"] = placed ? Json(std::round(e.gainDb * 10) / 10) : Json(nullptr);
    b["q"] = placed ? Json(std::round(e.q * 1000) / 1000) : Json(nullptr);
    b["reason"] = e.reason;
    b["deviation"] = placed ? Json(e.deviationDb) : Json(nullptr);
    bands.push_back(b);
  }
  doc["bands"] = bands;
  Json notes = Json::array();
  for (const std::string& n : r.notes) notes.push_back(n);
  doc["notes"] = notes;
  return doc;
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
  if (!parseArgs(words, {"--format", "--channel", "--into", "-o"}, {"--dry-run", "--json"}, &args,
                 &error)) {
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
      writeJson(ctx.out, reportJson(r, *set, applied));
    else
      ctx.err << eqx::reportText(r) << (applied ? "" : "nothing applied (dry run)\n");
  };

  if (into != args.values.end()) {
    auto mem = std::make_unique<ParameterMemory>();
    InitParameterMemory(*mem);
    int version = 0;
    if (!loadModeInput(into->second, *mem, &version, &error)) return fail(ctx, kExitUsage, error);
    const eqx::ImportResult result = eqx::mapToSet(read.eq, *set, eqx::loadSet(*mem, *set));
    report(result.report, !dryRun);
    if (dryRun) return kExitOk;
    eqx::storeSet(*mem, *set, result.bands);
    if (!writeModeOutput(out->second, *mem, kModeFileVersion, &error)) {
      return fail(ctx, kExitFailure, error);
    }
    return kExitOk;
  }
  Session session(ctx);
  return session.run([&] {
    if (int rc = session.startAndReadBox(); rc != kExitOk) return rc;
    Core& core = session.core();
    const eqx::ImportResult result = eqx::mapToSet(read.eq, *set, eqx::loadSet(core.mem, *set));
    if (!dryRun) {
      // Band by band through the senders, so the box gets each record and its section; the
      // crossover band of an output is left alone.
      for (int b = 0; b < eqx::editableBands(*set); ++b) {
        sendBand(core.eq, *set, b, result.bands[size_t(b)]);
      }
    }
    report(result.report, !dryRun);
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
    "                        [--into MODEFILE -o NEWFILE] [--dry-run] [--json]\n"
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
    "        Without --into the set goes to the box band by band; with --into MODEFILE -o\n"
    "        NEWFILE it goes into a copy of the mode file. --dry-run only reports.\n"
    "        The report goes to stderr, or as JSON to stdout with --json: {\"api_version\": 1,\n"
    "        \"format\", \"preamp_db\", \"bands\": [{\"line\", \"source\", \"status\", \"band\", "
    "\"type\",\n"
    "        \"frequency\", \"gain\", \"q\", \"reason\", \"deviation\"}], ...}.\n"
    "\n"
    "Exit codes: 0 imported (approximations and drops are in the report); 2 an unreadable or\n"
    "unrecognised file, or a bad SET (nothing changes); 1 the box or an output file.\n",
    runEq,
};

}  // namespace ax7::cli
