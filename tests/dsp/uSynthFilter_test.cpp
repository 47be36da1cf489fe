#include "dsp/uSynthFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr long double kOffset = 1e-24L;

std::vector<float> Noise(int length, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> x(length);
  for (float& v : x) v = dist(rng);
  return x;
}

// The chain a channel runs, written out with plain filters: high-pass, then
// low-pass, each with the offset added before and removed after.
float Chain(TFilter& high, TFilter& low, float x) {
  const float h =
      static_cast<float>(high.ProcessSample(static_cast<double>(kOffset + x)) - kOffset);
  return static_cast<float>(low.ProcessSample(static_cast<double>(kOffset + h)) - kOffset);
}

// Left-channel impulse response of the stage and its magnitude in dB at Hz.
std::vector<double> LeftImpulseResponse(TSynthFilter& f, int length = 1 << 15) {
  std::vector<double> h(length);
  for (int n = 0; n < length; ++n) {
    float left = n == 0 ? 1.0f : 0.0f, right = 0.0f;
    f.Process(left, right);
    h[n] = left;
  }
  return h;
}

double MeasuredDb(const std::vector<double>& h, double hz) {
  std::complex<double> sum = 0.0;
  const double w = 2.0 * std::numbers::pi * hz / kRate;
  for (std::size_t n = 0; n < h.size(); ++n)
    sum += h[n] * std::polar(1.0, -w * static_cast<double>(n));
  return 20.0 * std::log10(std::abs(sum));
}

template <class T> bool Is(const TFilter& f) { return dynamic_cast<const T*>(&f) != nullptr; }

} // namespace

TEST(SynthFilterCurves, LowPassRunsFrom320To20000HzAsPowersOf62Point5) {
  EXPECT_EQ(qvt::LowPassCutoffHz(0.0f), 320.0f);
  EXPECT_EQ(qvt::LowPassCutoffHz(1.0f), 20000.0f);
  for (float v : {0.1f, 0.25f, 0.5f, 0.77f, 0.99f})
    EXPECT_NEAR(qvt::LowPassCutoffHz(v), 320.0 * std::pow(62.5, v),
                1e-6 * 320.0 * std::pow(62.5, v))
        << v;
}

TEST(SynthFilterCurves, HighPassRunsFrom20ToAbout3000HzAsPowersOf150) {
  EXPECT_EQ(qvt::HighPassCutoffHz(0.0f), 20.0f);
  EXPECT_NEAR(qvt::HighPassCutoffHz(1.0f), 3000.0f, 0.01f);
  for (float v : {0.01f, 0.3f, 0.5f, 0.8f})
    EXPECT_NEAR(qvt::HighPassCutoffHz(v), 20.0 * std::pow(150.0, v),
                1e-6 * 20.0 * std::pow(150.0, v))
        << v;
}

