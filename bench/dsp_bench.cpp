// Cost of one band change: design plus its 512-point curve, per family of section types.
#include <benchmark/benchmark.h>

#include <vector>

#include "dsp/band_rules.h"
#include "dsp/response.h"

namespace {

using ax7::dsp::computeBandCurve;
using ax7::dsp::EqBand;
using ax7::dsp::EqBandEditor;
using ax7::dsp::ResponseGrid;

void BM_BandCurve(benchmark::State& state) {
  const ResponseGrid grid;
  EqBand band;
  band.type = static_cast<int>(state.range(0));
  band.gainDb = band.type == 1 || band.type == 4 ? 4.5f : 0.0f;
  band.q = 1.41f;
  float freq = 1000.0f;
  for (auto _ : state) {
    band.freq = freq;  // a new frequency each time, as while dragging
    freq = freq < 19000.0f ? freq * 1.01f : 25.0f;
    computeBandCurve(band, grid);
    benchmark::DoNotOptimize(band.curve.data());
  }
}
BENCHMARK(BM_BandCurve)
    ->ArgName("type")
    ->Arg(1)    // peaking
    ->Arg(2)    // low-pass
    ->Arg(4)    // shelf
    ->Arg(10)   // first order
    ->Arg(6)    // Chebyshev
    ->Arg(18);  // fixed-Q crossover section

// The crossover band: four sections, records 10..12 following band 9.
void BM_CrossoverBand(benchmark::State& state) {
  const ResponseGrid grid;
  std::vector<EqBand> bands(ax7::dsp::kOutputBandCount);
  EqBandEditor editor(bands, true, grid);
  editor.applyCrossover(ax7::dsp::kCrossoverBand, 3);  // LinkwitzRiely 48dB: four real sections
  double freq = 100.0;
  for (auto _ : state) {
    freq = freq < 19000.0 ? freq * 1.01 : 25.0;
    editor.setFrequency(ax7::dsp::kCrossoverBand, freq);
    benchmark::DoNotOptimize(bands[12].curve.data());
  }
}
BENCHMARK(BM_CrossoverBand);

}  // namespace
