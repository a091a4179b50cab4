#pragma once
// The report of an EQ import as JSON, as ax7ctl eq import --json prints it and the server
// answers an import.
#include "eqx/mapping.h"
#include "server/json.h"

namespace ax7::server {

// Every string in it comes from the file's text, which the reader decoded to UTF-8, so the
// document always prints.
Json eqImportReportJson(const eqx::ImportReport& report, int set, bool applied);

}  // namespace ax7::server
