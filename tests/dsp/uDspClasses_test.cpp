#include "dsp/uDspClasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

// Index of the first non-zero output after a unit impulse, or -1.
int ImpulseArrival(TFastDelay& d, int MaxCalls) {
  for (int n = 0; n < MaxCalls; ++n)
    if (d.Process(n == 0 ? 1.0f : 0.0f) != 0) return n;
  return -1;
}

// Catmull-Rom spline in its textbook polynomial form.
double CatmullRom(double ym1, double y0, double y1, double y2, double t) {
  return 0.5 * (2 * y0 + (y1 - ym1) * t + (2 * ym1 - 5 * y0 + 4 * y1 - y2) * t * t +
                (3 * (y0 - y1) + y2 - ym1) * t * t * t);
}

} // namespace

TEST(FastDelay, ImpulseArrivesAfterTheDelayClampedToTheLineOf2756Samples) {
  // Zero, the whole line and anything beyond read the oldest sample; not a
  // number reads as zero (a pipe frequency equal to its spread divides by zero).
  const struct {
    float Delay;
    int Arrival;
  } cases[] = {{2, 2},        {11, 11},
               {2755, 2755},  {0, 2756},
               {2756, 2756},  {5000, 2756},
               {-3, 2756},    {kInf, 2756},
               {-kInf, 2756}, {std::numeric_limits<float>::quiet_NaN(), 2756}};
  for (const auto& c : cases) {
    TFastDelay d(44100);
    d.SetDelay(c.Delay);
    EXPECT_EQ(ImpulseArrival(d, 6000), c.Arrival) << "delay " << c.Delay;
  }
  TFastDelay d(44100); // a whole delay returns the impulse exactly
  d.SetDelay(10);
  for (int n = 0; n < 30; ++n)
    EXPECT_EQ(d.Process(n == 0 ? 1.0f : 0.0f), n == 10 ? 1.0f : 0.0f) << "call " << n;
}

TEST(FastDelay, FractionalDelayInterpolatesWithHermiteCurve) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> noise(-1, 1);
  std::vector<float> input(400);
  for (float& x : input) x = noise(rng);

  for (float delay : {10.25f, 10.5f, 37.75f, 2.125f}) {
    TFastDelay d(44100);
    d.SetDelay(delay);
    const int whole = static_cast<int>(std::floor(delay));
    const double t = 1 - (delay - whole); // position between x[n-whole-1] and x[n-whole]
    for (int n = 0; n < static_cast<int>(input.size()); ++n) {
      const float y = d.Process(input[n]);
      const int i = n - whole - 1;
      if (i - 1 < 0 || i + 2 >= n) continue; // every tap must be written and older than n
      const double expected = CatmullRom(input[i - 1], input[i], input[i + 1], input[i + 2], t);
      ASSERT_NEAR(y, expected, 1e-5) << "delay " << delay << " call " << n;
    }
  }
}

TEST(FastDelay, FeedbackRepeatsTheEchoWithAPowerLawGainCappedAt099) {
  const struct {
    float Feedback;
    bool Invert;
    double Gain;
  } cases[] = {{0.5f, false, 0.812},
               {1.0f, true, -0.997},
               {0.0f, false, 0.0},
               {-0.5f, false, 0.0},
               {std::numeric_limits<float>::quiet_NaN(), false, 0.0}};
  for (const auto& c : cases) {
    TFastDelay d(44100);
    d.SetDelay(100);
    d.SetFeedback(c.Feedback);
    d.SetInvert(c.Invert);
    std::vector<float> out(400);
    for (int n = 0; n < 400; ++n) out[n] = d.Process(n == 0 ? 1.0f : 0.0f);
    EXPECT_NEAR(out[200], c.Gain, 0.0005) << c.Feedback << (c.Invert ? " inverted" : "");
    EXPECT_FLOAT_EQ(out[300], out[200] * out[200]) << c.Feedback;
  }
}

TEST(FastDelay, ClearZeroesOnlyOnceUntilTheOwnerRearmsIt) {
  TFastDelay d(44100);
  d.SetDelay(50);
  d.Process(1);
  d.Clear(); // still marked cleared from construction: nothing happens
  int n = 1;
  for (; n < 50; ++n) d.Process(0);
  EXPECT_EQ(d.Process(0), 1.0f);

  d.Process(1);
  d.Cleared = false;
  d.Clear();
  for (float x : d.Buffer) ASSERT_EQ(x, 0.0f);
}

TEST(FastDelay, DenormalsAreFlushedWhenWritten) {
  TFastDelay d(44100);
  d.SetDelay(5);
  d.SetFeedback(0.99f);
  d.Process(1e-30f); // its echoes decay below the normal range
  for (int n = 0; n < 200000; ++n) d.Process(0);
  for (std::size_t i = 0; i < d.Buffer.size(); ++i)
    ASSERT_TRUE(d.Buffer[i] == 0 || std::isnormal(d.Buffer[i])) << "position " << i;
}

TEST(CombFilter, ImpulseReturnsAfterItsLengthOfAtLeastOneThenDecaysByTheFeedback) {
  for (const auto& [length, period] : {std::pair{7, 7}, {0, 1}, {-4, 1}}) {
    TComb c;
    c.SetLength(5);
    c.SetLength(length);
    c.Feedback = 0.5f;
    for (int n = 0; n < 30; ++n) {
      const float expected = (n > 0 && n % period == 0) ? std::pow(0.5f, n / period - 1) : 0.0f;
      EXPECT_EQ(c.Process(n == 0 ? 1.0f : 0.0f), expected) << "length " << length << " call " << n;
    }
  }
}

TEST(CombFilter, DenormalsInTheLineReadBackAsZero) {
  TComb c;
  c.SetLength(3);
  c.Feedback = 1;
  c.Buffer[0] = std::numeric_limits<float>::denorm_min();
  EXPECT_EQ(c.Process(0), 0.0f);
  EXPECT_EQ(c.Buffer[0], 0.0f);
}

TEST(AllpassFilter, ReturnsTheLineMinusTheInput) {
  TAllpass a;
  a.SetLength(4);
  a.Feedback = 0.5f;
  std::vector<float> out(13);
  for (int n = 0; n < 13; ++n) out[n] = a.Process(n == 0 ? 1.0f : 0.0f);
  EXPECT_EQ(out[0], -1.0f);
  EXPECT_EQ(out[4], 1.0f);
  EXPECT_EQ(out[8], 0.5f);
  EXPECT_EQ(out[12], 0.25f);
}
