#include "dsp/uOsc.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <bit>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

using qvt::test::MeasureFrequency;
using qvt::test::PhaseAtExactIndex;

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int N = qvt::kWaveLength;

// Four-point Hermite in the Catmull-Rom polynomial form, in extended precision.
long double HermiteReference(const float* t, double phase) {
  const long double pos = static_cast<long double>(phase) * qvt::kPhaseToIndex;
  const long double i = std::floor(pos);
  const long double f = pos - i;
  const long long k = static_cast<long long>(i);
  const long double ym1 = t[(k - 1) & (N - 1)], y0 = t[k & (N - 1)];
  const long double y1 = t[(k + 1) & (N - 1)], y2 = t[(k + 2) & (N - 1)];
  return 0.5L * (2 * y0 + (y1 - ym1) * f + (2 * ym1 - 5 * y0 + 4 * y1 - y2) * f * f +
                 (3 * (y0 - y1) + y2 - ym1) * f * f * f);
}

// Lets a test write its own table contents; restores the real waves afterwards.
class OnTestTable : public ::testing::Test {
protected:
  void SetUp() override { std::memcpy(Saved, WaveTable, sizeof Saved); }
  void TearDown() override { std::memcpy(WaveTable, Saved, sizeof Saved); }
  float Saved[qvt::kWaveCount][N];
};

double Correlation(const float* a, const std::vector<double>& b) {
  double ab = 0, aa = 0, bb = 0;
  for (int n = 0; n < N; ++n) ab += a[n] * b[n], aa += a[n] * a[n], bb += b[n] * b[n];
  return ab / std::sqrt(aa * bb);
}

} // namespace

TEST(WaveTableContents, EachWaveIsOneCycleOfItsNamedShape) {
  const auto sine = [](double x) { return std::sin(2 * std::numbers::pi * x); };
  const auto triangle = [](double x) {
    return x < 0.25 ? 4 * x : x < 0.75 ? 2 - 4 * x : 4 * x - 4;
  };
  const auto saw = [](double x) { return x < 0.5 ? 2 * x : 2 * x - 2; }; // falls at half cycle
  const struct {
    int Wave;
    double (*Shape)(double);
    double Sign, Correlation;
  } cases[] = {{otSin, sine, 1, 0.99999},
               {otTri, triangle, 1, 0.999},
               {otSaw, saw, 1, 0.99},
               {otISw, saw, -1, 0.99}};
  for (const auto& c : cases) {
    std::vector<double> ideal(N);
    for (int n = 0; n < N; ++n) ideal[n] = c.Sign * c.Shape(static_cast<double>(n) / N);
    EXPECT_GT(Correlation(WaveTable[c.Wave], ideal), c.Correlation) << "wave " << c.Wave;
  }
}

TEST(WaveLookup, PassesThroughTheStoredSamples) {
  for (int w = 0; w < qvt::kWaveCount; ++w)
    for (int n = 0; n < N; ++n)
      ASSERT_EQ(WaveLookup(w, PhaseAtExactIndex(n)), WaveTable[w][n]) << w << " " << n;
}

TEST(WaveLookup, AFullTurnWrapsToTheFirstSample) {
  for (int w = 0; w < qvt::kWaveCount; ++w) EXPECT_EQ(WaveLookup(w, kTwoPi), WaveTable[w][0]);
  EXPECT_EQ(WaveLookupRaw(otSaw, kTwoPi + 1e-9), WaveTable[otSaw][0]);
}

TEST_F(OnTestTable, WaveLookupMatchesFourPointHermiteBetweenSamples) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (float& v : WaveTable[2]) v = value(random);
  std::uniform_real_distribution<double> phase(0.0, kTwoPi);
  for (int k = 0; k < 5000; ++k) {
    const double p = phase(random);
    ASSERT_NEAR(WaveLookup(2, p), HermiteReference(WaveTable[2], p), 2e-6) << p;
  }
}

TEST_F(OnTestTable, RawLookupReadsAtOrBelowThePositionAndBadWaveIndicesTheLastWave) {
  for (int n = 0; n < N; ++n) WaveTable[3][n] = static_cast<float>(n);
  for (int n : {0, 1, 2, 511, 1024, 2047}) {
    EXPECT_EQ(WaveLookupRaw(3, (n + 0.01) / qvt::kPhaseToIndex), n);
    EXPECT_EQ(WaveLookupRaw(3, (n + 0.99) / qvt::kPhaseToIndex), n);
  }
  EXPECT_EQ(WaveLookupRaw(3, (2048 + 5.5) / qvt::kPhaseToIndex), 5.0f);
  const double p = PhaseAtExactIndex(100);
  EXPECT_EQ(WaveLookup(4, p), 100.0f);
  EXPECT_EQ(WaveLookupRaw(200, p), 100.0f);
}

