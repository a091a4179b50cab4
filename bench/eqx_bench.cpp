// EQ exchange: reading and mapping a full REW export (20 filters, each checked against the
// file's response at 401 frequencies), and writing a set. An import runs once per user action,
// so these only need to stay well under a frame.
#include <benchmark/benchmark.h>

#include <string>

#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"

namespace {

std::string rewFile() {
  std::string text = "Filter Settings file\r\n\r\nRoom EQ V5.31.3\r\nEqualiser: Generic\r\n";
  for (int i = 1; i <= 20; ++i) {
    text += "Filter " + std::to_string(i) + ": ON  PK       Fc   " + std::to_string(40 * i) +
            ",5 Hz  Gain  -5,20 dB  Q  " + std::to_string(i % 9 + 1) + ",440\r\n";
  }
  return text;
}

std::vector<ax7::BandRecord> flat(int set) {
  std::vector<ax7::BandRecord> out;
  for (int b = 0; b < ax7::EqSetBandCount(set); ++b) out.push_back(ax7::eqx::flatBand(set, b));
  return out;
}

void BM_ImportRewOntoMicSet(benchmark::State& state) {
  const std::string text = rewFile();
  const auto current = flat(0);
  for (auto _ : state) {
    const auto read = ax7::eqx::readEqFile(text, {});
    benchmark::DoNotOptimize(ax7::eqx::mapToSet(read.eq, 0, current));
  }
}
BENCHMARK(BM_ImportRewOntoMicSet)->Unit(benchmark::kMicrosecond);

void BM_ExportBiquadOfAnOutput(benchmark::State& state) {
  const auto bands = flat(7);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ax7::eqx::writeEqFile(ax7::eqx::Format::Biquad, 7, bands));
  }
}
BENCHMARK(BM_ExportBiquadOfAnOutput)->Unit(benchmark::kMicrosecond);

}  // namespace
