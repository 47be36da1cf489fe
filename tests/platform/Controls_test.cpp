// Painting, mouse routing, double clicks, hover and focus of controls; the window
// services under them: window moves, the wheel, window creation.
#include <gtest/gtest.h>

#include "platform/core/uPanel.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

const TColor kRed = RGBColor(255, 0, 0);
const TColor kGreen = RGBColor(0, 255, 0);
const TColor kBlue = RGBColor(0, 0, 255);

class Controls : public HeadlessTest {};

TEST_F(Controls, GraphicControlsPaintOverTheFormInCreationOrderAndStayInsideTheirBounds) {
  new ProbeControl(Form, Bounds(10, 10, 40, 40), kRed);
  new ProbeControl(Form, Bounds(30, 30, 40, 40), kGreen);

  EXPECT_EQ(PixelAt(15, 15), kRed);
  EXPECT_EQ(PixelAt(35, 35), kGreen); // the later control lies above
  // Each control fills beyond its rectangle in Paint; the clip keeps the form's colour.
  EXPECT_EQ(PixelAt(5, 5), Form->Color);
  EXPECT_EQ(PixelAt(75, 35), Form->Color);
}

TEST_F(Controls, APanelClipsItsChildrenAndLiesAboveGraphicSiblingsCreatedLater) {
  auto* panel = new TPanel(Form);
  panel->BevelOuter = bvNone;
  panel->Color = kBlue;
  panel->SetBounds(100, 20, 50, 50);
  panel->SetParent(Form);
  // The child reaches past the panel's right and bottom edges.
  new ProbeControl(panel, Bounds(30, 30, 40, 40), kRed);
  auto* graphic = new ProbeControl(Form, Bounds(80, 0, 40, 40), kGreen);

  EXPECT_EQ(PixelAt(149, 69), kRed);
  EXPECT_EQ(PixelAt(150, 55), Form->Color);
  EXPECT_EQ(PixelAt(135, 70), Form->Color);
  EXPECT_EQ(PixelAt(110, 30), kBlue); // the later graphic sibling lies below
  Platform.Click(*Form, 110, 30);
  EXPECT_TRUE(graphic->Log.empty());
}

TEST_F(Controls, InvalidatePaintsLaterAndRepaintPaintsAtOnce) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 20, 20), kRed);
  Application->ProcessMessages();
  const int before = probe->Paints;

  probe->Fill = kGreen;
  probe->Invalidate();
  EXPECT_EQ(probe->Paints, before);
  EXPECT_EQ(qvt::ColorOfPixel(Form->BackBuffer().Pixel(5, 5)), kRed);
  Application->ProcessMessages();
  EXPECT_EQ(probe->Paints, before + 1);

  probe->Fill = kBlue;
  probe->Repaint();
  EXPECT_EQ(qvt::ColorOfPixel(Form->BackBuffer().Pixel(5, 5)), kBlue);
  EXPECT_EQ(Platform.WindowOf(*Form)->LastPresented, Bounds(0, 0, 20, 20));
}

TEST_F(Controls, DisabledControlsLetTheMouseThroughToWhatLiesBelow) {
  auto* below = new ProbeControl(Form, Bounds(0, 0, 50, 50));
  auto* above = new ProbeControl(Form, Bounds(0, 0, 50, 50));

  above->SetEnabled(false);
  Platform.Click(*Form, 10, 10);
  EXPECT_TRUE(above->Log.empty());
  EXPECT_TRUE(below->Logged("click"));
}

TEST_F(Controls, TheSecondPressOfADoubleClickCarriesTheDoubleFlag) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 100, 100));

  Platform.Click(*Form, 10, 10);
  Platform.AdvanceTime(200);
  Platform.Click(*Form, 11, 9);
  Platform.Click(*Form, 11, 9); // a third press starts afresh
  EXPECT_EQ(probe->Log, (std::vector<std::string>{"enter", "down 10,10", "click", "up 10,10",
                                                  "dblclick", "down 11,9 double", "up 11,9",
                                                  "down 11,9", "click", "up 11,9"}));
}

