#include "dsp/uToneFilter.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using qvt::test::SettledOutput;
using qvt::test::SineGainDb;

namespace {

// A low-pass that has already glided onto Hz.
TFlt4Pole SettledLowPass(double Hz, float SampleRate = 44100) {
  TFlt4Pole f(SampleRate);
  f.SetFrequency(Hz);
  for (int n = 0; n < 5000; ++n) f.Process(0);
  return f;
}

double LowPassGainDb(double Cutoff, double Hz) {
  TFlt4Pole f = SettledLowPass(Cutoff);
  return SineGainDb([&](float x) { return f.Process(x); }, Hz, 44100);
}

double HighPassGainDb(float Cutoff, double Hz) {
  TKHPFilter f(44100);
  f.SetFrequency(Cutoff);
  return SineGainDb([&](float x) { return f.Process(x); }, Hz, 44100);
}

} // namespace

TEST(Flt4PoleLowPass, At4kHzPassesDcAtUnityGainAndFallsByTheDesignedAmounts) {
  TFlt4Pole f = SettledLowPass(4000);
  EXPECT_NEAR(SettledOutput([&](float x) { return f.Process(x); }, 1.0f, 2000), 1.0, 1e-6);
  EXPECT_NEAR(LowPassGainDb(4000, 4000), -0.4, 0.05);
  EXPECT_NEAR(LowPassGainDb(4000, 6000), -5.0, 0.1);
  EXPECT_NEAR(LowPassGainDb(4000, 10000), -19.5, 0.1);
}

TEST(Flt4PoleLowPass, GlideFrom20kHzTo4kHzSettlesAfterAbout960Samples) {
  TFlt4Pole f = SettledLowPass(20000);
  f.SetFrequency(4000);
  int samples = 0;
  while (std::fabs(f.Frequency - f.TargetFrequency) > 1 && samples < 5000) {
    f.Process(0);
    ++samples;
  }
  EXPECT_NEAR(samples, 960, 10);
  const double stopped = f.Frequency;
  f.Process(0);
  EXPECT_EQ(f.Frequency, stopped); // within 1 Hz the glide stops
}

TEST(Flt4PoleLowPass, ZeroSampleRateBecomes44100) {
  TFlt4Pole f(0), reference(44100);
  for (int n = 0; n < 2000; ++n) {
    const float x = (n * 37 % 101) / 50.0f - 1;
    ASSERT_EQ(f.Process(x), reference.Process(x)) << "sample " << n;
  }
}

TEST(Flt4PoleLowPass, CutoffAboveHalfTheSampleRateStaysStable) {
  TFlt4Pole f = SettledLowPass(20000, 32000);
  double peak = 0;
  for (int n = 0; n < 100000; ++n)
    peak = std::max(peak, std::fabs(double(f.Process((n & 1) ? 1.0f : -1.0f))));
  EXPECT_LT(peak, 4.0);
}

TEST(KHighPass, At400HzRemovesDcCompletelyAndFallsByTheDesignedAmounts) {
  TKHPFilter f(44100);
  f.SetFrequency(400);
  EXPECT_NEAR(SettledOutput([&](float x) { return f.Process(x); }, 1.0f, 44100), 0.0, 1e-6);
  EXPECT_NEAR(HighPassGainDb(400, 400), -8.3, 0.1);
  EXPECT_NEAR(HighPassGainDb(400, 1000), -1.0, 0.1);
  EXPECT_NEAR(HighPassGainDb(400, 4000), -0.7, 0.05);
}

TEST(KHighPass, ResonanceIsLimitedTo0Through50AndTheCoefficientToOne) {
  // The coefficient 2·sin(π·f/rate) reaches 1 at a sixth of the sample rate.
  const struct {
    float Frequency, Resonance, SameFrequency, SameResonance;
  } cases[] = {
      {1000, 60, 1000, 50}, {1000, -1, 1000, 0}, {1000, NAN, 1000, 0}, {8100, 1, 20000, 1}};
  for (const auto& c : cases) {
    TKHPFilter a(48000), b(48000);
    a.SetFrequency(c.Frequency), a.SetResonance(c.Resonance);
    b.SetFrequency(c.SameFrequency), b.SetResonance(c.SameResonance);
    for (int n = 0; n < 500; ++n) {
      const float x = n % 7 == 0 ? 1.0f : -0.3f;
      ASSERT_EQ(a.Process(x), b.Process(x)) << c.Frequency << " Hz, " << c.Resonance << ", " << n;
    }
  }
  TKHPFilter below(48000), capped(48000); // just below a sixth the filter still differs
  below.SetFrequency(7999), capped.SetFrequency(8001);
  bool differ = false;
  for (int n = 0; n < 500; ++n) differ |= below.Process(n % 7 == 0) != capped.Process(n % 7 == 0);
  EXPECT_TRUE(differ);
}

TEST(ToneFilter, HighPassThenLowPassLimitTheBand) {
  TLHPassFilter f(44100);
  f.SetLowPass(4000);
  f.SetHighPass(400);
  auto process = [&](float x) { return f.Process(x); };
  const double in_band = SineGainDb(process, 1500, 44100);
  EXPECT_NEAR(in_band, HighPassGainDb(400, 1500) + LowPassGainDb(4000, 1500), 0.05);
  EXPECT_LT(SineGainDb(process, 50, 44100), in_band - 20);
  EXPECT_LT(SineGainDb(process, 12000, 44100), in_band - 20);
}