TEST(SynthFilterKinds, KindValueMapsToTheNearestHundredthLimitedToChebyshev) {
  const struct {
    float Value;
    int Kind;
  } cases[] = {{0.0f, 0},
               {0.01f, 1},
               {0.02f, 2},
               {0.03f, 3},
               {0.5f, 3},
               {1.0f, 3},
               {0.004f, 0},
               {0.014f, 1},
               {0.016f, 2},
               {-0.02f, 0},
               {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& c : cases) EXPECT_EQ(qvt::FilterKindIndex(c.Value), c.Kind) << c.Value;
  EXPECT_STREQ(qvt::kFilterKindText[qvt::FilterKindIndex(0.02f)], "Butterworth");
}

TEST(SynthFilterKinds, FreshStageUsesReadyBiquadsAt21HzAnd19190Hz) {
  TSynthFilter f(kRate);
  for (int c = 0; c < 2; ++c) {
    EXPECT_TRUE(Is<TBiquadHP>(f.HighPass(c)));
    EXPECT_TRUE(Is<TBiquadLP>(f.LowPass(c)));
    EXPECT_TRUE(f.HighPass(c).Ready);
    EXPECT_TRUE(f.LowPass(c).Ready);
    EXPECT_NEAR(f.HighPass(c).Frequency, 21.03, 0.01);
    EXPECT_NEAR(f.LowPass(c).Frequency, 19190.0, 1.0);
  }
}

TEST(SynthFilterKinds, KindZeroOnAFreshStageKeepsTheBiquads) {
  TSynthFilter f(kRate);
  f.SetLowPassKind(0.0f);
  f.SetHighPassKind(0.0f);
  f.ApplyPendingChanges();
  EXPECT_TRUE(Is<TBiquadLP>(f.LowPass(0)));
  EXPECT_TRUE(Is<TBiquadHP>(f.HighPass(1)));
}

TEST(SynthFilterResponse, ButterworthStagesHalveThePowerAtTheirCurveCutoffs) {
  TSynthFilter low(kRate);
  low.SetHighPassKind(0.001f); // rounds to "Filter Off"
  low.SetLowPassKind(0.02f);
  low.SetLowPassCutoff(0.5f);
  const auto hl = LeftImpulseResponse(low);
  EXPECT_NEAR(MeasuredDb(hl, qvt::LowPassCutoffHz(0.5f)), -3.0103, 0.01);
  EXPECT_NEAR(MeasuredDb(hl, 0.0), 0.0, 0.01);

  TSynthFilter high(kRate);
  high.SetLowPassKind(0.001f);
  high.SetHighPassKind(0.02f);
  high.SetHighPassCutoff(0.5f);
  const auto hh = LeftImpulseResponse(high);
  EXPECT_NEAR(MeasuredDb(hh, qvt::HighPassCutoffHz(0.5f)), -3.0103, 0.01);
  EXPECT_NEAR(MeasuredDb(hh, 22050.0), 0.0, 0.01);
}

TEST(SynthFilterResponse, EachChannelRunsHighPassThenLowPassAsPlainFiltersWould) {
  // Every pair of kinds, chosen after the cutoffs were set.
  for (int highKind = 1; highKind <= 3; ++highKind)
    for (int lowKind = 1; lowKind <= 3; ++lowKind) {
      TSynthFilter f(kRate);
      f.SetLowPassCutoff(0.6f);
      f.SetHighPassCutoff(0.4f);
      f.SetLowPassKind(0.01f * lowKind);
      f.SetHighPassKind(0.01f * highKind);

      std::unique_ptr<TFilter> high[2], low[2];
      for (int c = 0; c < 2; ++c) {
        high[c] = highKind == 1   ? std::unique_ptr<TFilter>(new TBiquadHP(kRate))
                  : highKind == 2 ? std::unique_ptr<TFilter>(new TButterworthHP(kRate))
                                  : std::unique_ptr<TFilter>(new TChebyshev1HP(kRate));
        low[c] = lowKind == 1   ? std::unique_ptr<TFilter>(new TBiquadLP(kRate))
                 : lowKind == 2 ? std::unique_ptr<TFilter>(new TButterworthLP(kRate))
                                : std::unique_ptr<TFilter>(new TChebyshev1LP(kRate));
        high[c]->SetFrequency(qvt::HighPassCutoffHz(0.4f));
        low[c]->SetFrequency(qvt::LowPassCutoffHz(0.6f));
      }
      const auto left = Noise(2000, 1), right = Noise(2000, 2);
      for (std::size_t n = 0; n < left.size(); ++n) {
        if (n == 1000) { // a cutoff change keeps the filter state
          f.SetLowPassCutoff(0.3f);
          for (auto& l : low) l->SetFrequency(qvt::LowPassCutoffHz(0.3f));
        }
        float l = left[n], r = right[n];
        f.Process(l, r);
        ASSERT_EQ(l, Chain(*high[0], *low[0], left[n]))
            << "kinds " << highKind << "/" << lowKind << " sample " << n;
        ASSERT_EQ(r, Chain(*high[1], *low[1], right[n]))
            << "kinds " << highKind << "/" << lowKind << " sample " << n;
      }
    }
}

TEST(SynthFilterResponse, FilterOffReturnsEachSampleUpToTheOffsetRounding) {
  TSynthFilter f(kRate);
  f.SetLowPassKind(0.001f);
  f.SetHighPassKind(0.001f);
  for (float x : {0.5f, -0.75f, 1e-3f, 3.0f, 1e-6f, 0.0f, 1e-30f, -1e-20f}) {
    float l = x, r = -x;
    f.Process(l, r);
    if (std::abs(x) >= 1e-6f) {
      EXPECT_EQ(l, x);
      EXPECT_EQ(r, -x);
    } else {
      EXPECT_NEAR(l, x, 1e-36);
      EXPECT_NEAR(r, -x, 1e-36);
    }
  }
}

TEST(SynthFilterKinds, SwitchingAwayAndBackStartsFromCleanState) {
  TSynthFilter used(kRate), fresh(kRate);
  for (TSynthFilter* f : {&used, &fresh}) {
    f->SetHighPassKind(0.001f);
    f->SetLowPassCutoff(0.4f);
  }
  const auto input = Noise(3000, 7);
  used.SetLowPassKind(0.02f);
  for (int n = 0; n < 1000; ++n) {
    float l = input[n], r = input[n];
    used.Process(l, r);
  }
  used.SetLowPassKind(0.03f);
  for (int n = 1000; n < 2000; ++n) {
    float l = input[n], r = input[n];
    used.Process(l, r);
  }
  used.SetLowPassKind(0.021f); // Butterworth again, through a different value
  fresh.SetLowPassKind(0.02f);
  for (int n = 2000; n < 3000; ++n) {
    float l1 = input[n], r1 = -input[n], l2 = input[n], r2 = -input[n];
    used.Process(l1, r1);
    fresh.Process(l2, r2);
    ASSERT_EQ(l1, l2) << n;
    ASSERT_EQ(r1, r2) << n;
  }
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
  EXPECT_TRUE(std::isfinite(r));
  // From here the left channel behaves as that of a stage that never saw the
  // fault.
  for (float x : Noise(500, 5)) {
    float a = x, b = x, c = x, d = x;
    hit.Process(a, b);
    fresh.Process(c, d);
    ASSERT_TRUE(std::isfinite(a));
    ASSERT_EQ(a, c);
  }
}
