// The framework's list control: current item and selection by mouse and keys,
// scrolling by whole rows, items inserted and deleted around the current one
// (owner-drawn rows: PresetBox).
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/core/uListBox.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class ListBox : public HeadlessTest {
protected:
  TCustomListBox* List = nullptr;
  int UserChanges = 0;

  void SetUp() override {
    HeadlessTest::SetUp();
    List = new TCustomListBox(Form);
    List->SetParent(Form);
    List->SetBounds(0, 0, 121, 91); // 7 rows of 13 pixels
    for (int i = 0; i < 20; ++i) List->AddItem("Preset " + std::to_string(i));
    Application->ProcessMessages();
  }
  int Row(int index) const { return (index - List->TopIndex()) * 13 + 6; }
};

TEST_F(ListBox, KeysMoveTheCurrentItemAndScrollByWholeRows) {
  List->SetFocus();
  struct TStep {
    std::uint16_t Key;
    int Index, Top;
  };
  for (const TStep& step : {TStep{vkDown, 0, 0}, TStep{vkNext, 6, 0}, TStep{vkDown, 7, 1},
                            TStep{vkEnd, 19, 13}, TStep{vkDown, 19, 13}, TStep{vkPrior, 13, 13},
                            TStep{vkHome, 0, 0}, TStep{vkUp, 0, 0}}) {
    Platform.PressKey(*Form, step.Key);
    EXPECT_EQ(List->ItemIndex(), step.Index) << "key " << step.Key;
    EXPECT_EQ(List->TopIndex(), step.Top) << "key " << step.Key;
  }
}

TEST_F(ListBox, ExtendedSelectionByShiftAndCtrlClicks) {
  List->MultiSelect = true;
  Platform.Click(*Form, 10, Row(2));
  Platform.MouseDown(*Form, 10, Row(5), mbLeft, ssShift);
  Platform.MouseUp(*Form, 10, Row(5), mbLeft, ssShift);
  EXPECT_EQ(List->SelCount(), 4);
  Platform.MouseDown(*Form, 10, Row(3), mbLeft, ssCtrl);
  Platform.MouseUp(*Form, 10, Row(3), mbLeft, ssCtrl);
  EXPECT_EQ(List->SelCount(), 3);
  EXPECT_FALSE(List->Selected(3));
  Platform.Click(*Form, 10, Row(6));
  EXPECT_EQ(List->SelCount(), 1) << "a plain click starts again";
}

TEST_F(ListBox, DraggingBelowTheListScrollsItAndTheWheelMovesThreeRows) {
  Platform.MouseDown(*Form, 10, Row(1));
  for (int i = 0; i < 5; ++i) Platform.MouseMove(*Form, 10, 95);
  Platform.MouseUp(*Form, 10, 95);
  EXPECT_EQ(List->ItemIndex(), 11);
  EXPECT_EQ(List->TopIndex(), 5);
  Platform.Wheel(*Form, 10, 10, 120);
  EXPECT_EQ(List->TopIndex(), 2);
  Platform.Wheel(*Form, 10, 10, -120 * 10);
  EXPECT_EQ(List->TopIndex(), 13) << "never past the last full page";
}

TEST_F(ListBox, TheCurrentItemStaysOnItsTextWhenItemsComeAndGo) {
  List->SetItemIndex(10);
  List->InsertItem(0, "First");
  EXPECT_EQ(List->Item(List->ItemIndex()), "Preset 10");
  List->DeleteItem(3);
  EXPECT_EQ(List->Item(List->ItemIndex()), "Preset 10");
  List->DeleteItem(List->ItemIndex());
  EXPECT_EQ(List->ItemIndex(), -1);
  List->Clear();
  List->SetItemIndex(0);
  EXPECT_EQ(List->ItemIndex(), -1) << "nothing to select";
}

TEST_F(ListBox, VirtualStylesAreRefusedAndTheStyleStays) {
  List->SetStyle(lbOwnerDrawFixed);
  try {
    List->SetStyle(lbVirtualOwnerDraw);
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "lbVirtual, lbVirtualOwnerDraw not supported!");
  }
  EXPECT_EQ(List->Style(), lbOwnerDrawFixed);
}

} // namespace
