// ax7ctl eq import --json from any bytes: whatever the file holds (any code page, line ends,
// broken UTF-16), the report prints as valid JSON that reads back to the same document; a
// text the printer cannot take throws, which ends the run as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/eq_report_json.h"
#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7;
  if (size > 16 * 1024) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const eqx::ReadResult read = eqx::readEqFile(bytes, {});
  if (!read.ok) return 0;
  const int set = size % 2 ? 7 : 0;  // an output (crossover band) or a microphone set
  const eqx::ImportResult m = eqx::mapToSet(read.eq, set, std::vector<BandRecord>());
  const cli::Json doc = cli::eqImportReportJson(m.report, set, m.report.bandsFilled() > 0);
  const std::string text = doc.dump(2);
  if (cli::Json::parse(text) != doc) std::abort();
  (void)eqx::reportText(m.report);
  return 0;
}
