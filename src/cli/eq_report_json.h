#pragma once
// The report of an EQ import as ax7ctl prints it with --json.
#include "cli/json_output.h"
#include "server/eq_report_json.h"

namespace ax7::cli {

using server::eqImportReportJson;

}  // namespace ax7::cli