TEST(WaveShape, FollowsItsCurveAndTakesAmountsAtOrBeyondOneAsPointNineNine) {
  const struct {
    double Amount;
    float X, Expected;
  } cases[] = {{0.0, -0.7f, -0.7f},  {0.0, 0.3f, 0.3f},                       // off
               {0.5, 0.5f, 0.75f},   {0.5, -0.25f, -0.5f}, {0.5, 1.0f, 1.0f}, // k = 2, +1 stays
               {-0.5, 0.5f, 0.25f},  {-0.5, -1.0f, -1.0f},  // k = −2/3, −1 stays
               {1.0, 0.5f, 0.995f},  {7.0, 0.5f, 0.995f},   // as 0.99: k = 198
               {-1.0, 0.5f, 0.005f}, {-3.0, 0.5f, 0.005f}}; // as −0.99
  for (const auto& c : cases)
    EXPECT_NEAR(WaveShape(c.Amount, c.X), c.Expected, 1e-6) << c.Amount << " " << c.X;
}

TEST(ReductionCoefs, SpansOneTo255Steps) {
  double steps = 0, inv = 0;
  ReductionCoefs(1.0f, steps, inv);
  EXPECT_EQ(steps, 1.0);
  ReductionCoefs(0.5f, steps, inv);
  EXPECT_NEAR(steps, 21.627416997969522, 1e-12);
  EXPECT_DOUBLE_EQ(inv, 1.0 / 21.627416997969522);
  ReductionCoefs(0.0f, steps, inv);
  EXPECT_EQ(steps, 255.0);
}

TEST(Osc, PlaysAtItsFrequencyAnd1000HzUntilTuned) {
  for (float frequency : {0.0f, 27.5f, 440.0f, 3520.0f}) {
    TOsc osc(44100.0f);
    if (frequency > 0) osc.SetFrequency(frequency);
    std::vector<float> out(44100);
    for (float& s : out) s = osc.Process(0.0f, 1.0f);
    const double expected = frequency > 0 ? frequency : 1000.0;
    EXPECT_NEAR(MeasureFrequency(out, 44100.0), expected, expected * 1e-5);
  }
}

TEST(Osc, ScalesTheWholeAccumulatedPhaseThenAddsTheOffset) {
  // Half the accumulated phase is where an oscillator at half the frequency stands.
  TOsc osc(44100.0f), half(44100.0f);
  for (TOsc* o : {&osc, &half}) o->SetWaveForm(otSaw);
  osc.SetFrequency(5000.0f);
  half.SetFrequency(2500.0f);
  for (int n = 0; n < 1000; ++n) {
    osc.Process(0.0f, 1.0f);
    half.Process(0.0f, 1.0f);
  }
  EXPECT_EQ(osc.Process(0.75f, 0.5f), half.Process(0.75f, 1.0f));
}

TEST(Osc, NegativeLookupPhasesWrapIntoOneCycle) {
  for (float offset : {-0.5f, -7.0f, -20.0f, -1000.25f}) {
    TOsc osc(44100.0f);
    osc.SetWaveForm(otSaw);
    long double p =
        std::fmod(static_cast<long double>(offset), 2.0L * std::numbers::pi_v<long double>);
    p += 2.0L * std::numbers::pi_v<long double>;
    EXPECT_NEAR(osc.Process(offset, 1.0f), WaveLookup(otSaw, static_cast<double>(p)), 2e-5)
        << offset;
  }
}

TEST(Osc, ShapesTheLookedUpSample) {
  TOsc plain(44100.0f), shaped(44100.0f);
  shaped.Shape = -0.6f;
  for (int n = 0; n < 200; ++n) {
    const float s = plain.Process(0.0f, 1.0f);
    ASSERT_EQ(shaped.Process(0.0f, 1.0f), WaveShape(-0.6f, s)) << n;
  }
}

TEST(Osc, ReductionQuantisesToItsStepsAndZeroLeavesTheSampleAlone) {
  for (float amount : {0.5f, 0.93f, 0.01f}) {
    TOsc plain(44100.0f), reduced(44100.0f), zero(44100.0f);
    reduced.SetReduction(amount);
    zero.SetReduction(0.0f);
    double steps = 0, inv = 0;
    ReductionCoefs(amount, steps, inv);
    for (int n = 0; n < 2000; ++n) {
      const float s = plain.Process(0.0f, 1.0f);
      const float expected = static_cast<float>(std::nearbyint(steps * s) * inv);
      // Bit for bit, so that the sign of zero agrees too.
      ASSERT_EQ(std::bit_cast<std::uint32_t>(reduced.Process(0.0f, 1.0f)),
                std::bit_cast<std::uint32_t>(expected))
          << amount << " at " << n;
      ASSERT_EQ(zero.Process(0.0f, 1.0f), s) << n;
    }
  }
}

TEST_F(OnTestTable, OscWithFullReductionGivesMinusOneZeroOrOneWithHalvesToZero) {
  const float values[] = {0.5f, -0.5f, 0.49f, -0.49f, 0.51f, -0.51f, 1.0f, -0.9f, 0.0f};
  for (float v : values) {
    WaveTable[otSin][0] = v;
    TOsc osc(44100.0f);
    osc.SetReduction(1.0f);
    const float expected = v == 0.5f || v == -0.5f ? 0.0f : std::nearbyint(v);
    const float actual = osc.Process(0.0f, 1.0f);
    EXPECT_EQ(actual, expected) << v;
    EXPECT_EQ(std::signbit(actual), std::signbit(v)) << "zero keeps the sign of " << v;
  }
}
