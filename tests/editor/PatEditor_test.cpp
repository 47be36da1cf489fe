// The pattern editor on a real synthesizer: what it reports to the host, and its modal window.
#include <gtest/gtest.h>

#include <vector>

#include "controls/uBrndMenu.h"
#include "controls/uZEditors.h"
#include "editor/uEditor.h"
#include "editor/uPatEditor.h"
#include "tests/editor/SynthFormFixture.h"

namespace {

class PatEditor : public SynthFormTest<TFrmPatEditor> {
protected:
  void BeforeTheForm() override {
    const float steps[16] = {1, 2, 0.5f, 1.5f, 1, 2, 0.5f, 1.5f, 1, 2, 0.5f, 1.5f, 0.75f, 1, 1.25f, 3};
    for (int i = 0; i < 16; ++i) Synth->SetStepRatio(i, steps[i]);
  }
  // Committed steps come back from their stored values: equal up to rounding.
  static void ExpectSame(const std::vector<float>& a, const std::vector<float>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-5f * b[i]) << i;
  }
  std::vector<float> Steps() const {
    std::vector<float> v;
    for (int i = 0; i < 16; ++i) v.push_back(Synth->StepRatio(i));
    return v;
  }
};

TEST_F(PatEditor, AStepEditorReportsItsOwnParameterWithTheStepValue) {
  Editor->StepEditor(8).SetRealValue(2.5);
  ASSERT_EQ(gAutomated.size(), 1u);
  EXPECT_EQ(gAutomated[0].first, 62);
  EXPECT_NEAR(gAutomated[0].second, 0.69897f, 1e-5f); // 2.5 = 0.02·1000^v
}

TEST_F(PatEditor, ReverseTwiceAndSixteenShiftsGiveThePatternBack) {
  const std::vector<float> start = Steps();
  Editor->PatternOperation(2);
  EXPECT_NE(Steps(), start);
  Editor->PatternOperation(2);
  ExpectSame(Steps(), start);
  for (int i = 0; i < 16; ++i) Editor->PatternOperation(3);
  ExpectSame(Steps(), start);
  std::vector<int> all;
  for (int i = 54; i < 70; ++i) all.push_back(i);
  gAutomated.clear();
  Editor->PatternOperation(4);
  EXPECT_EQ(AutomatedIndices(), all) << "an operation reports the whole pattern";
}

TEST_F(PatEditor, ApplyPitchReportsEveryStepAndShowsRatiosAbove3As3) {
  Editor->ApplyPitch(); // 0 semitones
  EXPECT_EQ(gAutomated.size(), 16u);
  Editor->PitchEditor().SetRealValue(12.0);
  Editor->ApplyPitch();
  EXPECT_NEAR(Synth->StepRatio(1), 4.0f, 1e-4f) << "the table keeps 4";
  EXPECT_EQ(Editor->StepEditor(1).RealValue(), 3.0) << "the editor shows 3.0000";
}

TEST_F(PatEditor, RestoreRightAfterOpeningReportsNothingAndLaterPutsThePatternBack) {
  const std::vector<float> start = Steps();
  Editor->Restore();
  EXPECT_TRUE(gAutomated.empty());
  Editor->PatternOperation(0);
  Editor->PatternOperation(1);
  Editor->Restore();
  ExpectSame(Steps(), start);
}

TEST_F(PatEditor, EditPatternOpensTheEditorModallyAndItsEditorsClosingEndsIt) {
  TFrmQuivertone main(nullptr);
  main.SetPlugin(Synth.get());
  main.Show();
  bool wasOpen = false;
  Platform.Then([&] {
    wasOpen = PatternEditor() && PatternEditor() != Editor && PatternEditor()->Modal();
    Application->CancelModalLoops(&main); // the host closes the editor meanwhile
  });
  TMenuItem* edit = nullptr;
  for (int i = 0; i < main.PatternMenu().Items()->Count(); ++i)
    if (main.PatternMenu().Items()->Items(i)->Caption == "Edit pattern...")
      edit = main.PatternMenu().Items()->Items(i);
  ASSERT_NE(edit, nullptr);
  edit->Click();
  EXPECT_TRUE(wasOpen);
  Application->ProcessMessages();
}

} // namespace
