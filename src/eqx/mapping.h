// A file's filters onto one EQ set, with a report that names every filter: exact, approximated
// (with its largest deviation), dropped (with the reason) or skipped (off in the file, or for
// another channel). Nothing is left out silently.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "eqx/filters.h"
#include "params/band_record.h"

namespace ax7::eqx {

// A band whose response lies within this of the file's over 20 Hz..20 kHz at 48000 Hz is exact.
inline constexpr double kExactToleranceDb = 0.1;

enum class Status { Exact, Approximated, Dropped, Skipped };

// What the reason of an entry says, for texts in other languages than the English reason.
enum class Why {
  None,          // placed as the file says
  Held,          // gain, frequency or Q held to what a band stores
  NoSection,     // the box has no such section (notch, all-pass, graphic EQ, ...)
  NoFreeBand,    // every band a file may fill is taken
  Crossover,     // matches, or would change, the output's crossover band
  Off,           // off in the file, or an empty slot
  OtherChannel,  // belongs to a channel not imported
};
const char* statusName(Status s);  // "exact", "approximated", "dropped", "skipped"

struct ReportEntry {
  int line = 0;        // line of the file (0 when the format has none)
  std::string source;  // the line or filter name
  Status status = Status::Dropped;
  int band = -1;  // band of the set it became, -1 for none
  int type = 0;   // section type of that band
  double frequency = 0;
  double gainDb = 0;
  double q = 0;
  std::string reason;  // what was changed, or why it was dropped or skipped (English)
  Why why = Why::None;
  double deviationDb = 0;  // largest deviation from the file's response
};

struct ImportReport {
  Format format = Format::Auto;
  std::optional<double> preampDb;  // reported only: the box has no EQ preamp
  std::vector<ReportEntry> entries;
  std::vector<std::string> notes;
  double largestDeviationDb = 0;
  int count(Status s) const;
  // Bands the file's filters fill. An entry the output's crossover band already holds fills
  // none. With none, the import has nothing to apply and must leave the set as it is.
  int bandsFilled() const;
};

struct ImportResult {
  std::vector<BandRecord> bands;  // the whole set after the import
  ImportReport report;
};

// A flat peak band: what an import leaves in a band it does not fill, and what an export leaves
// out.
bool isFiller(const BandRecord& r);

// Maps the file onto set `set` whose records are `current` (EqSetBandCount(set) of them).
// Filters fill the bands in file order (this program's JSON keeps its band positions); bands
// left over become flat; an output's crossover band stays as it is.
ImportResult mapToSet(const FileEq& eq, int set, const std::vector<BandRecord>& current);

// Writes the set in a format; `bands` holds EqSetBandCount(set) records.
std::string writeEqFile(Format format, int set, const std::vector<BandRecord>& bands);

// The report as text lines for people (English).
std::string reportText(const ImportReport& report);

}  // namespace ax7::eqx
