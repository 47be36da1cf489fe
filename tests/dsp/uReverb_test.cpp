#include "dsp/uDspClasses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

// The first output of each channel that differs from the dry signal, for an impulse into the left.
std::pair<int, int> FirstWetSample(TReverb& r, int MaxCalls) {
  int left = -1, right = -1;
  for (int n = 0; n < MaxCalls && (left < 0 || right < 0); ++n) {
    float l = n == 0 ? 1.0f : 0.0f, r0 = 0;
    r.Process(l, r0);
    if (left < 0 && l != (n == 0 ? r.Dry : 0.0f)) left = n;
    if (right < 0 && r0 != 0) right = n;
  }
  return {left, right};
}

// Output energy from frame From to To for an impulse into both inputs.
double ImpulseEnergy(TReverb& r, int From, int To) {
  double energy = 0;
  for (int n = 0; n < To; ++n) {
    float l = n == 0 ? 1.0f : 0.0f, rr = l;
    r.Process(l, rr);
    if (n >= From) energy += double(l) * l + double(rr) * rr;
  }
  return energy;
}

bool AllLinesSilent(const TReverb& r) {
  const auto silent = [](const auto& lines) {
    return std::all_of(std::begin(lines), std::end(lines), [](const qvt::TFeedbackLine& line) {
      return std::all_of(line.Buffer.begin(), line.Buffer.end(), [](float x) { return x == 0; });
    });
  };
  return silent(r.CombL) && silent(r.CombR) && silent(r.AllpassL) && silent(r.AllpassR);
}

} // namespace

TEST(Reverb, LineLengthsFollowTheTuningTableScaledToTheSampleRate) {
  // At 22050 Hz 1557/44100 rounds up to 779 and 1211/44100 down to 605: the doubles
  // lie just above and just below the exact quotients.
  const struct {
    float Rate;
    int CombsL[8], CombsR[8], AllpassesL[4], AllpassesR[4];
  } cases[] = {
      {44100,
       {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617},
       {1139, 1211, 1300, 1379, 1445, 1514, 1580, 1640},
       {556, 441, 341, 225},
       {579, 464, 364, 248}},
      {48000,
       {1215, 1293, 1390, 1476, 1548, 1623, 1695, 1760},
       {1240, 1318, 1415, 1501, 1573, 1648, 1720, 1785},
       {605, 480, 371, 245},
       {630, 505, 396, 270}},
      {22050,
       {558, 594, 638, 678, 711, 746, 779, 809},
       {570, 605, 650, 689, 722, 757, 790, 820},
       {278, 221, 170, 112},
       {290, 232, 182, 124}},
      {11025,
       {279, 297, 319, 339, 355, 373, 389, 404},
       {285, 303, 325, 345, 361, 378, 395, 410},
       {139, 110, 85, 56},
       {145, 116, 91, 62}},
  };
  for (const auto& c : cases) {
    TReverb r(c.Rate);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(r.CombL[i].Length, c.CombsL[i]) << c.Rate << " comb L" << i;
      EXPECT_EQ(r.CombR[i].Buffer.size(), std::size_t(c.CombsR[i])) << c.Rate << " comb R" << i;
    }
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(r.AllpassL[i].Length, c.AllpassesL[i]) << c.Rate << " allpass L" << i;
      EXPECT_EQ(r.AllpassR[i].Length, c.AllpassesR[i]) << c.Rate << " allpass R" << i;
      EXPECT_EQ(r.AllpassL[i].Feedback, 0.5f);
    }
  }
  TReverb tiny(1);
  EXPECT_EQ(tiny.AllpassL[3].Length, 1); // rounds to 0, kept at 1
}

TEST(Reverb, ANonPositiveSampleRateFailsInTheToneFilterWithSampleRateError) {
  for (const float rate : {0.0f, -1.0f}) {
    try {
      TReverb r(rate);
      ADD_FAILURE() << "no exception at " << rate << " Hz";
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()), "Sample Rate Error!") << rate << " Hz";
    }
  }
}

