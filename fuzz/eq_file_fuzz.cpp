// Every EQ file reader, through the detector or one reader directly: no input may crash, hang
// or recurse without bound; a refusal carries one line; whatever is accepted maps onto an EQ set
// with a report entry for every filter and bands a record can hold, and the set written in any
// format reads back.
//
// The first byte chooses the reader and the kind of set, so one run costs one reading and one
// mapping: a filter's deviation is measured at 400 frequencies, and doing that for every reader
// and every set kind in each run kept the fuzzer at a few hundred runs a second.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"
#include "eqx/text.h"

namespace {

void check(const ax7::eqx::ReadResult& r, int set, ax7::eqx::Format back) {
  using namespace ax7::eqx;
  if (r.ok != r.error.empty() || r.error.find('\n') != std::string::npos) std::abort();
  if (!r.ok) return;
  std::vector<ax7::BandRecord> current;
  for (int b = 0; b < ax7::EqSetBandCount(set); ++b) current.push_back(flatBand(set, b));
  const ImportResult m = mapToSet(r.eq, set, current);
  if (m.report.entries.size() != r.eq.filters.size() + r.eq.otherChannels.size()) std::abort();
  if (r.eq.filters.size() > kMaxFileFilters || r.eq.otherChannels.size() > kMaxFileFilters) {
    std::abort();
  }
  if (int(m.bands.size()) != ax7::EqSetBandCount(set)) std::abort();
  for (const ax7::BandRecord& b : m.bands) {
    if (!std::isfinite(b.gainDb) || !std::isfinite(b.q) || b.gainDb < -15 || b.gainDb > 15) {
      std::abort();
    }
  }
  if (!std::isfinite(m.report.largestDeviationDb)) std::abort();
  const std::string text = writeEqFile(back, set, m.bands);
  if (!readEqFile(text, {}).ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::eqx;
  // A file's work is bounded by its filters, which a few kilobytes hold plenty of.
  if (size < 1 || size > 8 * 1024) return 0;
  const uint8_t pick = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  static const int kSets[] = {0, 2, 7};  // ten bands, seven bands, an output with its crossover
  static const Format kBack[] = {Format::Apo, Format::Rew, Format::CamillaDsp, Format::Biquad,
                                 Format::Json};
  const int set = kSets[(pick >> 3) % 3];
  const Format back = kBack[(pick >> 5) % 5];
  switch (pick & 7) {
    case 0:
      check(readApoText(text, Format::Rew, "R"), set, back);
      break;
    case 1:
      check(readBiquadText(text), set, back);
      break;
    case 2:
      check(readEqJson(text), set, back);
      break;
    case 3:
      check(readCamillaYaml(text, "1"), set, back);
      break;
    default:
      check(readEqFile(text, {}), set, back);
      break;
  }
  return 0;
}
