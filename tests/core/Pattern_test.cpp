// Pattern operations on the step table and the pattern's clipboard text.
#include <gtest/gtest.h>

#include <cmath>

#include "core/uPatternText.h"
#include "core/uSynth.h"
#include "platform/core/uClipboard.h"

namespace {

class PatternOperations : public ::testing::Test {
protected:
  void SetUp() override {
    for (int i = 0; i < 16; ++i) Synth.SetStepRatio(i, static_cast<float>(i + 1));
  }
  std::vector<float> Steps() const {
    std::vector<float> steps;
    for (int i = 0; i < 16; ++i) steps.push_back(Synth.StepRatio(i));
    return steps;
  }
  TSynth Synth{nullptr};
};

} // namespace

// Round trips through the editor's buttons:
// PatEditor.ReverseTwiceAndSixteenShiftsGiveThePatternBack.
TEST_F(PatternOperations, RotationsMoveTheTableByOneStepAndReversingTurnsItAround) {
  Synth.RotateStepsLeft();
  EXPECT_EQ(Synth.StepRatio(0), 2.0f);
  EXPECT_EQ(Synth.StepRatio(15), 1.0f);
  Synth.RotateStepsRight();
  Synth.RotateStepsRight();
  EXPECT_EQ(Synth.StepRatio(0), 16.0f);
  Synth.RotateStepsLeft();
  Synth.ReverseSteps();
  EXPECT_EQ(Synth.StepRatio(0), 16.0f);
  EXPECT_EQ(Synth.StepRatio(15), 1.0f);
}

TEST_F(PatternOperations, TransposingAnOctaveDoublesOrHalvesEveryRatio) {
  Synth.TransposeSteps(12.0);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(Synth.StepRatio(i), 2.0f * (i + 1)) << i;
  Synth.TransposeSteps(-24.0);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(Synth.StepRatio(i), 0.5f * (i + 1)) << i;
}

TEST_F(PatternOperations, ShufflingKeepsTheSameRatios) {
  Synth.ShuffleSteps();
  auto shuffled = Steps();
  std::sort(shuffled.begin(), shuffled.end());
  SetUp();
  EXPECT_EQ(shuffled, Steps());
}

TEST_F(PatternOperations, QuantisedRandomStepsAreSemitonesBetweenAnEighthAndEight) {
  for (int round = 0; round < 200; ++round) {
    Synth.RandomiseSteps(true);
    for (int i = 0; i < 16; ++i) {
      const double semitones = std::log2(Synth.StepRatio(i)) * 12.0;
      EXPECT_NEAR(semitones, std::nearbyint(semitones), 1e-4) << "step " << i;
      EXPECT_GE(Synth.StepRatio(i), 0.125f);
      EXPECT_LE(Synth.StepRatio(i), 8.0f);
    }
  }
  Synth.RandomiseSteps(false);
  for (int i = 0; i < 16; ++i) {
    EXPECT_GE(Synth.StepRatio(i), 0.0f);
    EXPECT_LT(Synth.StepRatio(i), 3.0f);
  }
}

TEST_F(PatternOperations, CommittingStoresTheStepsAsParametersAndKeepsTheRatios) {
  Synth.SetStepRatio(3, 1.0f);
  Synth.SetStepRatio(4, 30.0f); // beyond the stored range
  Synth.CommitSteps();
  EXPECT_NEAR(Synth.getParameter(54 + 3), 0.566323f, 1e-6);
  EXPECT_EQ(Synth.getParameter(54 + 4), 1.0f) << "the stored copy is limited";
  EXPECT_NEAR(Synth.StepRatio(3), 1.0f, 1e-6);
  EXPECT_NEAR(Synth.StepRatio(4), 30.0f, 30.0f * 1e-5) << "the engine keeps the unlimited ratio";
}

TEST_F(PatternOperations, CopiedPatternTextIsTheHeaderAndEighteenValues) {
  Synth.setParameter(piPatternSpeed, 0.04f);
  Synth.setParameter(piPortamento, 0.5f);
  for (int i = 54; i < 70; ++i) Synth.setParameter(i, 0.25f);
  Synth.setParameter(piStep16, 1.0f);
  Synth.CopyPattern();
  std::string expected = "[QVT SeqPattern]\r\n0.03999999911\r\n0.50000000000\r\n";
  for (int i = 54; i < 69; ++i) expected += "0.25000000000\r\n";
  expected += "1.00000000000\r\n";
  EXPECT_EQ(GetClipboardText(), expected);
}

// Which values a paste takes (a lower-case header, up to a line that is no number, unlimited):
// the pattern text fuzzer's corpus replay checks every seed's edit buffer.
TEST_F(PatternOperations, OnlyTheExactHeaderCountsAsAPatternAndPastedStepsSetTheirRatios) {
  std::string text = "  [qvt seqpattern] \r\n0.04\r\n0.5\r\n";
  for (int i = 0; i < 16; ++i) text += "1.5\r\n";
  SetClipboardText(text);
  EXPECT_FALSE(Synth.ClipboardHasPattern());
  Synth.PastePattern();
  EXPECT_NEAR(Synth.StepRatio(0), 0.02 * std::pow(1000.0, 1.5), 1e-2) << "pasted, not limited";
  SetClipboardText("before [QVT SeqPattern] after");
  EXPECT_TRUE(Synth.ClipboardHasPattern()) << "the exact header anywhere";
}

TEST(PatternText, OnlyPlainDecimalNumbersAreNumbers) {
  double value = -1.0;
  for (const char* good : {"0", "1.5", "-0.25", "+3", ".5", "5.", "0000.1000"}) {
    EXPECT_TRUE(qvt::ParsePlainDecimal(good, value)) << good;
  }
  EXPECT_TRUE(qvt::ParsePlainDecimal("-12.5", value));
  EXPECT_EQ(value, -12.5);
  for (const char* bad : {"", "-", ".", "nan", "inf", "-inf", "0x10", "1e5", "1,5", "1.5.2", " 1",
                          "1 ", "++1", "1e", "infinity", "NaN"}) {
    EXPECT_FALSE(qvt::ParsePlainDecimal(bad, value)) << bad;
  }
  EXPECT_FALSE(qvt::ParsePlainDecimal(std::string(60, '9'), value)) << "too large for a float";
}
