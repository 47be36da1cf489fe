#include "dsp/uSynthFilter.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using qvt::test::MeasuredDb;

namespace {

constexpr float kRate = 44100.0f;

std::vector<float> Noise(int length, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> x(length);
  for (float& v : x) v = dist(rng);
  return x;
}

// Impulse response of one channel of the stage.
std::vector<double> ImpulseResponse(TSynthFilter& f, int channel) {
  std::vector<double> h(1 << 15);
  for (std::size_t n = 0; n < h.size(); ++n) {
    float frame[2] = {0.0f, 0.0f};
    frame[channel] = n == 0 ? 1.0f : 0.0f;
    f.Process(frame[0], frame[1]);
    h[n] = frame[channel];
  }
  return h;
}

template <class T> bool Is(const TFilter& f) { return dynamic_cast<const T*>(&f) != nullptr; }

} // namespace

TEST(SynthFilterCurves, LowPassRunsFrom320To20000HzAndHighPassFrom20ToAbout3000Hz) {
  EXPECT_EQ(qvt::LowPassCutoffHz(0.0f), 320.0f);
  EXPECT_EQ(qvt::LowPassCutoffHz(1.0f), 20000.0f);
  EXPECT_EQ(qvt::HighPassCutoffHz(0.0f), 20.0f);
  EXPECT_NEAR(qvt::HighPassCutoffHz(1.0f), 3000.0f, 0.01f);
}

TEST(SynthFilterKinds, KindValueMapsToTheNearestHundredthLimitedToChebyshev) {
  const struct {
    float Value;
    int Kind;
  } cases[] = {{0.0f, 0},   {0.01f, 1},  {0.02f, 2},
               {0.03f, 3},  {1.0f, 3},   {0.014f, 1},
               {0.016f, 2}, {-0.02f, 0}, {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& c : cases) EXPECT_EQ(qvt::FilterKindIndex(c.Value), c.Kind) << c.Value;
}

TEST(SynthFilterKinds, FreshStageUsesReadyBiquadsAt21HzAnd19190HzThatKindZeroKeeps) {
  TSynthFilter f(kRate);
  f.SetLowPassKind(0.0f); // the stored kind is already 0: nothing changes
  f.SetHighPassKind(0.0f);
  f.ApplyPendingChanges();
  for (int c = 0; c < 2; ++c) {
    EXPECT_TRUE(Is<TBiquadHP>(f.HighPass(c)));
    EXPECT_TRUE(Is<TBiquadLP>(f.LowPass(c)));
    EXPECT_TRUE(f.HighPass(c).Ready);
    EXPECT_TRUE(f.LowPass(c).Ready);
    EXPECT_NEAR(f.HighPass(c).Frequency, 21.03, 0.01);
    EXPECT_NEAR(f.LowPass(c).Frequency, 19190.0, 1.0);
  }
}

TEST(SynthFilterResponse, EachKindGivesItsResponseAtTheCurveCutoffOnBothChannels) {
  // Biquad +3 dB, Butterworth -3.01 dB and Chebyshev 0 dB at the cutoff.
  const struct {
    float Kind;
    double AtCutoffDb;
  } cases[] = {{0.01f, 3.0}, {0.02f, -3.0103}, {0.03f, 0.0}};
  for (const auto& c : cases)
    for (const bool low : {true, false}) {
      SCOPED_TRACE(std::string(low ? "low" : "high") + "-pass kind " + std::to_string(c.Kind));
      TSynthFilter f(kRate);
      f.SetLowPassKind(low ? c.Kind : 0.001f); // the other stage rounds to "Filter Off"
      f.SetHighPassKind(low ? 0.001f : c.Kind);
      f.SetLowPassCutoff(0.3f);
      f.SetHighPassCutoff(0.5f);
      const double cutoff = low ? qvt::LowPassCutoffHz(0.3f) : qvt::HighPassCutoffHz(0.5f);
      for (int channel = 0; channel < 2; ++channel) {
        const auto h = ImpulseResponse(f, channel);
        EXPECT_NEAR(MeasuredDb(h, cutoff), c.AtCutoffDb, 0.05) << "channel " << channel;
        EXPECT_NEAR(MeasuredDb(h, low ? 0.0 : 22050.0), 0.0, 0.01) << "channel " << channel;
      }
    }
}

TEST(SynthFilterResponse, ACutoffChangeKeepsTheFilterState) {
  TSynthFilter f(kRate);
  f.SetHighPassKind(0.001f);
  f.SetLowPassKind(0.02f);
  float l = 1.0f, r = 0.0f;
  f.Process(l, r);
  f.SetLowPassCutoff(0.3f);
  l = 0.0f;
  f.Process(l, r);
  EXPECT_GT(std::fabs(l), 1e-3f); // the impulse still rings; renewed filters would be silent
}

TEST(SynthFilterResponse, FilterOffReturnsEachSampleUpToTheOffsetRounding) {
  TSynthFilter f(kRate);
  f.SetLowPassKind(0.001f);
  f.SetHighPassKind(0.001f);
  for (float x : {0.5f, -0.75f, 1e-3f, 3.0f, 1e-6f, 0.0f, 1e-30f, -1e-20f}) {
    float l = x, r = -x;
    f.Process(l, r);
    EXPECT_NEAR(l, x, 1e-36); // exact above the offset's size
    EXPECT_NEAR(r, -x, 1e-36);
  }
}

TEST(SynthFilterKinds, SwitchingAwayAndBackStartsFromCleanState) {
  TSynthFilter used(kRate), fresh(kRate);
  for (TSynthFilter* f : {&used, &fresh}) {
    f->SetHighPassKind(0.001f);
    f->SetLowPassCutoff(0.4f);
  }
  for (const float kind : {0.02f, 0.03f}) {
    used.SetLowPassKind(kind);
    for (float x : Noise(1000, 7)) {
      float right = -x;
      used.Process(x, right);
    }
  }
  used.SetLowPassKind(0.021f); // Butterworth again, through a different value
  fresh.SetLowPassKind(0.02f);
  EXPECT_EQ(ImpulseResponse(used, 1), ImpulseResponse(fresh, 1));
}

TEST(SynthFilterFaults, NonFiniteOutputKeepsTheInputAndRenewsTheFilter) {
  TSynthFilter hit(kRate), fresh(kRate);
  for (TSynthFilter* f : {&hit, &fresh}) {
    f->SetLowPassKind(0.03f);
    f->SetHighPassKind(0.02f);
  }
  const float inf = std::numeric_limits<float>::infinity();
  float l = inf, r = 0.25f;
  hit.Process(l, r);
  EXPECT_EQ(l, inf);
  for (float x : Noise(500, 5)) { // the left channel as if it had never seen the fault
    float a = x, b = x, c = x, d = x;
    hit.Process(a, b);
    fresh.Process(c, d);
    ASSERT_EQ(a, c);
  }
}
