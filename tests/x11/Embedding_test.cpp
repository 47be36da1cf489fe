// A form embedded in a host's window on a real X server: what it shows, and
// the pointer and keyboard input the server delivers to it.
#include "tests/x11/X11Fixture.h"

#include <X11/keysym.h>

namespace {

constexpr TColor kRed = RGBColor(200, 0, 0);
constexpr TColor kGreen = RGBColor(0, 200, 0);
constexpr TColor kBlue = RGBColor(0, 0, 200);
constexpr TColor kHostGreyColor = RGBColor(0x40, 0x40, 0x40);

class Embedding : public X11Test {
protected:
  TForm* Form = nullptr;
  ProbeControl* Probe = nullptr;
  TPanel* Panel = nullptr;

  // The form at (10,10) of the host window: a green probe at (20,20) and a
  // blue panel with a caption at (100,20).
  void ShowForm() {
    Form = EmbeddedForm(10, 10, 200, 120, kRed);
    Probe = new ProbeControl(Form, Bounds(20, 20, 50, 30), kGreen);
    Panel = new TPanel(Form);
    Panel->SetParent(Form);
    Panel->SetBounds(100, 20, 80, 40);
    Panel->Color = kBlue;
    Panel->BevelOuter = bvNone;
    Panel->Caption = "Qv";
    Panel->Font.Height = -20;
    Form->Show();
    ASSERT_TRUE(HostPixelBecomes(10 + 45, 10 + 35, kGreen));
  }
};

TEST_F(Embedding, TheFormIsAChildOfTheHostWindowAndShowsItsControls) {
  ShowForm();
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(Host, static_cast<Window>(Form->Handle()), &root, &parent, &children, &count);
  if (children) XFree(children);
  EXPECT_EQ(parent, HostWindow);

  EXPECT_EQ(HostPixel(5, 5), kHostGreyColor);     // the host's own area
  EXPECT_EQ(HostPixel(10 + 2, 10 + 2), kRed);     // the form's background
  EXPECT_EQ(HostPixel(10 + 20, 10 + 20), kGreen); // the probe's corner
  EXPECT_EQ(HostPixel(10 + 69, 10 + 49), kGreen); // ... and its opposite corner
  EXPECT_EQ(HostPixel(10 + 70, 10 + 50), kRed);   // just outside it
  EXPECT_EQ(HostPixel(10 + 101, 10 + 21), kBlue); // the panel
  EXPECT_EQ(HostPixel(10 + 199, 10 + 119), kRed); // the form's last pixel
  EXPECT_EQ(HostPixel(10 + 200, 10 + 120), kHostGreyColor);

  // The caption's anti-aliased glyphs darken some of the panel's pixels.
  int dark = 0, blended = 0;
  for (int y = 20; y < 60; ++y)
    for (int x = 100; x < 180; ++x) {
      const TColor c = HostPixel(10 + x, 10 + y);
      if (c == clBlack)
        ++dark;
      else if (c != kBlue)
        ++blended;
    }
  EXPECT_GT(dark, 10);
  EXPECT_GT(blended, 10);
}

TEST_F(Embedding, UncoveredPartsArePaintedAgain) {
  ShowForm();
  XUnmapWindow(Host, HostWindow);
  XSync(Host, False);
  PumpFor(50);
  XMapWindow(Host, HostWindow);
  XSync(Host, False);
  EXPECT_TRUE(HostPixelBecomes(10 + 45, 10 + 35, kGreen));
  EXPECT_EQ(HostPixel(10 + 2, 10 + 2), kRed);
}

TEST_F(Embedding, AClickReachesTheControlUnderThePointer) {
  ShowForm();
  MovePointer(10 + 45, 10 + 35);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Logged("enter"); }));
  Button(1, true);
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Clicks == 1; }));
  EXPECT_TRUE(Probe->Logged("down 25,15"));
  EXPECT_TRUE(Probe->Logged("up 25,15"));

  MovePointer(10 + 150, 10 + 100); // onto the form's background
  EXPECT_TRUE(PumpUntil([&] { return Probe->Logged("leave"); }));
}

TEST_F(Embedding, AHeldButtonKeepsTheMovesComingOutsideTheForm) {
  ShowForm();
  MovePointer(10 + 30, 10 + 30);
  Button(1, true);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Logged("down 10,10"); }));
  MovePointer(300, 250); // far outside the form, over the host's window
  EXPECT_TRUE(PumpUntil([&] { return Probe->Logged("move 270,220"); }));
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Logged("up 270,220"); }));
  EXPECT_EQ(Probe->Clicks, 0); // released outside: no click
}

TEST_F(Embedding, ASecondQuickPressIsADoubleClick) {
  ShowForm();
  ClickAt(10 + 40, 10 + 30);
  ClickAt(10 + 40, 10 + 30);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Log.size() >= 5 && Probe->Logged("up 20,10"); }));
  PumpFor(30);
  EXPECT_TRUE(Probe->Logged("down 20,10"));
  EXPECT_TRUE(Probe->Logged("down 20,10 double"));
}

TEST_F(Embedding, TheWheelTurnsInNotches) {
  ShowForm();
  std::vector<int> deltas;
  Form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    deltas.push_back(delta);
    handled = true;
  };
  MovePointer(10 + 150, 10 + 100);
  Button(4, true);
  Button(4, false);
  Button(5, true);
  Button(5, false);
  ASSERT_TRUE(PumpUntil([&] { return deltas.size() == 2; }));
  EXPECT_EQ(deltas, (std::vector<int>{120, -120}));
}

TEST_F(Embedding, KeysAndCharactersReachTheFocusedControl) {
  ShowForm();
  auto* keys = new KeyProbe(Form);
  keys->SetFocus();
  MovePointer(10 + 25, 10 + 90); // keys go to the focus window; the pointer rests on it too
  PumpFor(20);

  TypeKey(XK_a);
  Key(XK_Shift_L, true);
  TypeKey(XK_b);
  Key(XK_Shift_L, false);
  TypeKey(XK_Return);
  TypeKey(XK_Left);
  ASSERT_TRUE(PumpUntil([&] { return keys->Keys.size() >= 5; }));
  EXPECT_EQ(keys->Typed, "aB\r");
  EXPECT_EQ(keys->Keys, (std::vector<std::uint16_t>{'A', vkShift, 'B', vkReturn, vkLeft}));
  EXPECT_TRUE(keys->Shifts[2] & ssShift);
  EXPECT_FALSE(keys->Shifts[0] & ssShift);
}

TEST_F(Embedding, AHeldKeyRepeatsItsKeyDownAlone) {
  ShowForm();
  auto* keys = new KeyProbe(Form);
  keys->SetFocus();
  MovePointer(10 + 25, 10 + 90);
  XKeyboardControl control{};
  control.auto_repeat_mode = AutoRepeatModeOn;
  XChangeKeyboardControl(Host, KBAutoRepeatMode, &control);
  PumpFor(20);

  Key(XK_x, true);
  PumpFor(1200); // beyond the server's repeat delay
  Key(XK_x, false);
  ASSERT_TRUE(PumpUntil([&] { return keys->KeyUps == 1; }));
  PumpFor(30);
  EXPECT_GE(keys->Keys.size(), 3u);
  EXPECT_EQ(keys->KeyUps, 1);
  EXPECT_EQ(keys->Typed, std::string(keys->Keys.size(), 'x'));
}

} // namespace
