// TGenerator: operator settings, the detuned pair and the nine algorithms.
#include "dsp/uGenerator.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using qvt::test::MeasureFrequency;
using qvt::test::PhaseAtExactIndex;

namespace {

constexpr float kRate = 44100.0f;

// The routing table written out with four free-standing oscillators: each
// algorithm's modulator signals and carriers, in extended precision, with the
// two intermediate signals held as 32-bit floats. The levels are the squares
// of the level settings.
struct TReference {
  TReference(const TGenerator& g, float Level1, float Level2, float Level3)
      : Osc{g.Osc[0], g.Osc[1], g.Osc[2], g.Osc[3]}, L1(Level1 * Level1), L2(Level2 * Level2),
        L3(Level3 * Level3), Algorithm(g.Algorithm) {}

  static float Offset(float out, long double level) { return float(out * level * 8.79645943L); }
  static float Scale(float out, long double level) {
    return float(out * (0.0005L + level) * 0.05L);
  }

  void Process(float& left, float& right) {
    TOsc &o1 = Osc[0], &o2 = Osc[1], &o3 = Osc[2], &o4 = Osc[3];
    float a = 0, b = 0;
    switch (Algorithm) {
    case 1:
      a = o1.Process(0, 1) * L1;
      b = o2.Process(0, 1) * L2;
      left = float(0.33L * (o3.Process(0, 1) * L3) + 0.33L * a + 0.33L * b);
      right = float(0.33L * (o4.Process(0, 1) * L3) + 0.33L * a + 0.33L * b);
      return;
    case 2:
      a = Offset(o1.Process(0, 1), L1);
      b = Offset(o2.Process(0, 1), L2);
      left = o3.Process(a + b, 1) * L3, right = o4.Process(a + b, 1) * L3;
      return;
    case 3:
      a = Offset(o1.Process(0, 1), L1);
      b = Scale(o2.Process(0, 1), L2);
      left = o3.Process(a, b) * L3, right = o4.Process(a, b) * L3;
      return;
    case 4:
      a = Scale(o1.Process(0, 1), L1);
      b = Scale(o2.Process(0, 1), L2);
      left = o3.Process(0, a + b) * L3, right = o4.Process(0, a + b) * L3;
      return;
    case 5:
      a = Offset(o1.Process(0, 1), L1);
      b = Offset(o2.Process(a, 1), L2);
      left = o3.Process(b, 1) * L3, right = o4.Process(b, 1) * L3;
      return;
    case 6:
      a = Scale(o1.Process(0, 1), L1);
      b = Offset(o2.Process(0, a), L2);
      left = o3.Process(b, 1) * L3, right = o4.Process(b, 1) * L3;
      return;
    case 7:
      a = Offset(o1.Process(0, 1), L1);
      b = Scale(o2.Process(a, 1), L2);
      left = o3.Process(0, b) * L3, right = o4.Process(0, b) * L3;
      return;
    case 8:
      a = Scale(o1.Process(0, 1), L1);
      b = Scale(o2.Process(0, a), L2);
      left = o3.Process(0, b) * L3, right = o4.Process(0, b) * L3;
      return;
    case 9:
      a = Scale(o1.Process(0, 1), L1);
      b = float(o2.Process(0, a) * (long double)L2 * 0.5L);
      left = float(o3.Process(0, a) * (long double)L3 * 0.5L + b);
      right = float(o4.Process(0, a) * (long double)L3 * 0.5L + b);
      return;
    }
  }

  TOsc Osc[4];
  float L1, L2, L3;
  int Algorithm;
};

// Distinct frequencies, waves, levels, shapes and reductions per operator.
constexpr float kLevels[3] = {0.8f, 0.6f, 0.9f};
TGenerator ConfiguredGenerator(int algorithm) {
  TGenerator g(kRate);
  g.SetAlgorithm(algorithm);
  g.SetFrequency1(331.0f);
  g.SetFrequency2(97.5f);
  g.SetFrequency3(220.0f);
  g.SetDetune(0.6f);
  g.SetWaveForm1(otTri);
  g.SetWaveForm2(otSaw);
  g.SetWaveForm3(otISw);
  g.SetLevel1(kLevels[0]);
  g.SetLevel2(kLevels[1]);
  g.SetLevel3(kLevels[2]);
  g.SetShape2(0.3f);
  g.SetReduction1(0.1f);
  return g;
}

std::vector<float> Render(TGenerator& g, int samples, bool right = false) {
  std::vector<float> out(samples);
  float l, r;
  for (float& s : out) g.Process(l, r), s = right ? r : l;
  return out;
}

} // namespace

TEST(Generator, AlgorithmsOutsideOneThroughNinePlayTheNearestOne) {
  const int cases[][2] = {{0, 1}, {-5, 1}, {10, 9}, {1000, 9}};
  for (const auto& [in, played] : cases) {
    TGenerator g = ConfiguredGenerator(in), expected = ConfiguredGenerator(played);
    EXPECT_EQ(Render(g, 500), Render(expected, 500)) << in;
  }
}

