// Test signals and measurements shared by the effect tests.
#pragma once

#include <cmath>
#include <numbers>

namespace qvt::test {

// Gain in dB of a mono float→float process for a sine of Hz at SampleRate:
// the process first runs Settle samples, then the output's amplitude at that
// frequency is measured by correlation over Measure samples.
template <class Process>
double SineGainDb(Process&& process, double Hz, double SampleRate, int Settle = 20000,
                  int Measure = 44100) {
  const double step = 2 * std::numbers::pi * Hz / SampleRate;
  for (int n = 0; n < Settle; ++n) process(static_cast<float>(std::sin(step * n)));
  double re = 0, im = 0;
  for (int n = Settle; n < Settle + Measure; ++n) {
    const double y = process(static_cast<float>(std::sin(step * n)));
    re += y * std::sin(step * n);
    im += y * std::cos(step * n);
  }
  const double amplitude = 2 * std::hypot(re, im) / Measure;
  return 20 * std::log10(amplitude);
}

// Output of a process after it has been fed a constant Level for Count samples.
template <class Process> double SettledOutput(Process&& process, float Level, int Count) {
  double y = 0;
  for (int n = 0; n < Count; ++n) y = process(Level);
  return y;
}

} // namespace qvt::test
