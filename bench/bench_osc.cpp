// Cost of one oscillator sample at 44.1 kHz: plain, shaped and reduced, and the
// shared lookup on its own.
#include "dsp/uOsc.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WaveLookup(benchmark::State& state) {
  double phase = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(WaveLookup(otSaw, phase));
    phase += 0.0627;
    if (phase >= 6.28) phase -= 6.28;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WaveLookup);

// Arguments: shaper on, reduction on.
void BM_OscProcess(benchmark::State& state) {
  TOsc osc(44100.0f);
  osc.SetFrequency(440.0f);
  osc.SetWaveForm(otTri);
  if (state.range(0)) osc.Shape = 0.4f;
  if (state.range(1)) osc.SetReduction(0.6f);
  for (auto _ : state) benchmark::DoNotOptimize(osc.Process(0.0f, 1.0f));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OscProcess)->ArgNames({"shape", "reduce"})->Args({0, 0})->Args({1, 0})->Args({1, 1});

} // namespace
