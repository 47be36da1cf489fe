// The phrase that the test (normal build) and the reference renderer (80-bit
// build) both render: a melody with legato and detached notes, then a release tail.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/HeaviestSettings.h"
#include "core/uSynth.h"
#include "tests/core/MidiList.h"

namespace precision {

inline constexpr int kBlock = 512;
inline constexpr float kRate = 44100.0f;
// Engine state after each block: envelope state, pattern step, sample counter, held keys.
inline constexpr int kStateWords = 4;

inline VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode == audioMasterTempoAt) return 1330000; // 133 beats per minute
  return 0;
}

// Case 0 … BankCount − 1: that factory program; case BankCount: the heaviest settings.
inline int CaseCount(TSynth& synth) { return synth.BankCount() + 1; }

inline void Prepare(TSynth& synth, int Case) {
  synth.setSampleRate(kRate);
  synth.setBlockSize(kBlock);
  if (Case < synth.BankCount()) {
    synth.SelectProgram(Case);
    return;
  }
  synth.SelectProgram(0);
  qvt::bench::ApplyHeaviestSettings(synth);
}

struct TNoteEvent {
  std::int64_t Frame;
  std::uint8_t Status, Key, Velocity;
};

// A note every 0.3 s to 2 s before the end, keys wandering over three octaves;
// every third note is held into the next (legato), the others are released early.
inline std::vector<TNoteEvent> Phrase(int Seconds) {
  std::vector<TNoteEvent> events;
  const std::int64_t end = static_cast<std::int64_t>(Seconds - 2) * 44100;
  const std::int64_t spacing = 13230;
  for (int i = 0; i * spacing + spacing < end; ++i) {
    const std::int64_t on = i * spacing + (i % 5) * 71;
    const auto key = static_cast<std::uint8_t>(36 + (i * 7) % 37);
    const std::int64_t length = i % 3 == 2 ? spacing + 900 : 6000 + (i % 4) * 1500;
    events.push_back({on, 0x90, key, static_cast<std::uint8_t>(60 + (i * 13) % 67)});
    events.push_back({on + length, 0x80, key, 0});
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const TNoteEvent& a, const TNoteEvent& b) { return a.Frame < b.Frame; });
  return events;
}

// Renders the phrase block by block; Use(left, right, state) sees each block.
template <class TUse> void RenderPhrase(TSynth& synth, int Seconds, TUse Use) {
  const std::vector<TNoteEvent> events = Phrase(Seconds);
  std::size_t next = 0;
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  const std::int64_t frames = static_cast<std::int64_t>(Seconds) * 44100;
  for (std::int64_t start = 0; start < frames; start += kBlock) {
    for (; next < events.size() && events[next].Frame < start + kBlock; ++next) {
      const TNoteEvent& e = events[next];
      TMidiList midi(e.Status, e.Key, e.Velocity, static_cast<VstInt32>(e.Frame - start));
      synth.processEvents(&midi.List);
    }
    synth.processReplacing(nullptr, outputs, kBlock);
    const std::int32_t state[kStateWords] = {synth.EnvelopeState(), synth.StepCounter(),
                                             synth.SampleCounter(), synth.HeldKeys()};
    Use(left.data(), right.data(), state);
  }
}

} // namespace precision
