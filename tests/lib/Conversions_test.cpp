// Value conversions and their inverses.
#include <gtest/gtest.h>

#include <cmath>

#include "lib/uFunctions.h"

using namespace qvt;

// (Curve ends: the ABI suite's parameter texts; the other inverses: the bank text's units test;
// the step ratio 1: the pattern tests.)
TEST(Conversions, TheFlangerRateInverseRoundTrips) {
  for (const double v : {0.0, 0.3, 1.0})
    EXPECT_NEAR(ValueFromFlangerRate(FlangerRateHz(v)), v, 1e-12) << v;
}

TEST(Conversions, GlideCoefficientSpansItsRange) {
  EXPECT_NEAR(GlideCoefficient(1.0), 0.0001, 1e-15);
  EXPECT_NEAR(GlideCoefficient(0.0), 0.01, 1e-12);
}

TEST(Conversions, DecibelsBelowMinus144AreSilence) {
  EXPECT_EQ(DbToGain(-144.5), 0.0);
  EXPECT_GT(DbToGain(-144.0), 0.0);
  EXPECT_NEAR(DbToGain(-6.0206), 0.5, 1e-5);
}

TEST(Conversions, FloatNotAboveNeverRoundsUp) {
  EXPECT_LT(FloatNotAbove(std::nextafter(1.0, 0.0)), 1.0f);
  EXPECT_LT(FloatNotAbove(0.3), 0.3f); // 0.3f is just above 0.3
  EXPECT_EQ(FloatNotAbove(0.5), 0.5f);
  EXPECT_EQ(FloatNotAbove(0.0), 0.0f);
}
