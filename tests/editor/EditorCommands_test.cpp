// The main form's commands and controls on a real synthesizer, and what the host is told.
#include <gtest/gtest.h>

#include <vector>

#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "controls/uZEditors.h"
#include "controls/uZKnob.h"
#include "controls/uZShaper.h"
#include "editor/uAbout.h"
#include "editor/uEditor.h"
#include "tests/editor/SynthFormFixture.h"

namespace {

class EditorCommands : public SynthFormTest<TFrmQuivertone> {
protected:
  TMenuItem* Item(TBrndPopupMenu& menu, int index, int sub = -1) {
    TMenuItem* item = menu.Items()->Items(index);
    return sub < 0 ? item : item->Items(sub);
  }
  std::vector<float> Stored() {
    std::vector<float> v;
    for (int i = 0; i < 72; ++i) v.push_back(Synth->getParameter(i));
    return v;
  }
};

TEST_F(EditorCommands, MenusCheckTheItemTheParametersSelect) {
  TBrndPopupMenu& pattern = Editor->PatternMenu();
  for (const auto& [value, checked] : {std::pair{0.12f, 7}, {0.03f, 3}, {0.0f, 0}}) {
    Synth->setParameter(piPatternSpeed, value);
    pattern.OnPopup(&pattern);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(Item(pattern, 0, i)->Checked, i == checked) << value << " item " << i;
  }
  TBrndPopupMenu& filter = Editor->FilterMenu();
  Synth->setParameter(piFilterLowpassType, 0.02f);
  Synth->setParameter(piFilterHighpassType, 0.03f);
  Item(filter, 3)->Click(); // "Bypass all Filters"
  EXPECT_EQ(gAutomated, (std::vector<std::pair<int, float>>{{26, 0.0f}, {27, 0.0f}}));
  filter.OnPopup(&filter);
  EXPECT_TRUE(Item(filter, 0, 0)->Checked && Item(filter, 1, 0)->Checked) << "both Off";
  Item(pattern, 0, 7)->Click();
  EXPECT_FLOAT_EQ(Synth->getParameter(piPatternSpeed), 0.07f);
}

TEST_F(EditorCommands, AddingPresetsNeedsANameAndInsertsAfterTheSelection) {
  const int count = Synth->BankCount();
  Editor->PresetBox().SetItemIndex(-1);
  Application->ProcessMessages();
  Editor->NameEdit().SetText("   ");
  Editor->AddPreset();
  ASSERT_EQ(Platform.MessageBoxes.size(), 1u);
  EXPECT_EQ(Platform.MessageBoxes[0].Text, "Preset name is empty!");
  EXPECT_EQ(Synth->BankCount(), count);

  Editor->NameEdit().SetText("My Lead");
  Platform.Click(*Editor, 407 + 148, 58 + 8); // the name editor's button
  Application->ProcessMessages();
  EXPECT_EQ(Synth->BankCount(), count + 1);
  EXPECT_STREQ(Synth->BankProgram(0).Name, "My Lead");
  EXPECT_EQ(Editor->PresetBox().Items()[0], "My Lead");
  EXPECT_EQ(Synth->SelectedIndex(), 0);
}

TEST_F(EditorCommands, DeletingAndClearingAskFirstAndNoChangesNothing) {
  const int count = Synth->BankCount();
  Editor->PresetBox().SetItemIndex(2);
  Application->ProcessMessages();
  const std::string name = Editor->PresetBox().Items()[2];
  Platform.AnswerMessageBox(qvt::idNo);
  Editor->DeletePreset();
  Platform.AnswerMessageBox(qvt::idNo);
  Editor->ClearPresets();
  EXPECT_EQ(Synth->BankCount(), count);
  EXPECT_EQ(Platform.MessageBoxes[0].Text, "Are you sure to delete preset \xAB" + name + "\xBB?");
  EXPECT_EQ(Platform.MessageBoxes[1].Text, "Are you sure clear preset list?");

  Platform.AnswerMessageBox(qvt::idYes);
  Editor->DeletePreset();
  EXPECT_EQ(Synth->BankCount(), count - 1);
  EXPECT_EQ(Editor->PresetBox().Items().Count(), count - 1);
  Platform.AnswerMessageBox(qvt::idYes);
  Editor->ClearPresets();
  EXPECT_EQ(Synth->BankCount(), 0);
  EXPECT_EQ(Editor->PresetBox().Items().Count(), 0);
}

TEST_F(EditorCommands, RandomButtonsDrawTheirOwnParametersAndTellTheHost) {
  struct TCase {
    int Tag;
    std::vector<int> Changed; // of 0…71, when different from before
  };
  std::vector<int> all;
  for (int i = 0; i < 54; ++i) all.push_back(i);
  for (const TCase& c : {TCase{74, {1, 2, 4, 5, 6, 7, 8, 9, 34, 35}},
                         TCase{76, {24, 25, 26, 27}}, TCase{72, all}}) {
    SCOPED_TRACE(c.Tag);
    const std::vector<float> before = Stored();
    gAutomated.clear();
    Editor->Randomise(c.Tag);
    const std::vector<float> after = Stored();
    for (int i = 0; i < 72; ++i) {
      const bool mayChange = std::count(c.Changed.begin(), c.Changed.end(), i) > 0 ||
                             (c.Tag == 72 && i >= 54 && i < 70); // the pattern's steps
      if (!mayChange) {
        EXPECT_EQ(after[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << i;
      }
    }
    EXPECT_EQ(gAutomated.back(), (std::pair<int, float>{c.Tag, 1.0f})) << "the button's own index";
  }
}

TEST_F(EditorCommands, CopyReports16StepsAndPasteTheWholePattern) {
  Item(Editor->PatternMenu(), 2)->Click(); // Copy pattern
  std::vector<int> steps;
  for (int i = 54; i < 70; ++i) steps.push_back(i);
  EXPECT_EQ(AutomatedIndices(), steps);
  gAutomated.clear();
  Item(Editor->PatternMenu(), 3)->Click(); // Paste pattern
  std::vector<int> pattern{52, 53};
  pattern.insert(pattern.end(), steps.begin(), steps.end());
  EXPECT_EQ(AutomatedIndices(), pattern);
}

TEST_F(EditorCommands, NothingIsSentWhileAValueIsShownOrOnceTheEditorIsClosing) {
  Synth->EditorClosed = true;
  Editor->SendParam(piOsc1Level, 0.25f);
  Editor->Randomise(piRandomFx);
  EXPECT_TRUE(gAutomated.empty());
}

class EditorControls : public EditorCommands {};

TEST_F(EditorControls, TurningAKnobSendsItsStepOnceAndTheEchoSendsNothingBack) {
  auto* knob = dynamic_cast<TZKnob*>(Editor->ControlOf(1));
  ASSERT_NE(knob, nullptr);
  const int before = static_cast<int>(std::lround(knob->Value() * 127));
  Platform.MouseDown(*Editor, 27 + 12, 46 + 12);
  Platform.MouseMove(*Editor, 27 + 12, 46 + 12 - 10, ssLeft);
  Platform.MouseUp(*Editor, 27 + 12, 46 + 2);
  const float sent = static_cast<float>(std::min(before + 10, 127) / 127.0);
  EXPECT_EQ(gAutomated, (std::vector<std::pair<int, float>>{{1, sent}}));
  // The host automates it: the knob follows without sending anything.
  gAutomated.clear();
  Synth->setParameter(piOsc1Level, 0.25f);
  Editor->SetParam(piOsc1Level, 0.25f);
  EXPECT_NEAR(knob->Value(), 32 / 127.0, 1e-9);
  EXPECT_TRUE(gAutomated.empty());
}

TEST_F(EditorControls, WaveSelectorsDriveTheirShapeDisplayBothWays) {
  auto* wave = dynamic_cast<TZTextSpinEdit*>(Editor->ControlOf(11));
  ASSERT_NE(wave, nullptr);
  wave->SetRealValue(1); // the user picks "Triangle"
  EXPECT_EQ(gAutomated, (std::vector<std::pair<int, float>>{{11, 0.1f}}));
  EXPECT_EQ(Editor->ShapeDisplay(1)->WaveForm(), otTri);
  gAutomated.clear();
  Editor->SetParam(piOsc2Waveform, 0.3f); // the host automates
  EXPECT_EQ(Editor->ShapeDisplay(1)->WaveForm(), otISw);
  EXPECT_TRUE(gAutomated.empty());
}

TEST_F(EditorControls, DraggingTheThirdShapeDisplaySendsItsShapeAndReduction) {
  TShapeBox* box = Editor->ShapeDisplay(2);
  const TPoint o = box->FormOrigin();
  Platform.MouseDown(*Editor, o.X + 10, o.Y + 10);
  Platform.MouseMove(*Editor, o.X + 30, o.Y + 0, ssLeft);
  Platform.MouseUp(*Editor, o.X + 30, o.Y + 0);
  std::vector<int> indices = AutomatedIndices();
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  EXPECT_EQ(indices, (std::vector<int>{18, 21}));
}

TEST_F(EditorControls, EveryBoundControlShowsItsParameterAndOnlyThePipeOffsetStaysPositive) {
  int bound = 0;
  for (int index = 0; index < 72; ++index) bound += Editor->ControlOf(index) != nullptr;
  EXPECT_EQ(bound, 72 - 6 - 2 - 1 - 16) << "all but shape and reduction, filter types, speed, steps";
  auto* pipe = dynamic_cast<TZSpinEditOffset*>(Editor->ControlOf(34));
  auto* osc = dynamic_cast<TZSpinEditOffset*>(Editor->ControlOf(4));
  ASSERT_TRUE(pipe && osc);
  Editor->SetParam(piPipeOffset, 0.0f);
  Editor->SetParam(piOsc1Offset, 0.0f);
  EXPECT_EQ(pipe->RealValue(), 0.0);
  EXPECT_LT(osc->RealValue(), 0.0);
}

class AboutBoxTest : public EditorCommands {};

TEST_F(AboutBoxTest, OneBoxShowsTheVersionAndAFailedLinkKeepsItOpen) {
  Platform.Click(*Editor, 500, 235);
  Platform.Click(*Editor, 500, 235);
  int boxes = 0;
  for (TForm* form : Application->Forms()) boxes += dynamic_cast<TFrmAbout*>(form) != nullptr;
  EXPECT_EQ(boxes, 1);
  TFrmAbout* about = AboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->ShownText(), TFrmAbout::BuildText());
  EXPECT_EQ(TFrmAbout::BuildText().rfind("Build: 2.2.0.", 0), 0u);

  Platform.ShellOpenError = "No such file or directory";
  Platform.Click(*about, 100, 300); // the link area
  EXPECT_EQ(AboutBox(), about) << "still open";
  ASSERT_FALSE(Platform.MessageBoxes.empty());
  EXPECT_EQ(Platform.MessageBoxes.back().Caption, "Quivertone v2.2");
  EXPECT_EQ(Platform.MessageBoxes.back().Text.rfind("Can't not open URL \xAB", 0), 0u);

  Platform.ShellOpenError.clear();
  Platform.Click(*about, 100, 300);
  Application->ProcessMessages();
  EXPECT_EQ(AboutBox(), nullptr) << "a successful link closes and frees the box";
}

TEST_F(EditorCommands, TheHelpAreaEndsBeforeItsBottomEdgeAndShowsTheHand) {
  struct TCase {
    int X, Y;
    bool Opens;
  };
  for (const TCase& c : {TCase{495, 222, true}, TCase{495, 223, false}, TCase{552, 214, true},
                         TCase{553, 214, false}, TCase{494, 218, false}}) {
    SCOPED_TRACE(std::to_string(c.X) + "," + std::to_string(c.Y));
    Platform.ShellOpens.clear();
    Platform.Click(*Editor, c.X, c.Y);
    EXPECT_EQ(Platform.ShellOpens.size(), c.Opens ? 1u : 0u);
    if (c.Opens) {
      EXPECT_EQ(Platform.ShellOpens[0], Synth->GetHelpFile());
    }
    Platform.MouseMove(*Editor, c.X, c.Y);
    EXPECT_EQ(Editor->Cursor, c.Opens ? crHandPoint : crDefault);
  }
  Platform.Click(*Editor, 500, 250); // the web page: the manual's "About" section by default
  ASSERT_EQ(Platform.ShellOpens.size(), 1u);
  EXPECT_EQ(Platform.ShellOpens[0], "file://" + Synth->GetHelpFile() + "#about");
}

} // namespace