TEST(Generator, FrequencyZeroOnAFreshGeneratorLeavesOperatorOneAt1000Hz) {
  TGenerator g(kRate);
  g.SetFrequency1(0.0f);
  EXPECT_EQ(g.Osc[0].Frequency, 1000.0f);
  g.SetFrequency1(220.0f);
  g.SetFrequency2(330.0f);
  EXPECT_EQ(g.Osc[0].Frequency, 220.0f);
  EXPECT_EQ(g.Osc[1].Frequency, 330.0f);
}

TEST(Generator, DetuneSpreadsThePairByUpToTwentyHertz) {
  TGenerator g(kRate);
  g.SetFrequency3(440.0f); // Detune still 0: left 20 Hz above, right 20 Hz below
  EXPECT_EQ(g.Osc[2].Frequency, 460.0f);
  EXPECT_EQ(g.Osc[3].Frequency, 420.0f);
  g.SetDetune(0.5f);
  EXPECT_EQ(g.Osc[2].Frequency, 440.0f);
  EXPECT_EQ(g.Osc[3].Frequency, 440.0f);
  g.SetDetune(1.0f);
  g.SetFrequency3(55.0f); // absolute, whatever the pitch
  EXPECT_EQ(g.Osc[2].Frequency, 35.0f);
  EXPECT_EQ(g.Osc[3].Frequency, 75.0f);
}

TEST(Generator, EveryAlgorithmFollowsItsRouting) {
  for (int algorithm = 1; algorithm <= 9; ++algorithm) {
    TGenerator g = ConfiguredGenerator(algorithm);
    TReference ref(g, kLevels[0], kLevels[1], kLevels[2]);
    for (int n = 0; n < 4000; ++n) {
      float l, r, refL, refR;
      g.Process(l, r);
      ref.Process(refL, refR);
      ASSERT_NEAR(l, refL, 1e-6) << "algorithm " << algorithm << " sample " << n;
      ASSERT_NEAR(r, refR, 1e-6) << "algorithm " << algorithm << " sample " << n;
    }
  }
}

TEST(Generator, AFreshGeneratorMixesAllOscillatorsAtFullLevelToPointNineNine) {
  TGenerator g(kRate);
  for (TOsc& osc : g.Osc) osc.Phase = PhaseAtExactIndex(512); // sine peak
  float l, r;
  g.Process(l, r);
  EXPECT_EQ(l, 0.99f);
  EXPECT_EQ(r, 0.99f);
}

TEST(Generator, PlaysOperatorThreeAtItsDetunedPitches) {
  TGenerator g(kRate);
  g.SetAlgorithm(2);
  g.SetLevel1(0.0f);
  g.SetLevel2(0.0f);
  g.SetFrequency3(440.0f);
  g.SetDetune(0.75f);
  TGenerator copy = g;
  EXPECT_NEAR(MeasureFrequency(Render(g, 44100), kRate), 430.0, 0.01);
  EXPECT_NEAR(MeasureFrequency(Render(copy, 44100, true), kRate), 450.0, 0.01);
}

TEST(Generator, SilentOperatorOneStillScalesThroughTheOffsetE) {
  // With level 0, operator 1's wave matters only where it feeds a phase scale.
  for (int algorithm = 2; algorithm <= 9; ++algorithm) {
    TGenerator sine = ConfiguredGenerator(algorithm);
    sine.SetLevel1(0.0f);
    sine.SetWaveForm1(otSin);
    TGenerator saw = sine;
    saw.SetWaveForm1(otSaw);
    const std::vector<float> a = Render(sine, 2000), b = Render(saw, 2000);
    const bool scales = algorithm == 4 || algorithm == 6 || algorithm == 8 || algorithm == 9;
    EXPECT_EQ(a != b, scales) << "algorithm " << algorithm;
  }
}

TEST(Generator, UndetunedPairGivesEqualChannels) {
  for (int algorithm = 2; algorithm <= 9; ++algorithm) {
    TGenerator g = ConfiguredGenerator(algorithm);
    g.SetShape3(-0.4f); // operator 3's settings reach both oscillators of the pair
    g.SetReduction3(0.7f);
    g.SetDetune(0.5f);
    g.ResetPhases();
    float l, r;
    for (int n = 0; n < 2000; ++n) {
      g.Process(l, r);
      ASSERT_EQ(l, r) << "algorithm " << algorithm << " sample " << n;
    }
    g.SetDetune(0.55f);
    bool differ = false;
    for (int n = 0; n < 2000; ++n) g.Process(l, r), differ |= l != r;
    EXPECT_TRUE(differ) << "algorithm " << algorithm;
  }
}

TEST(Generator, ResetPhasesRestartsTheSound) {
  for (int algorithm = 1; algorithm <= 9; ++algorithm) {
    TGenerator g = ConfiguredGenerator(algorithm);
    TGenerator fresh = ConfiguredGenerator(algorithm);
    Render(g, 1234);
    g.ResetPhases();
    EXPECT_EQ(Render(g, 500), Render(fresh, 500)) << "algorithm " << algorithm;
  }
}
