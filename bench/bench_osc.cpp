// Cost of one oscillator sample at 44.1 kHz: plain, shaped and reduced, and the
// shared lookup on its own; then the segment kernels per instruction set.
#include "dsp/uOsc.h"
#include "dsp/uOscLanes.h"

#include <benchmark/benchmark.h>

#include <cmath>

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

// A 64-sample segment of a modulated carrier (phase offsets as in scheme 2),
// per instruction set: 0 scalar, 1 SSE2, 2 AVX2 (the best available stands in).
void BM_OscKernel(benchmark::State& state) {
  const auto set = static_cast<qvt::TInstructionSet>(state.range(0));
  const qvt::TOscKernel kernel = qvt::OscKernel(set);
  TOsc osc(44100.0f);
  osc.SetWaveForm(otSin);
  constexpr int kCount = 64;
  double phase[kCount];
  float offset[kCount], out[kCount];
  double p = 12345.0;
  for (int n = 0; n < kCount; ++n) offset[n] = static_cast<float>(2.0 * std::sin(n * 0.3));
  for (auto _ : state) {
    for (int n = 0; n < kCount; ++n) phase[n] = p += 0.0627;
    kernel(osc.Voice(), {phase, offset, nullptr, out, kCount});
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  state.SetLabel(qvt::InstructionSetName(set == qvt::TInstructionSet::Avx2 ? qvt::BestInstructionSet() : set));
}
BENCHMARK(BM_OscKernel)->ArgName("set")->DenseRange(0, 2);

} // namespace
