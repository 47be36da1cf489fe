// Cost per sample of the filter family (order 10 for the cascades) and of the
// synth filter stage per kind, at 44.1 kHz.
#include "dsp/uFilters.h"
#include "dsp/uSynthFilter.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr float kSampleRate = 44100;
constexpr int kBlock = 4096;

std::vector<float> Noise() {
  std::vector<float> v(kBlock);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  for (float& x : v) x = d(rng);
  return v;
}

// Reports the time of one block as nanoseconds per sample (or frame).
void PerSample(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns_per_sample"] =
      benchmark::Counter(double(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <class TKind> void BM_Filter(benchmark::State& state) {
  const auto in = Noise();
  TKind f(kSampleRate);
  f.SetOrder(10);
  f.SetFrequency(2000.0);
  for (auto _ : state) {
    for (float x : in) benchmark::DoNotOptimize(f.ProcessSample(x));
  }
  PerSample(state);
}

BENCHMARK(BM_Filter<TFilter>);
BENCHMARK(BM_Filter<TBiquadLP>);
BENCHMARK(BM_Filter<TBiquadHP>);
BENCHMARK(BM_Filter<TButterworthLP>);
BENCHMARK(BM_Filter<TButterworthHP>);
BENCHMARK(BM_Filter<TChebyshev1LP>);
BENCHMARK(BM_Filter<TChebyshev1HP>);

// One stereo frame through high-pass and low-pass, both stages of one kind.
void BM_SynthFilter(benchmark::State& state) {
  const auto in = Noise();
  TSynthFilter f(kSampleRate);
  const float kind = 0.01f * static_cast<float>(state.range(0));
  f.SetLowPassKind(kind == 0.0f ? 0.001f : kind);
  f.SetHighPassKind(kind == 0.0f ? 0.001f : kind);
  f.SetLowPassCutoff(0.7f);
  f.SetHighPassCutoff(0.3f);
  for (auto _ : state) {
    for (float x : in) {
      float l = x, r = -x;
      f.Process(l, r);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetLabel(qvt::kFilterKindText[state.range(0)]);
  PerSample(state);
}

BENCHMARK(BM_SynthFilter)->DenseRange(0, 3);

// A kind change of both stages at the start of every block of 4096 frames.
void BM_SynthFilterKindSwitch(benchmark::State& state) {
  const auto in = Noise();
  TSynthFilter f(kSampleRate);
  int kind = 1;
  for (auto _ : state) {
    kind = kind % 3 + 1;
    f.SetLowPassKind(0.01f * static_cast<float>(kind));
    f.SetHighPassKind(0.01f * static_cast<float>(kind));
    for (float x : in) {
      float l = x, r = -x;
      f.Process(l, r);
      benchmark::DoNotOptimize(l);
    }
  }
  PerSample(state);
}

BENCHMARK(BM_SynthFilterKindSwitch);

} // namespace
