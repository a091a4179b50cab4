#include "eqx/mapping.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "dsp/biquad.h"
#include "dsp/crossover.h"
#include "dsp/section_type.h"
#include "eqx/eq_set.h"
#include "eqx/numbers.h"
#include "eqx/sections.h"

namespace ax7::eqx {

namespace {

dsp::BiquadCoefficients boxSection(const BandRecord& r) {
  return dsp::designSection(r.type, r.gainDb, int(r.frequency), r.q);
}

// The band a set of exact parameters becomes, with what had to change.
BandRecord fitBand(const SectionParams& p, std::string* changes) {
  std::vector<std::string> notes;
  double f = std::round(p.frequency);
  if (f < dsp::kMinFrequencyHz || f > dsp::kMaxFrequencyHz) {
    const double held = std::clamp(f, dsp::kMinFrequencyHz, dsp::kMaxFrequencyHz);
    notes.push_back("frequency " + formatNumber(p.frequency, 1) + " Hz held as " +
                    formatNumber(held, 0) + " Hz");
    f = held;
  } else if (std::fabs(f - p.frequency) >= 0.05) {
    notes.push_back("frequency rounded to whole hertz");
  }
  double g = dsp::hasFixedZeroGain(p.type) ? 0.0 : p.gainDb;
  // Limits are compared with a little slack: a decoded section carries rounding noise.
  if (g < dsp::kMinGainDb - 1e-6 || g > dsp::kMaxGainDb + 1e-6) {
    const double held = std::clamp(g, dsp::kMinGainDb, dsp::kMaxGainDb);
    notes.push_back("gain " + formatNumber(g, 2) + " dB held as " + formatNumber(held, 1) + " dB");
    g = held;
  }
  g = std::clamp(g, dsp::kMinGainDb, dsp::kMaxGainDb);
  const double qMax = p.type == 1 ? dsp::kMaxQ : 2.0;
  double q = p.q;
  if (q < dsp::kMinQ * (1 - 1e-9) || q > qMax * (1 + 1e-9)) {
    const double held = std::clamp(q, dsp::kMinQ, qMax);
    notes.push_back("Q " + formatNumber(q, 4) + " held as " + formatNumber(held, 2));
    q = held;
  }
  q = std::clamp(q, dsp::kMinQ, qMax);
  if (changes) {
    for (size_t i = 0; i < notes.size(); ++i) *changes += (i ? "; " : "") + notes[i];
  }
  return asStored(p.type, g, f, q);
}

ReportEntry entryFor(const FileFilter& f) {
  ReportEntry e;
  e.line = f.line;
  e.source = f.text;
  return e;
}

void describe(ReportEntry& e, const BandRecord& r) {
  e.type = r.type;
  e.frequency = r.frequency;
  e.gainDb = r.gainDb;
  e.q = r.q;
}

}  // namespace

bool isFiller(const BandRecord& r) {
  return r.type == 1 && r.gainDb == 0.0f;
}


const char* statusName(Status s) {
  switch (s) {
    case Status::Exact:
      return "exact";
    case Status::Approximated:
      return "approximated";
    case Status::Dropped:
      return "dropped";
    default:
      return "skipped";
  }
}

int ImportReport::count(Status s) const {
  return int(std::count_if(entries.begin(), entries.end(),
                           [s](const ReportEntry& e) { return e.status == s; }));
}

int ImportReport::bandsFilled() const {
  return int(std::count_if(entries.begin(), entries.end(), [](const ReportEntry& e) {
    return (e.status == Status::Exact || e.status == Status::Approximated) && e.band >= 0 &&
           e.why != Why::Crossover;
  }));
}

ImportResult mapToSet(const FileEq& eq, int set, const std::vector<BandRecord>& current) {
  ImportResult result;
  ImportReport& report = result.report;
  report.format = eq.format;
  report.preampDb = eq.preampDb;
  report.notes = eq.notes;
  const int total = EqSetBandCount(set);
  const int editable = editableBands(set);
  std::vector<BandRecord> bands(static_cast<size_t>(total));
  for (int b = 0; b < total; ++b) {
    bands[size_t(b)] = b < int(current.size()) ? current[size_t(b)] : flatBand(set, b);
  }
  std::vector<bool> filled(size_t(total), false);
  // Sections of an output's crossover band that a file may repeat (as this program's exports
  // do): such a filter matches the band as it is.
  std::vector<bool> crossoverMatched(size_t(total), false);

  auto place = [&](const FileFilter& f, int band, ReportEntry& e) {
    std::string changes;
    const ParamsOrReason pr = boxParamsFor(f);
    if (!pr.params) {
      e.status = Status::Dropped;
      e.reason = pr.reason;
      e.why = Why::NoSection;
      return;
    }
    const BandRecord r = fitBand(*pr.params, &changes);
    bands[size_t(band)] = r;
    filled[size_t(band)] = true;
    e.band = band;
    describe(e, r);
    const auto reference = fileSection(f);
    e.deviationDb = reference ? largestDeviationDb(boxSection(r), dsp::kSampleRate, *reference,
                                                   fileSectionRate(f))
                              : 0.0;
    e.status = e.deviationDb <= kExactToleranceDb ? Status::Exact : Status::Approximated;
    e.reason = changes;
    if (!changes.empty()) e.why = Why::Held;
  };

  auto matchCrossover = [&](const FileFilter& f, ReportEntry& e) -> bool {
    if (!isOutputSet(set)) return false;
    const auto reference = fileSection(f);
    if (!reference) return false;
    for (int b = dsp::kCrossoverBand; b < total; ++b) {
      const BandRecord& r = bands[size_t(b)];
      if (crossoverMatched[size_t(b)] || isFiller(r)) continue;
      const double d =
          largestDeviationDb(boxSection(r), dsp::kSampleRate, *reference, fileSectionRate(f));
      if (d <= kExactToleranceDb) {
        crossoverMatched[size_t(b)] = true;
        e.status = Status::Exact;
        e.band = b;
        describe(e, r);
        e.deviationDb = d;
        e.reason = "held by the output's crossover band, which stays as it is";
        e.why = Why::Crossover;
        return true;
      }
    }
    return false;
  };

  if (eq.format == Format::Json) {
    for (const FileFilter& f : eq.filters) {
      ReportEntry e = entryFor(f);
      const int band = f.line;
      e.line = 0;
      const int type = f.boxType.value_or(-1);
      if (band >= total) {
        e.status = Status::Dropped;
        e.why = Why::NoFreeBand;
        e.reason = "band " + std::to_string(band + 1) + " is beyond the set's " +
                   std::to_string(total) + " bands";
      } else if (band >= editable) {
        const BandRecord r = asStored(type, f.gainDb, f.frequency, f.widthValue);
        const BandRecord& have = bands[size_t(band)];
        describe(e, have);
        e.band = band;
        const bool same = r.type == have.type && r.frequency == have.frequency &&
                          r.gainDb == have.gainDb && r.q == have.q;
        e.status = same ? Status::Exact : Status::Dropped;
        e.why = Why::Crossover;
        e.reason = same ? "crossover band, as the set holds it"
                        : "the output's crossover band stays as it is";
      } else if (type == 0) {
        // Off: an all-pass band, no magnitude change.
        const BandRecord r = asStored(0, f.gainDb, std::clamp(f.frequency, 20.0, 20000.0),
                                      std::clamp(f.widthValue, 0.1, 30.0));
        bands[size_t(band)] = r;
        filled[size_t(band)] = true;
        e.status = Status::Exact;
        e.band = band;
        describe(e, r);
        e.reason = "off";
      } else if (type >= 1 && type <= 5) {
        place(f, band, e);
      } else {
        e.status = Status::Dropped;
        e.reason = "type " + std::to_string(type) + " exists only in an output's crossover band";
        e.why = Why::NoSection;
      }
      report.entries.push_back(e);
    }
  } else {
    int next = 0;
    for (const FileFilter& f : eq.filters) {
      ReportEntry e = entryFor(f);
      if (!f.enabled) {
        e.status = Status::Skipped;
        e.reason = f.reason == "empty slot" ? "empty slot" : "off in the file";
        e.why = Why::Off;
        report.entries.push_back(e);
        continue;
      }
      while (next < editable && filled[size_t(next)]) ++next;
      if (next >= editable) {
        if (!matchCrossover(f, e)) {
          const ParamsOrReason pr = boxParamsFor(f);
          e.status = Status::Dropped;
          e.reason = pr.params ? "no free band left (the set has " + std::to_string(editable) +
                                     " bands for a file)"
                               : pr.reason;
          e.why = pr.params ? Why::NoFreeBand : Why::NoSection;
        }
        report.entries.push_back(e);
        continue;
      }
      place(f, next, e);
      report.entries.push_back(e);
    }
  }
  for (const FileFilter& f : eq.otherChannels) {
    ReportEntry e = entryFor(f);
    e.status = Status::Skipped;
    e.reason = "belongs to another channel";
    e.why = Why::OtherChannel;
    report.entries.push_back(e);
  }
  for (int b = 0; b < editable; ++b) {
    if (!filled[size_t(b)]) bands[size_t(b)] = flatBand(set, b);
  }
  for (const ReportEntry& e : report.entries) {
    if (e.status == Status::Exact || e.status == Status::Approximated) {
      report.largestDeviationDb = std::max(report.largestDeviationDb, e.deviationDb);
    }
  }
  result.bands = std::move(bands);
  return result;
}

std::string reportText(const ImportReport& r) {
  std::ostringstream out;
  out << "format " << formatName(r.format) << ": " << r.count(Status::Exact) << " exact, "
      << r.count(Status::Approximated) << " approximated, " << r.count(Status::Dropped)
      << " dropped, " << r.count(Status::Skipped) << " skipped; largest deviation "
      << formatNumber(r.largestDeviationDb, 2) << " dB\n";
  if (r.preampDb) {
    out << "preamp " << formatNumber(*r.preampDb, 2)
        << " dB not applied (the box has no EQ preamp)\n";
  }
  for (const std::string& n : r.notes) out << "note: " << n << "\n";
  for (const ReportEntry& e : r.entries) {
    if (e.line > 0) out << "line " << e.line << ": ";
    out << statusName(e.status);
    if (e.band >= 0) {
      out << " -> band " << e.band + 1 << " " << dsp::sectionTypeName(e.type).english << " "
          << formatNumber(e.frequency, 0) << " Hz " << formatNumber(e.gainDb, 1) << " dB Q "
          << formatNumber(e.q, 3);
    }
    if (e.status == Status::Approximated) {
      out << " (deviation " << formatNumber(e.deviationDb, 2) << " dB)";
    }
    if (!e.reason.empty()) out << ": " << e.reason;
    out << "  [" << e.source << "]\n";
  }
  return out.str();
}

}  // namespace ax7::eqx
