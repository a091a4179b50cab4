// design and response: the filter math the box gets, without a box.
#include <bit>
#include <cctype>
#include <cstdio>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "dsp/biquad.h"
#include "dsp/response.h"
#include "dsp/section_type.h"

namespace ax7::cli {

namespace {

struct SectionArgs {
  int type = 0;
  double gainDb = 0;
  double frequency = 0;
  double q = 0;
};

// A type code 0..255 (a band record's type byte) or one of the names a user picks.
bool parseType(const std::string& word, int* type) {
  if (auto code = parseInteger(word)) {
    if (*code < 0 || *code > 255) return false;
    *type = int(*code);
    return true;
  }
  std::string upper;
  for (char c : word) upper += char(std::toupper(static_cast<unsigned char>(c)));
  for (int t = 0; t <= 5; ++t) {
    if (upper == dsp::sectionTypeName(t).english) {
      *type = t;
      return true;
    }
  }
  return false;
}

bool parseSection(const std::vector<std::string>& words, SectionArgs* s, std::string* error) {
  if (words.size() != 4) {
    *error = "expected TYPE GAIN_DB FREQ_HZ Q, got " + std::to_string(words.size()) + " arguments";
    return false;
  }
  if (!parseType(words[0], &s->type)) {
    *error = "TYPE must be a code 0..255 or OFF, PEQ, LP, HP, LS, HS, not '" + words[0] + "'";
    return false;
  }
  const char* names[] = {"GAIN_DB", "FREQ_HZ", "Q"};
  double* targets[] = {&s->gainDb, &s->frequency, &s->q};
  for (int i = 0; i < 3; ++i) {
    auto v = parseDouble(words[size_t(i) + 1]);
    if (!v) {
      *error = std::string(names[i]) + " must be a number, not '" + words[size_t(i) + 1] + "'";
      return false;
    }
    *targets[i] = *v;
  }
  return true;
}

std::string formatLine(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

int runDesign(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {}, &args, &error)) return usageError(ctx, kDesignCommand, error);
  if (args.help) return printUsage(ctx, kDesignCommand);
  SectionArgs s;
  if (!parseSection(args.positional, &s, &error)) return usageError(ctx, kDesignCommand, error);

  const dsp::BiquadCoefficients c = dsp::designSection(s.type, s.gainDb, s.frequency, s.q);
  const double coefficients[] = {c.b0, c.b1, c.b2, c.a1, c.a2};
  std::string line;
  for (double v : coefficients) line += (line.empty() ? "" : " ") + formatLine("%.17g", v);
  ctx.out << line << "\n";
  line.clear();
  char hex[16];
  for (float w : dsp::boxWords(c)) {
    std::snprintf(hex, sizeof hex, "%08x", unsigned(std::bit_cast<uint32_t>(w)));
    line += (line.empty() ? "" : " ") + std::string(hex);
  }
  ctx.out << line << "\n";
  return kExitOk;
}

int runResponse(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--fmin", "--fmax", "--points"}, {}, &args, &error)) {
    return usageError(ctx, kResponseCommand, error);
  }
  if (args.help) return printUsage(ctx, kResponseCommand);
  SectionArgs s;
  if (!parseSection(args.positional, &s, &error)) return usageError(ctx, kResponseCommand, error);

  double fmin = dsp::kGraphMinHz;
  double fmax = dsp::kGraphMaxHz;
  long long points = dsp::kCurvePoints;
  if (auto it = args.values.find("--fmin"); it != args.values.end()) {
    auto v = parseDouble(it->second);
    if (!v || *v <= 0) return usageError(ctx, kResponseCommand, "--fmin must be above 0 Hz");
    fmin = *v;
  }
  if (auto it = args.values.find("--fmax"); it != args.values.end()) {
    auto v = parseDouble(it->second);
    if (!v) return usageError(ctx, kResponseCommand, "--fmax must be a number");
    fmax = *v;
  }
  if (fmax <= fmin) return usageError(ctx, kResponseCommand, "--fmax must be above --fmin");
  if (auto it = args.values.find("--points"); it != args.values.end()) {
    auto v = parseInteger(it->second);
    if (!v || *v < 1 || *v > 1000000) {
      return usageError(ctx, kResponseCommand, "--points must be a whole number 1..1000000");
    }
    points = *v;
  }

  const dsp::ResponseGrid grid(fmin, fmax, int(points));
  const dsp::BiquadCoefficients c = dsp::designSection(s.type, s.gainDb, s.frequency, s.q);
  char buf[96];
  for (int i = 0; i < grid.size(); ++i) {
    const double f = grid.frequency(i);
    std::snprintf(buf, sizeof buf, "%.9g %.6f\n", f, dsp::sectionResponseDb(c, f));
    ctx.out << buf;
  }
  return kExitOk;
}

}  // namespace

const CommandSpec kDesignCommand = {
    "design",
    "coefficients of one filter section and the words the box gets",
    "usage: ax7ctl design TYPE GAIN_DB FREQ_HZ Q\n"
    "\n"
    "Designs one second-order section at 48 kHz as the box gets it.\n"
    "TYPE is a section type code 0..21 (higher codes design like 0) or one of\n"
    "OFF, PEQ, LP, HP, LS, HS. Gain, frequency and Q are limited to what a band can hold.\n"
    "\n"
    "Output:\n"
    "  line 1: b0 b1 b2 a1 a2, normalised so that a0 = 1\n"
    "  line 2: the five words sent to the box, -a1 -a2 b0 b1 b2, each the big-endian\n"
    "          IEEE single as 8 hex digits\n",
    runDesign,
};

const CommandSpec kResponseCommand = {
    "response",
    "magnitude response of one filter section on a log grid",
    "usage: ax7ctl response TYPE GAIN_DB FREQ_HZ Q [--fmin HZ] [--fmax HZ] [--points N]\n"
    "\n"
    "Prints one line 'frequency_hz db' per grid point. Point i lies at\n"
    "fmin * 10^((i/N) * log10(fmax/fmin)), rounded to single precision.\n"
    "Defaults: --fmin 18 --fmax 23000 --points 512 (the EQ graph's grid).\n"
    "TYPE, GAIN_DB, FREQ_HZ and Q as for 'ax7ctl design'.\n",
    runResponse,
};

}  // namespace ax7::cli