TEST_F(Controls, PressesTooLateOrTooFarApartAreSinglePressesAndOnlyTheLeftButtonClicks) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 100, 100));

  Platform.Click(*Form, 10, 10);
  Platform.AdvanceTime(Application->DoubleClickTime + 1);
  Platform.Click(*Form, 10, 10);
  Platform.Click(*Form, 20, 10);
  EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "dblclick"), 0);

  probe->Log.clear();
  probe->ControlStyle &= static_cast<TControlStyle>(~csDoubleClicks);
  Platform.Click(*Form, 50, 50);
  Platform.Click(*Form, 50, 50);
  EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "down 50,50"), 2);
  Platform.Click(*Form, 50, 50, mbRight);
  EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "click"), 2);
}

TEST_F(Controls, EnterAndLeaveFollowTheMouseEvenWhileAButtonIsHeld) {
  auto* a = new ProbeControl(Form, Bounds(0, 0, 20, 20));
  auto* b = new ProbeControl(Form, Bounds(40, 0, 20, 20));

  Platform.MouseMove(*Form, 5, 5);
  Platform.MouseDown(*Form, 5, 5);
  Platform.MouseMove(*Form, 45, 5, ssLeft);
  Platform.MouseUp(*Form, 45, 5);
  Platform.MouseLeaveWindow(*Form);

  EXPECT_EQ(a->Log, (std::vector<std::string>{"enter", "move 5,5", "down 5,5", "leave", "move 45,5",
                                              "up 45,5"}));
  EXPECT_EQ(b->Log, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(Controls, TheCursorOfTheControlUnderTheMouseIsShown) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 20, 20));
  probe->Cursor = crHandPoint;

  Platform.MouseMove(*Form, 5, 5);
  EXPECT_EQ(Platform.WindowOf(*Form)->Cursor, crHandPoint);
  Platform.MouseMove(*Form, 50, 50);
  EXPECT_EQ(Platform.WindowOf(*Form)->Cursor, crDefault);
}

class FocusProbe : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  bool Left = false;
  void DoExit() override { Left = true; }
};

TEST_F(Controls, TabMovesTheFocusToTheNextEnabledTabStopAndRoundAgain) {
  auto* first = new FocusProbe(Form);
  first->TabStop = true;
  first->SetParent(Form);
  auto* second = new FocusProbe(Form);
  second->TabStop = true;
  second->SetParent(Form);

  first->SetFocus();
  Platform.KeyDown(*Form, vkTab);
  EXPECT_TRUE(second->Focused());
  EXPECT_TRUE(first->Left);
  Platform.KeyDown(*Form, vkTab);
  EXPECT_TRUE(first->Focused());

  second->SetEnabled(false);
  second->SetFocus();
  EXPECT_TRUE(first->Focused());
}

TEST_F(Controls, TheCaretInvertsItsPixelsInsideItsControlWhileShown) {
  auto* edit = new FocusProbe(Form);
  edit->SetBounds(10, 10, 50, 20);
  edit->SetParent(Form);
  TBitmap shape(5, 1);
  shape.Canvas().Brush.Color = RGBColor(150, 200, 150);
  shape.Canvas().FillRect(shape.BoundsRect());

  edit->CreateCaret(shape);
  edit->SetCaretPos(3, 13);
  EXPECT_EQ(PixelAt(13, 23), Form->Color); // created hidden
  edit->ShowCaret();
  const TColor inverted = RGBColor(10 ^ 150, 20 ^ 200, 30 ^ 150);
  EXPECT_EQ(PixelAt(13, 23), inverted);

  Platform.AdvanceTime(Application->CaretBlinkTime);
  EXPECT_EQ(PixelAt(13, 23), Form->Color); // blinked off
  Platform.AdvanceTime(Application->CaretBlinkTime);
  EXPECT_EQ(PixelAt(13, 23), inverted);

  edit->DestroyCaret();
  EXPECT_EQ(PixelAt(13, 23), Form->Color);
}

class Windows : public HeadlessTest {};

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
  EXPECT_EQ(early->Created, 0);
  later.Show();
  EXPECT_EQ(early->Created, 1);

  auto* joining = new WindowProbe(&later);
  joining->SetParent(&later);
  EXPECT_EQ(joining->Created, 1);
}

} // namespace
