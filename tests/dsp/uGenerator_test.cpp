#include "dsp/uGenerator.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

using qvt::test::MeasureFrequency;
using qvt::test::PhaseAtExactIndex;

namespace {

constexpr float kRate = 44100.0f;

// Distinct frequencies, waves, levels, shapes and reductions per operator.
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
  g.SetLevel1(0.8f);
  g.SetLevel2(0.6f);
  g.SetLevel3(0.9f);
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

TEST(Generator, DetuneSpreadsThePairByUpToTwentyHertzWhateverThePitch) {
  const struct {
    float Detune, Hz, Left, Right;
  } cases[] = {{0, 440, 460, 420}, {0.5f, 440, 440, 440}, {0.75f, 440, 430, 450}, {1, 55, 35, 75}};
  for (const auto& c : cases) {
    TGenerator g(kRate);
    g.SetAlgorithm(2);
    g.SetLevel1(0.0f);
    g.SetLevel2(0.0f);
    g.SetFrequency3(c.Hz);
    g.SetDetune(c.Detune);
    TGenerator copy = g;
    EXPECT_NEAR(MeasureFrequency(Render(g, 44100), kRate), c.Left, 0.01) << c.Detune;
    EXPECT_NEAR(MeasureFrequency(Render(copy, 44100, true), kRate), c.Right, 0.01) << c.Detune;
  }
}

TEST(Generator, EveryAlgorithmRoutesAndWeighsItsOperators) {
  // One sample of sine waves: operators 1 and 2 at their peak (phase p), the
  // pair at phase 1; the level settings 0.8, 0.6 and 0.9 act squared. Operator
  // n's output o as a phase offset is o·Ln·K, as a phase scale o·(E + Ln)·S.
  const double p = PhaseAtExactIndex(512), L1 = 0.64, L2 = 0.36, L3 = 0.81;
  const double K = 8.79645943, E = 0.0005, S = 0.05;
  const double offset1 = L1 * K, scale1 = (E + L1) * S, scale2 = (E + L2) * S;
  const double expected[] = {
      0.33 * std::sin(1.0) * L3 + 0.33 * L1 + 0.33 * L2,              // 1: mixed
      std::sin(1.0 + offset1 + L2 * K) * L3,                          // 2: 1 and 2 offset 3
      std::sin(scale2 + offset1) * L3,                                // 3: 1 offsets, 2 scales
      std::sin(scale1 + scale2) * L3,                                 // 4: 1 and 2 scale 3
      std::sin(1.0 + std::sin(p + offset1) * L2 * K) * L3,            // 5: 1 → 2 → 3 offsets
      std::sin(1.0 + std::sin(p * scale1) * L2 * K) * L3,             // 6: 1 scales 2, 2 offsets
      std::sin(std::sin(p + offset1) * scale2) * L3,                  // 7: 1 offsets 2, 2 scales
      std::sin(std::sin(p * scale1) * scale2) * L3,                   // 8: 1 → 2 → 3 scales
      std::sin(scale1) * L3 * 0.5 + std::sin(p * scale1) * L2 * 0.5}; // 9: 1 scales 2 and 3
  for (int algorithm = 1; algorithm <= 9; ++algorithm) {
    TGenerator g(kRate);
    g.SetAlgorithm(algorithm);
    g.SetLevel1(0.8f);
    g.SetLevel2(0.6f);
    g.SetLevel3(0.9f);
    g.Osc[0].Phase = g.Osc[1].Phase = p;
    g.Osc[2].Phase = g.Osc[3].Phase = 1.0;
    float l, r;
    g.Process(l, r);
    EXPECT_NEAR(l, expected[algorithm - 1], 1e-5) << "algorithm " << algorithm;
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
    float l, r;
    for (int n = 0; n < 2000; ++n) {
      g.Process(l, r);
      ASSERT_EQ(l, r) << "algorithm " << algorithm << " sample " << n;
    }
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

// The engine renders with the segment form; operator 1 glides inside the segments.
TEST(Generator, TheSegmentFormGivesTheBitsOfThePerSampleForm) {
  for (int algorithm = 1; algorithm <= 9; ++algorithm) {
    TGenerator single = ConfiguredGenerator(algorithm), segment = ConfiguredGenerator(algorithm);
    for (int k = 0; k < 40; ++k) {
      const int count = 1 + (k * 37) % TGenerator::kMaxSegment;
      float expectedLeft[TGenerator::kMaxSegment], expectedRight[TGenerator::kMaxSegment];
      float left[TGenerator::kMaxSegment], right[TGenerator::kMaxSegment];
      for (int n = 0; n < count; ++n) {
        const float glide = 200.0f + 3.0f * static_cast<float>(k * 64 + n);
        single.SetFrequency1(glide);
        segment.SetFrequency1(glide);
        single.Process(expectedLeft[n], expectedRight[n]);
        segment.AdvancePhases(n);
      }
      segment.ProcessSegment(left, right, count);
      for (int n = 0; n < count; ++n) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(left[n]),
                  std::bit_cast<std::uint32_t>(expectedLeft[n]))
            << "algorithm " << algorithm << " segment " << k << " sample " << n;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(right[n]),
                  std::bit_cast<std::uint32_t>(expectedRight[n]))
            << "algorithm " << algorithm << " segment " << k << " sample " << n;
      }
    }
  }
}
