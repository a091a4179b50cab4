#pragma once
// The report of an EQ import as ax7ctl prints it with --json.
#include "cli/json_output.h"
#include "eqx/mapping.h"

namespace ax7::cli {

// Every string in it comes from the file's text, which the reader decoded to UTF-8, so the
// document always prints.
Json eqImportReportJson(const eqx::ImportReport& report, int set, bool applied);

}  // namespace ax7::cli
