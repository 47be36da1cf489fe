// A form embedded in a host's window on a real X server: what it shows, and
// the pointer and keyboard input the server delivers to it (translated keys: Keys_test).
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

  // The form at (10,10) of the host window: a green probe at (20,20) and a
  // blue panel at (100,20).
  void ShowForm() {
    Form = EmbeddedForm(10, 10, 200, 120, kRed);
    Probe = new ProbeControl(Form, Bounds(20, 20, 50, 30), kGreen);
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(100, 20, 80, 40);
    panel->Color = kBlue;
    panel->BevelOuter = bvNone;
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
  EXPECT_EQ(HostPixel(10 + 101, 10 + 21), kBlue); // the panel
  EXPECT_EQ(HostPixel(10 + 200, 10 + 120), kHostGreyColor);
}

TEST_F(Embedding, AClickReachesTheControlUnderThePointerAndTheWheelTurnsInNotches) {
  ShowForm();
  std::vector<int> deltas;
  Form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    deltas.push_back(delta);
    handled = true;
  };
  MovePointer(10 + 45, 10 + 35);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Logged("enter"); }));
  Button(1, true);
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return Probe->Clicks == 1; }));
  EXPECT_TRUE(Probe->Logged("down 25,15"));
  EXPECT_TRUE(Probe->Logged("up 25,15"));

  MovePointer(10 + 150, 10 + 100); // onto the form's background
  Button(4, true);
  Button(4, false);
  Button(5, true);
  Button(5, false);
  ASSERT_TRUE(PumpUntil([&] { return deltas.size() == 2; }));
  EXPECT_EQ(deltas, (std::vector<int>{120, -120}));
}

TEST_F(Embedding, AHeldKeyRepeatsItsKeyDownAlone) {
  ShowForm();
  auto* keys = new KeyProbe(Form);
  keys->SetFocus();
  MovePointer(10 + 25, 10 + 90); // keys go to the focus window; the pointer rests on it too
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
}

} // namespace
