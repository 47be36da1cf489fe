// Cost of one stereo generator sample at 44.1 kHz for each algorithm (1 … 9).
#include "dsp/uGenerator.h"

#include <benchmark/benchmark.h>

namespace {

void BM_GeneratorProcess(benchmark::State& state) {
  TGenerator g(44100.0f);
  g.SetAlgorithm(static_cast<int>(state.range(0)));
  g.SetFrequency1(440.0f);
  g.SetFrequency2(660.0f);
  g.SetFrequency3(220.0f);
  g.SetDetune(0.55f);
  g.SetWaveForm2(otTri);
  g.SetShape3(0.2f);
  g.SetLevel1(0.7f);
  g.SetLevel2(0.5f);
  float left = 0.0f, right = 0.0f;
  for (auto _ : state) {
    g.Process(left, right);
    benchmark::DoNotOptimize(left);
    benchmark::DoNotOptimize(right);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GeneratorProcess)->ArgName("algorithm")->DenseRange(1, 9);

} // namespace
