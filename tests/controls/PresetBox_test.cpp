// The preset browser (list, scroll bar, type-ahead, rows), the name editor, the menu delay.
#include <gtest/gtest.h>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "platform/core/uClipboard.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class PresetBox : public HeadlessTest {
protected:
  TZPresetBox* Box = nullptr;
  TZTextEdit* Edit = nullptr;
  int IndexReports = 0, Deletes = 0, Changes = 0, ButtonClicks = 0;

  void SetUp() override {
    HeadlessTest::SetUp();
    qvt::LoadSharedSkinImages();
    Form->SetBounds(0, 0, 300, 200);
    Box = new TZPresetBox(Form);
    Box->SetParent(Form);
    Box->SetBounds(10, 10, 157, 97);
    Box->OnItemIndexChange = [this](TObject*) { ++IndexReports; };
    Box->OnItemsDelete = [this](TObject*) { ++Deletes; };
    Edit = new TZTextEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 150, 157, 17);
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Edit->OnBtnClick = [this](TObject*) { ++ButtonClicks; };
    Application->ProcessMessages();
  }
  void Fill(const std::vector<std::string>& names) {
    for (const std::string& name : names) Box->AddItem(name);
    Application->ProcessMessages();
    IndexReports = 0;
  }
  static std::vector<std::string> Numbered(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("Preset " + std::to_string(i));
    return names;
  }
  // The middle of a part of the bar, in form coordinates.
  TPoint BarPoint(TZVBar::TPart part) {
    const TRect r = Box->Bar().Part(part);
    const TPoint o = Box->Bar().FormOrigin();
    return {o.X + (r.Left + r.Right) / 2, o.Y + (r.Top + r.Bottom) / 2};
  }
};

TEST_F(PresetBox, TheBarCoversTheItemsThatDoNotFit) {
  EXPECT_EQ(Box->List().Height(), 91);
  Fill(Numbered(20));
  EXPECT_EQ(Box->Bar().Range(), 20);
  EXPECT_EQ(Box->Bar().Window(), 7);
  Box->Bar().SetPosition(99);
  EXPECT_EQ(Box->Bar().Position(), 13.0f);
  EXPECT_EQ(Box->List().TopIndex(), 13) << "the bar scrolls the list";
  Box->Clear();
  Fill(Numbered(5));
  EXPECT_FALSE(Box->Bar().Enabled()) << "all items fit";
}

TEST_F(PresetBox, HoldingAnArrowStepsOnceThenAfter600MsEvery50Ms) {
  Fill(Numbered(20));
  const TPoint down = BarPoint(TZVBar::zpDown);
  Platform.MouseDown(*Form, down.X, down.Y); // steps at once, then waits 600 ms
  for (const auto& [ms, position] :
       {std::pair{599, 1.0f}, {1, 2.0f}, {49, 2.0f}, {1, 3.0f}, {50, 4.0f}}) {
    Platform.AdvanceTime(static_cast<std::uint64_t>(ms));
    EXPECT_EQ(Box->Bar().Position(), position) << "after " << ms << " ms more";
  }
  Platform.MouseUp(*Form, down.X, down.Y);
  Platform.AdvanceTime(500);
  EXPECT_EQ(Box->Bar().Position(), 4.0f);
}

TEST_F(PresetBox, TheThumbIsAtLeast18PixelsAnd34PixelsOfDragCoverTheRange) {
  Fill(Numbered(200));
  EXPECT_EQ(Box->Bar().Part(TZVBar::zpThumb).Height(), 18);
  const TPoint thumb = BarPoint(TZVBar::zpThumb);
  Platform.MouseDown(*Form, thumb.X, thumb.Y);
  Platform.MouseMove(*Form, thumb.X, thumb.Y + 17, ssLeft);
  EXPECT_EQ(Box->Bar().Position(), 96.0f) << "half the range: round(193 * 17 / 34)";
  Platform.MouseMove(*Form, thumb.X, thumb.Y + 80, ssLeft);
  Platform.MouseUp(*Form, thumb.X, thumb.Y + 80);
  EXPECT_EQ(Box->List().TopIndex(), 193) << "the bar's end scrolls the list to it";
}

TEST_F(PresetBox, TypeAheadFindsTheFirstItemBeginningWithWhatWasTypedWithin500Ms) {
  Fill({"Alpha", "Abyss", "Bass", "Bells"});
  Box->List().SetFocus();
  Platform.Type(*Form, "a");
  Platform.AdvanceTime(499);
  Platform.Type(*Form, "B");
  EXPECT_EQ(Box->ItemIndex(), 1) << "\"ab\" finds Abyss";
  Platform.AdvanceTime(1000);
  Platform.Type(*Form, "b");
  EXPECT_EQ(Box->ItemIndex(), 2) << "a pause starts a new search";
  Platform.PressKey(*Form, vkDelete);
  EXPECT_EQ(Deletes, 1);
}

