// Cost per sample of the effect modules at 44.1 kHz, in their working ranges.
#include "dsp/uDspClasses.h"
#include "dsp/uToneFilter.h"

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

// Reports the time of one block as nanoseconds per sample.
void PerSample(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns_per_sample"] =
      benchmark::Counter(double(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FastDelay(benchmark::State& state) {
  const auto in = Noise();
  TFastDelay d(kSampleRate);
  d.SetFeedback(0.7f);
  float delay = 100.37f;
  for (auto _ : state) {
    for (float x : in) {
      d.SetDelay(delay); // the pipe retunes on every sample while gliding
      delay = delay > 2000 ? 100.37f : delay + 0.013f;
      benchmark::DoNotOptimize(d.Process(x));
    }
  }
  PerSample(state);
}

void BM_Chorus(benchmark::State& state) {
  const auto in = Noise();
  TChorus c(kSampleRate);
  c.SetEnable(1);
  c.SetRate(2);
  c.SetDepth(0.8f);
  c.SetHighPassFreq(200);
  c.SetDelayTime(15);
  c.SetFeedback(0.5f);
  c.SetMix(0.5f);
  for (auto _ : state) {
    for (float x : in) {
      float l = x, r = -x;
      c.Process(l, r);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(r);
    }
  }
  PerSample(state);
}

void BM_Reverb(benchmark::State& state) {
  const auto in = Noise();
  TReverb r(kSampleRate);
  r.SetRoomSize(0.7f);
  r.SetWidth(0.8f);
  r.SetWet(0.4f);
  r.SetLowPass(0.6f);
  r.SetHighPass(0.2f);
  for (auto _ : state) {
    for (float x : in) {
      float l = x, rr = -x;
      r.Process(l, rr);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(rr);
    }
  }
  PerSample(state);
}

void BM_ToneFilter(benchmark::State& state) {
  const auto in = Noise();
  TLHPassFilter f(kSampleRate);
  f.SetLowPass(4000);
  f.SetHighPass(400);
  for (auto _ : state) {
    for (float x : in) benchmark::DoNotOptimize(f.Process(x));
  }
  PerSample(state);
}

// The low-pass while its cutoff glides: coefficients are recomputed per sample.
void BM_ToneFilterGliding(benchmark::State& state) {
  const auto in = Noise();
  TLHPassFilter f(kSampleRate);
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) {
      if (n % 256 == 0) f.SetLowPass(n % 512 ? 20000.0f : 320.0f); // never settles
      benchmark::DoNotOptimize(f.Process(in[n]));
    }
  }
  PerSample(state);
}

} // namespace

BENCHMARK(BM_FastDelay);
BENCHMARK(BM_Chorus);
BENCHMARK(BM_Reverb);
BENCHMARK(BM_ToneFilter);
BENCHMARK(BM_ToneFilterGliding);
