// The heaviest settings, shared by the engine benchmark and the precision test:
// both filters Chebyshev, the pipe on and following the pattern, flanger and
// reverb on, all three oscillators following the pattern with glide, and a
// pattern that moves.
#pragma once

#include "core/uSynth.h"

namespace qvt::bench {

inline void ApplyHeaviestSettings(TSynth& synth) {
  const struct {
    int Index;
    float Value;
  } settings[] = {{0, 0.9f},   {1, 0.7f},  {2, 0.6f},  {26, 0.03f}, {27, 0.03f},
                  {24, 0.6f},  {25, 0.2f}, {30, 1.0f}, {31, 0.6f},  {33, 1.0f},
                  {35, 0.02f}, {37, 1.0f}, {45, 1.0f}, {13, 1.0f},  {14, 1.0f},
                  {15, 1.0f},  {53, 0.5f}, {16, 0.3f}, {19, 0.7f},  {52, 0.08f}};
  for (const auto& setting : settings) synth.setParameter(setting.Index, setting.Value);
  for (int step = 54; step < 70; ++step) synth.setParameter(step, 0.5f + 0.02f * (step % 5));
}

} // namespace qvt::bench
