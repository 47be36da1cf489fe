// Value conversions and their inverses.
#include <gtest/gtest.h>

#include <cmath>

#include "lib/uFunctions.h"

using namespace qvt;

TEST(Conversions, CurvesSpanTheirRanges) {
  EXPECT_NEAR(OffsetFromValue(0.0), -999.99, 1e-9);
  EXPECT_NEAR(OffsetFromValue(1.0), 9999.99, 1e-9);
  EXPECT_DOUBLE_EQ(RatioFromValue(0.5), 32.0);
  EXPECT_NEAR(StepRatioFromValue(0.0), 0.02, 1e-12);
  EXPECT_NEAR(StepRatioFromValue(1.0), 20.0, 1e-6);
  EXPECT_NEAR(LowPassCurveHz(0.0), 320.0, 1e-9);
  EXPECT_NEAR(LowPassCurveHz(1.0), 20000.0, 1e-6);
  EXPECT_NEAR(HighPassCurveHz(1.0), 3000.0, 1e-5);
  EXPECT_NEAR(FlangerCutoffHz(1.0), 20000.0, 1e-3);
  EXPECT_DOUBLE_EQ(FlangerRateHz(1.0), 10.0);
  EXPECT_NEAR(GlideCoefficient(1.0), 0.0001, 1e-15);
  EXPECT_NEAR(GlideCoefficient(0.0), 0.01, 1e-12);
}

TEST(Conversions, InversesRoundTrip) {
  for (double v = 0.0; v <= 1.0; v += 0.0625) {
    EXPECT_NEAR(ValueFromOffset(OffsetFromValue(v)), v, 1e-12);
    EXPECT_NEAR(ValueFromRatio(RatioFromValue(v)), v, 1e-12);
    // The two rounded constants agree to about 1e-8.
    EXPECT_NEAR(ValueFromStepRatio(StepRatioFromValue(v)), v, 1e-8);
    EXPECT_NEAR(ValueFromFlangerRate(FlangerRateHz(v)), v, 1e-12);
  }
  EXPECT_NEAR(ValueFromStepRatio(1.0), 0.566323329763, 1e-9);
}

TEST(Conversions, DecibelsBelowMinus144AreSilence) {
  EXPECT_EQ(DbToGain(-144.5), 0.0);
  EXPECT_GT(DbToGain(-144.0), 0.0);
  EXPECT_NEAR(DbToGain(0.0), 1.0, 1e-15);
  EXPECT_NEAR(DbToGain(20.0), 10.0, 1e-6);
  EXPECT_NEAR(DbToGain(-6.0206), 0.5, 1e-5);
}

TEST(Conversions, FloatNotAboveNeverRoundsUp) {
  EXPECT_LT(FloatNotAbove(std::nextafter(1.0, 0.0)), 1.0f);
  EXPECT_LT(FloatNotAbove(0.3), 0.3f); // 0.3f is just above 0.3
  EXPECT_EQ(FloatNotAbove(0.5), 0.5f);
  EXPECT_EQ(FloatNotAbove(0.0), 0.0f);
}

TEST(Conversions, HundredthsAreIntegerTimesOneHundredth) {
  EXPECT_EQ(Hundredths(3), 3 * 0.01);
  EXPECT_EQ(static_cast<float>(Hundredths(2)), 0.02f);
}
