// Test signals and measurements shared by the sound module tests.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/uOsc.h"

namespace qvt::test {

// Gain in dB of a mono float→float process for a sine of Hz, by correlation over
// Measure samples after Settle samples.
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

// Magnitude in dB at Hz of impulse response h (the phasor is renormalised against drift).
inline double MeasuredDb(const std::vector<double>& h, double Hz, double SampleRate = 44100) {
  const double w = 2.0 * std::numbers::pi * Hz / SampleRate;
  const std::complex<double> step = std::polar(1.0, -w);
  std::complex<double> phasor = 1.0, sum = 0.0;
  for (std::size_t n = 0; n < h.size(); ++n) {
    sum += h[n] * phasor;
    phasor *= step;
    if ((n & 1023) == 1023) phasor = std::polar(1.0, -w * static_cast<double>(n + 1));
  }
  return 20.0 * std::log10(std::abs(sum));
}

// Output of a process after it has been fed a constant Level for Count samples.
template <class Process> double SettledOutput(Process&& process, float Level, int Count) {
  double y = 0;
  for (int n = 0; n < Count; ++n) y = process(Level);
  return y;
}

// The smallest phase whose position in the wave table is exactly `index`.
inline double PhaseAtExactIndex(int index) {
  double phase = index / kPhaseToIndex;
  while (phase * kPhaseToIndex < index) phase = std::nextafter(phase, 10.0);
  while (phase * kPhaseToIndex > index) phase = std::nextafter(phase, -10.0);
  return phase;
}

// Pitch from the upward zero crossings, located by linear interpolation.
inline double MeasureFrequency(const std::vector<float>& s, double SampleRate) {
  double first = -1, last = -1;
  int crossings = 0;
  for (std::size_t n = 1; n < s.size(); ++n)
    if (s[n - 1] < 0.0f && s[n] >= 0.0f) {
      const double t = (n - 1) + s[n - 1] / (s[n - 1] - s[n]);
      if (first < 0) first = t;
      last = t;
      ++crossings;
    }
  return crossings > 1 ? (crossings - 1) * SampleRate / (last - first) : 0.0;
}

} // namespace qvt::test
