#include "server/eq_report_json.h"

#include <cmath>

#include "dsp/section_type.h"
#include "eqx/eq_set.h"

namespace ax7::server {

Json eqImportReportJson(const eqx::ImportReport& r, int set, bool applied) {
  Json doc = apiDocument();
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

}  // namespace ax7::server
