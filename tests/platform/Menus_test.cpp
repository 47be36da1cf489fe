// The menu loop: keyboard and pointer through levels, the submenu delay,
// placement inside the work area, radio groups, and menus that close because
// their editor does.
#include <gtest/gtest.h>

#include "platform/core/uMenuLoop.h"
#include "platform/core/uMenus.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class Menus : public HeadlessTest {
protected:
  TPopupMenu* Menu = nullptr;
  TMenuItem *Copy = nullptr, *Disabled = nullptr, *Speed = nullptr, *Fast = nullptr,
            *Slow = nullptr;
  std::vector<std::string> Chosen;
  bool WindowsGoneWhenChosen = false;

  TMenuItem* Add(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(Menu);
    item->Caption = caption;
    item->OnClick = [this, caption](TObject*) {
      Chosen.push_back(caption);
      WindowsGoneWhenChosen = MenuWindows().empty();
    };
    parent->Add(item);
    return item;
  }
  void SetUp() override {
    HeadlessTest::SetUp();
    Menu = new TPopupMenu(Form);
    Copy = Add(Menu->Items(), "&Copy");
    Add(Menu->Items(), "-");
    Disabled = Add(Menu->Items(), "Paste");
    Disabled->Enabled = false;
    Speed = Add(Menu->Items(), "Speed");
    Fast = Add(Speed, "Fast");
    Slow = Add(Speed, "Slow");
  }
  // The centre of a row of an open level, in that window's coordinates.
  static TPoint RowCentre(TMenuWindow& w, int row) {
    const TRect r = w.Rows()[static_cast<std::size_t>(row)];
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Keys(std::initializer_list<std::uint16_t> list) {
    Platform.Then([this, keys = std::vector<std::uint16_t>(list)] {
      for (const std::uint16_t key : keys) Platform.PressKey(*MenuWindows().back(), key);
    });
  }
};

TEST_F(Menus, TheKeyboardWalksIntoASubmenuAndTheCommandRunsAfterTheMenuHasClosed) {
  Keys({vkDown, vkDown, vkDown, vkRight, vkDown, vkReturn});
  Menu->Popup(100, 100);
  EXPECT_EQ(Chosen, (std::vector<std::string>{"Slow"}));
  EXPECT_TRUE(WindowsGoneWhenChosen);
  EXPECT_TRUE(MenuWindows().empty());
}

TEST_F(Menus, EscapeClosesOneLevelAtATimeAndChoosesNothing) {
  Platform.Then([&] {
    Platform.PressKey(*MenuWindows().back(), vkEnd); // the submenu item
    Platform.PressKey(*MenuWindows().back(), vkReturn);
    EXPECT_EQ(MenuWindows().size(), 2u) << "Enter on a submenu opens it";
    Platform.PressKey(*MenuWindows().back(), vkEscape);
    EXPECT_EQ(MenuWindows().size(), 1u);
    Platform.PressKey(*MenuWindows().back(), vkEscape);
  });
  Menu->Popup(100, 100);
  EXPECT_TRUE(Chosen.empty());
}

TEST_F(Menus, ADisabledCommandCannotBeChosenAndAPressOutsideCloses) {
  Platform.Then([&] {
    TMenuWindow& root = *MenuWindows().front();
    const TPoint paste = RowCentre(root, 2);
    Platform.Click(root, paste.X, paste.Y);
    EXPECT_EQ(MenuWindows().size(), 1u) << "still open";
    Platform.Click(root, -30, -30); // outside, reported to the grabbing window
  });
  Menu->Popup(100, 100);
  EXPECT_TRUE(Chosen.empty());
}

TEST_F(Menus, ASubmenuOpensAfterThePointerRestsForTheDelay) {
  Platform.Then([&] {
    TMenuWindow& root = *MenuWindows().front();
    const TPoint speed = RowCentre(root, 3);
    Platform.MouseMove(root, speed.X, speed.Y);
    Platform.AdvanceTime(399);
    EXPECT_EQ(MenuWindows().size(), 1u);
    Platform.AdvanceTime(1);
    ASSERT_EQ(MenuWindows().size(), 2u);
    TMenuWindow& sub = *MenuWindows().back();
    const TPoint fast = RowCentre(sub, 0);
    // The root window holds the pointer: input arrives in its coordinates.
    Platform.Click(root, sub.Left() - root.Left() + fast.X, sub.Top() - root.Top() + fast.Y);
  });
  Menu->Popup(100, 100);
  EXPECT_EQ(Chosen, (std::vector<std::string>{"Fast"}));
}

TEST_F(Menus, MenusStayInsideTheWorkAreaAndSubmenusFlipLeftAtItsEdge) {
  Platform.WorkArea = {0, 0, 400, 300};
  Menu->SubmenuDelayMs = 0;
  Platform.Then([&] {
    TMenuWindow& root = *MenuWindows().front();
    EXPECT_LE(root.Left() + root.Width(), 400);
    EXPECT_LE(root.Top(), 290 - root.Height()) << "above the point when below has no room";
    const TPoint speed = RowCentre(root, 3);
    Platform.MouseMove(root, speed.X, speed.Y);
    ASSERT_EQ(MenuWindows().size(), 2u);
    EXPECT_LE(MenuWindows().back()->Left() + MenuWindows().back()->Width(), root.Left() + 2);
    Platform.PressKey(root, vkMenu);
  });
  Menu->Popup(390, 290);
  EXPECT_TRUE(Chosen.empty());
}

TEST_F(Menus, RadioItemsOfAGroupCheckOneAndAutoCheckToggles) {
  Fast->RadioItem = Slow->RadioItem = true;
  Fast->GroupIndex = Slow->GroupIndex = 2;
  Fast->Checked = true;
  Copy->AutoCheck = true;
  Slow->Click();
  EXPECT_TRUE(Slow->Checked);
  EXPECT_FALSE(Fast->Checked);
  Copy->Click();
  EXPECT_TRUE(Copy->Checked);
  Copy->Click();
  EXPECT_FALSE(Copy->Checked);
}

TEST_F(Menus, AMenuOfAClosingEditorEndsWithoutAChoice) {
  Form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    Platform.Then([&] {
      Platform.PressKey(*MenuWindows().back(), vkDown); // Copy is selected, then the editor closes
      Application->CancelModalLoops(Form);
    });
    Menu->Popup(10, 10);
  };
  Platform.Click(*Form, 5, 5);
  EXPECT_TRUE(Chosen.empty());
  EXPECT_TRUE(MenuWindows().empty());
}

} // namespace
