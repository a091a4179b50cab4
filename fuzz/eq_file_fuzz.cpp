// Every EQ file reader, through the detector and then each reader directly: no input may crash,
// hang or recurse without bound; a refusal carries one line; whatever is accepted maps onto
// every kind of EQ set with a report entry for every filter and bands a record can hold, and
// the set written in any format reads back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"

namespace {

void check(const ax7::eqx::ReadResult& r) {
  using namespace ax7::eqx;
  if (r.ok != r.error.empty() || r.error.find('\n') != std::string::npos) std::abort();
  if (!r.ok) return;
  for (int set : {0, 2, 7}) {
    std::vector<ax7::BandRecord> current;
    for (int b = 0; b < ax7::EqSetBandCount(set); ++b) current.push_back(flatBand(set, b));
    const ImportResult m = mapToSet(r.eq, set, current);
    if (m.report.entries.size() != r.eq.filters.size() + r.eq.otherChannels.size()) std::abort();
    if (int(m.bands.size()) != ax7::EqSetBandCount(set)) std::abort();
    for (const ax7::BandRecord& b : m.bands) {
      if (!std::isfinite(b.gainDb) || !std::isfinite(b.q) || b.gainDb < -15 || b.gainDb > 15) {
        std::abort();
      }
    }
    if (!std::isfinite(m.report.largestDeviationDb)) std::abort();
    const std::string text = writeEqFile(Format::Json, set, m.bands);
    if (!readEqFile(text, {}).ok) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::eqx;
  if (size > 64 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  check(readEqFile(text, {}));
  check(readApoText(text, Format::Rew, "R"));
  check(readBiquadText(text));
  check(readEqJson(text));
  check(readCamillaYaml(text, "1"));
  return 0;
}