TEST_F(PresetBox, SettingTheIndexFromCodeIsReportedOnceAfterThePendingMessages) {
  Fill(Numbered(20));
  Box->SetItemIndex(15);
  EXPECT_EQ(IndexReports, 0) << "not yet";
  EXPECT_EQ(Box->Bar().Position(), static_cast<float>(Box->List().TopIndex())) << "the bar at once";
  Application->ProcessMessages();
  EXPECT_EQ(IndexReports, 1);
  Box->SetItemIndex(15);
  Application->ProcessMessages();
  EXPECT_EQ(IndexReports, 1) << "the same index is not reported again";
  Box->Items().Add("Another");
  Application->ProcessMessages();
  EXPECT_EQ(IndexReports, 2) << "after a change of the items it is";
}

TEST_F(PresetBox, RowsShowTheRowBackgroundAndTheSelectedOneIsFramed) {
  Fill({"Bass", "Lead"});
  Box->SetItemIndex(1);
  Application->ProcessMessages();
  const auto background = LoadSkinBitmap("FONT_BG");
  const TPoint o = Box->List().FormOrigin();
  EXPECT_EQ(PixelAt(o.X + 60, o.Y + 1), qvt::ColorOfPixel(background->Pixel(60, 1)));
  EXPECT_EQ(PixelAt(o.X + 60, o.Y + 13), RGBColor(187, 255, 173)) << "top of the selected row";
  const TBitmap& font = *qvt::SharedSkinImages().Font1;
  const int glyph = 5 * ('B' - 32); // the first letter, drawn at (2, 3) of its row
  int same = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 5; ++x)
      same += PixelAt(o.X + 2 + x, o.Y + 3 + y) == qvt::ColorOfPixel(font.Pixel(glyph + x, y));
  EXPECT_EQ(same, 40);
}

TEST_F(PresetBox, TheNameEditorCutsTo22CharactersFiresOnChangeOnEnterAndEditsLikeAnEdit) {
  Edit->SetFocus();
  Edit->SetText("123456789012345678901234567890");
  EXPECT_EQ(Edit->Text(), "1234567890123456789012");
  Edit->SetText("");
  Platform.Type(*Form, "Bass");
  EXPECT_EQ(Edit->Text(), "Bass");
  EXPECT_EQ(Changes, 0);
  Platform.PressKey(*Form, vkReturn);
  EXPECT_EQ(Changes, 1);
  Platform.Click(*Form, 10 + 150, 155);
  EXPECT_EQ(ButtonClicks, 1);

  Edit->SetText("Warm Pad");
  for (const std::uint16_t key : {vkEnd, vkBack, vkHome, vkDelete}) Platform.PressKey(*Form, key);
  EXPECT_EQ(Edit->Text(), "arm Pa");
  for (const char key : {'A', 'X'}) Platform.PressKey(*Form, key, ssCtrl);
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_EQ(GetClipboardText(), "arm Pa");
  Platform.PressKey(*Form, 'Z', ssCtrl);
  EXPECT_EQ(Edit->Text(), "arm Pa");
  SetClipboardText("W\nX");
  Platform.PressKey(*Form, vkHome);
  Platform.PressKey(*Form, 'V', ssCtrl);
  EXPECT_EQ(Edit->Text(), "WXarm Pa") << "control characters are not pasted";
  // Dragging from character 3 selects up to where the pointer stops.
  Platform.MouseDown(*Form, 10 + 15, 155);
  Platform.MouseMove(*Form, 10 + 27, 155, ssLeft);
  Platform.MouseUp(*Form, 10 + 27, 155);
  EXPECT_EQ(Edit->SelectedText(), "ar");
}

TEST_F(PresetBox, TheNameEditorsContextMenuOffersWhatCanBeDone) {
  Edit->SetFocus();
  Edit->SetText("Lead");
  SetClipboardText("");
  std::vector<bool> enabled;
  Platform.Then([&] {
    for (int i = 0; i < Edit->Menu().Items()->Count(); ++i)
      enabled.push_back(Edit->Menu().Items()->Items(i)->Enabled);
    for (TForm* form : Application->Forms())
      if (form != Form) Platform.PressKey(*form, vkEscape);
  });
  Platform.MouseDown(*Form, 20, 155, mbRight);
  Platform.MouseUp(*Form, 20, 155, mbRight);
  // Undo, -, Cut, Copy, Paste, -, Select All
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, false, false, false, true, true}));
}

// The submenu delay comes from the user's setting.
TEST(BrndMenu, SubmenuDelayIs400MsWithoutTheSettingAnd0WhenItIsNoNumber) {
  EXPECT_EQ(qvt::MenuShowDelay(std::nullopt), 400u);
  EXPECT_EQ(qvt::MenuShowDelay(std::string("250")), 250u);
  EXPECT_EQ(qvt::MenuShowDelay(std::string("abc")), 0u);
}

} // namespace
