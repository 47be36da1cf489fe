// The whole engine per stereo sample at 44.1 kHz: the start program, and the
// heaviest settings (both filters Chebyshev, pipe on and following the pattern,
// flanger and reverb on, all oscillators following the pattern with glide).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/HeaviestSettings.h"
#include "core/uSynth.h"
#include "tests/core/MidiList.h"

namespace {

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode == audioMasterTempoAt) return 1200000;
  return 0;
}

void PlayNote(TSynth& synth, int note) {
  TMidiList on(0x90, note, 100);
  synth.processEvents(&on.List);
}

void RenderBlocks(benchmark::State& state, TSynth& synth) {
  constexpr int kBlock = 512;
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  PlayNote(synth, 57);
  for (auto _ : state) {
    synth.processReplacing(nullptr, outputs, kBlock);
    benchmark::DoNotOptimize(left.data());
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kBlock),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EngineStartProgram(benchmark::State& state) {
  TSynth synth(Host);
  RenderBlocks(state, synth);
}
BENCHMARK(BM_EngineStartProgram)->Unit(benchmark::kMicrosecond);

void BM_EngineHeaviest(benchmark::State& state) {
  TSynth synth(Host);
  qvt::bench::ApplyHeaviestSettings(synth);
  RenderBlocks(state, synth);
}
BENCHMARK(BM_EngineHeaviest)->Unit(benchmark::kMicrosecond);

} // namespace