TEST(Reverb, RoomValueMapsToCombFeedbackLimitedToItsRange) {
  const struct {
    float Room, Feedback;
  } cases[] = {{0, 0.7f},  {0.5f, 0.9355f}, {1, 0.98f},
               {-1, 0.7f}, {2, 0.98f},      {std::numeric_limits<float>::quiet_NaN(), 0.7f}};
  for (const auto& c : cases) {
    TReverb r(44100);
    r.SetRoomSize(c.Room);
    EXPECT_NEAR(r.CombFeedback, c.Feedback, 0.0001) << c.Room;
  }
}

TEST(Reverb, WidthSplitsTheWetLevelAndZeroWidthMakesTheReverberationMono) {
  TReverb r(44100);
  r.SetWet(0.8f);
  r.SetWidth(1);
  EXPECT_FLOAT_EQ(r.Wet1, 0.8f);
  r.SetWidth(0);
  EXPECT_FLOAT_EQ(r.Wet1, 0.4f);
  EXPECT_FLOAT_EQ(r.Wet2, 0.4f);
  r.SetRoomSize(0.7f);
  r.Dry = 0;
  bool differs = false;
  for (int n = 0; n < 20000; ++n) {
    float l = n == 0 ? 1.0f : 0.0f, rr = 0;
    r.Process(l, rr);
    ASSERT_EQ(l, rr) << "frame " << n;
    differs |= l != 0;
  }
  EXPECT_TRUE(differs);
}

TEST(Reverb, DryLevelScalesTheInputAndWetZeroAddsNothing) {
  for (const float dry : {0.5f, 0.7f}) { // a fresh reverb is active with half the input dry
    TReverb r(44100);
    r.SetRoomSize(1);
    r.SetWet(0);
    if (dry != 0.5f) r.Dry = dry;
    for (int n = 0; n < 5000; ++n) {
      const float inL = std::sin(n * 0.37f), inR = std::cos(n * 0.11f);
      float l = inL, rr = inR;
      r.Process(l, rr);
      ASSERT_FLOAT_EQ(l, inL * dry) << "sample " << n;
      ASSERT_FLOAT_EQ(rr, inR * dry) << "sample " << n;
    }
  }
}

TEST(Reverb, FirstEchoesArriveAfterTheShortestCombOfEachSide) {
  TReverb r(44100);
  r.SetWidth(1); // no cross-feed
  const auto [left, right] = FirstWetSample(r, 3000);
  EXPECT_EQ(left, 1116);
  EXPECT_EQ(right, 1139);
}

TEST(Reverb, FreshReverbWithoutRoomDecaysQuicklyWhileALargeRoomRings) {
  TReverb fresh(44100);
  TReverb large(44100);
  large.SetRoomSize(1);
  EXPECT_LT(ImpulseEnergy(fresh, 30000, 40000), 1e-12);
  EXPECT_GT(ImpulseEnergy(large, 30000, 40000), 1e-7);
}

TEST(Reverb, SwitchingOffPassesFramesUnchangedAndClearsEveryLine) {
  TReverb r(44100);
  r.SetRoomSize(0.8f);
  ImpulseEnergy(r, 0, 3000); // fills every line
  r.SetEnable(1.0f); // unchanged: keeps running, keeps its lines
  EXPECT_FALSE(AllLinesSilent(r));
  r.SetEnable(0.5f);
  EXPECT_TRUE(AllLinesSilent(r));
  float l = 0.3f, rr = -0.6f;
  r.Process(l, rr);
  EXPECT_EQ(l, 0.3f); // not even the dry level applies
  EXPECT_EQ(rr, -0.6f);
}

TEST(Reverb, ToneParametersTuneTheToneFilter) {
  TReverb r(44100);
  EXPECT_EQ(r.ToneFilter.LowPass.TargetFrequency, 4000);
  EXPECT_EQ(r.ToneFilter.HighPass.Frequency, 400.0f);
  r.SetLowPass(1);
  EXPECT_NEAR(r.ToneFilter.LowPass.TargetFrequency, 20000, 0.01);
  r.SetLowPass(0);
  EXPECT_EQ(r.ToneFilter.LowPass.TargetFrequency, 320);
  r.SetHighPass(1);
  EXPECT_NEAR(r.ToneFilter.HighPass.Frequency, 3000, 0.01);
}
