// Native-window services seen through the headless backend: pointer grabs of
// menus, window moves, the wheel and window creation.
#include <gtest/gtest.h>

#include "platform/core/uPanel.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class Windows : public HeadlessTest {};

TEST_F(Windows, AGrabbingMenuFormReceivesClicksMadeOnOtherForms) {
  TForm menu(nullptr);
  menu.WindowKind = qvt::wkMenu;
  menu.SetBounds(50, 40, 60, 30); // on the screen, over the main form at (0,0)
  auto* item = new ProbeControl(&menu, Bounds(0, 0, 60, 30));
  TPoint outside{0, 0};
  menu.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { outside = {x, y}; };
  menu.Show();
  menu.SetMouseGrab(true);
  EXPECT_TRUE(Platform.WindowOf(menu)->Grabbed);

  Platform.Click(*Form, 55, 45); // lands on the menu's item at (5,5)
  Platform.Click(*Form, 5, 5);   // outside the menu: the menu form's own, at (-45,-35)
  menu.SetMouseGrab(false);
  EXPECT_TRUE(item->Logged("down 5,5"));
  EXPECT_EQ(outside, (TPoint{-45, -35}));
  EXPECT_FALSE(Platform.WindowOf(menu)->Grabbed);
}

TEST_F(Windows, StartingAWindowMoveEndsTheCapture) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 200, 20));
  probe->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    Form->StartWindowMove();
  };
  Platform.MouseDown(*Form, 10, 10);
  EXPECT_FALSE(probe->MouseCapture());
  EXPECT_EQ(Platform.WindowOf(*Form)->MoveCount, 1);
}

class WheelPanel : public TPanel {
public:
  using TPanel::TPanel;
  int Turned = 0;
  bool DoMouseWheel(TShiftState, int delta, TPoint) override {
    Turned += delta;
    return true;
  }
};

TEST_F(Windows, TheWheelGoesToTheControlUnderTheMouseOrTheNearestParentThatUsesIt) {
  auto* panel = new WheelPanel(Form);
  panel->SetBounds(0, 0, 100, 100);
  panel->SetParent(Form);
  auto* list = new ProbeControl(panel, Bounds(10, 10, 20, 20));
  bool listAsked = false;
  list->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint pos, bool& handled) {
    listAsked = pos == TPoint{5, 5};
    handled = false;
  };
  Platform.Wheel(*Form, 15, 15, -120);
  EXPECT_TRUE(listAsked);
  EXPECT_EQ(panel->Turned, -120);
}

class WindowProbe : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  int Created = 0;
  void CreateWnd() override { ++Created; }
};

TEST_F(Windows, WindowedControlsHearWhenTheirWindowExists) {
  TForm later(nullptr);
  auto* early = new WindowProbe(&later);
  early->SetParent(&later);
  EXPECT_FALSE(early->HandleAllocated());
  EXPECT_EQ(early->Created, 0);
  later.Show();
  EXPECT_TRUE(early->HandleAllocated());
  EXPECT_EQ(early->Created, 1);

  auto* joining = new WindowProbe(&later);
  joining->SetParent(&later);
  EXPECT_EQ(joining->Created, 1);
}

} // namespace
