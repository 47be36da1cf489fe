#include "dsp/uDspClasses.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Delay the chorus sets for each of Count frames of silence.
std::vector<double> DelayTrace(TChorus& c, int Count) {
  std::vector<double> trace(Count);
  for (int n = 0; n < Count; ++n) {
    float l = 0, r = 0;
    c.Process(l, r);
    trace[n] = c.Delays[0].Delay;
  }
  return trace;
}

TChorus ActiveChorus(float SampleRate = 44100) {
  TChorus c(SampleRate);
  c.SetEnable(1);
  return c;
}

} // namespace

TEST(Chorus, AFreshChorusPassesFramesAndHoldsItsLfoUntilEnabledStrictlyAboveHalf) {
  TChorus c(44100);
  c.SetRate(5);
  c.SetMix(1);
  float l = 0.25f, r = -0.5f;
  c.Process(l, r);
  EXPECT_EQ(l, 0.25f);
  EXPECT_EQ(r, -0.5f);
  EXPECT_EQ(c.Phase, 0.0);
  c.SetEnable(0.5f);
  EXPECT_FALSE(c.Active);
  c.SetEnable(0.51f);
  EXPECT_TRUE(c.Active);
  c.SetLfoWave(0.5f); // the triangle up to a half
  EXPECT_EQ(c.LfoWave, otTri);
}

TEST(Chorus, LfoRunsAtTheSetRate) {
  TChorus c = ActiveChorus();
  c.SetDepth(1);
  c.SetRate(2);
  const auto trace = DelayTrace(c, 3 * 22050);
  // Peaks of the triangle sweep come one period (22050 samples) apart.
  std::vector<int> peaks;
  for (int n = 1; n + 1 < static_cast<int>(trace.size()); ++n)
    if (trace[n] > trace[n - 1] && trace[n] >= trace[n + 1]) peaks.push_back(n);
  ASSERT_GE(peaks.size(), 2u);
  for (std::size_t k = 1; k < peaks.size(); ++k) EXPECT_NEAR(peaks[k] - peaks[k - 1], 22050, 2);
}

TEST(Chorus, SweepRisesAQuarterOfTheBaseDelayAtFullDepthHalvedAtTheFastestRate) {
  const struct {
    float Ms, Depth, Rate;
    double Shortest, Longest;
  } cases[] = {{10, 0.5f, 0.25f, 441, 496.125}, // 441 + 0.25 × 441 × 0.5
               {20, 1, 10, 882, 992.25},
               {30, 1, 0.25f, 1323, 1653.75}, // the longest setting, 37.5 ms
               {20, 1, 0, 992.25, 992.25}};   // below the range: a still LFO mid-sweep
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Ms) + " ms, " + std::to_string(c.Rate) + " Hz");
    TChorus chorus = ActiveChorus();
    chorus.SetDelayTime(c.Ms);
    chorus.SetDepth(c.Depth);
    chorus.SetRate(c.Rate);
    const auto trace = DelayTrace(chorus, 44100 * 4);
    EXPECT_NEAR(*std::min_element(trace.begin(), trace.end()), c.Shortest, 0.05);
    const double longest = *std::max_element(trace.begin(), trace.end());
    EXPECT_NEAR(longest, c.Longest, 0.05);
    EXPECT_LT(longest, chorus.Delays[0].Length);
  }
}

TEST(Chorus, TheSineLfoSweepsAlongASine) {
  TChorus c = ActiveChorus();
  c.SetLfoWave(1);
  c.SetDelayTime(10);
  c.SetDepth(1);
  c.SetRate(0.25f);
  // An eighth of a cycle in, a sine stands at sin(π/4) of its sweep (a triangle
  // at a half) above the base delay of 441 samples; the sweep is 110.25 wide.
  EXPECT_NEAR(DelayTrace(c, 22051)[22050], 441 + (1 + std::sqrt(0.5)) / 2 * 110.25, 0.01);
}

TEST(Chorus, MixAddsTheDelayedSignalAboveTheHighPassToTheDry) {
  // With a still 10 ms delay (441 samples) the wet copy of a 5 kHz sine is in phase.
  auto gain = [](double Hz, float Mix, float HighPassHz) {
    TChorus c = ActiveChorus();
    c.SetDelayTime(10);
    c.SetHighPassFreq(HighPassHz);
    c.SetMix(Mix);
    return qvt::test::SineGainDb(
        [&](float x) {
          float l = x, r = x;
          c.Process(l, r);
          return 0.5f * (l + r);
        },
        Hz, 44100);
  };
  EXPECT_NEAR(gain(5000, 0.5f, 20), 20 * std::log10(1.5), 0.1);
  EXPECT_NEAR(gain(100, 1, 2000), 0, 0.01); // dry only below the high-pass
}
