// Pop-up and menu windows on a real X server: transient owners, override-
// redirect menus with their pointer grab, close requests of the window manager.
#include "tests/x11/X11Fixture.h"

namespace {

class Windows : public X11Test {
protected:
  // A blue pop-up at (300,200) of the screen, shown.
  TForm* ShownPopup() {
    TForm* popup = EmbeddedForm(300, 200, 120, 80, RGBColor(0, 0, 255), qvt::wkPopup);
    popup->Show();
    EXPECT_TRUE(PumpUntil([&] { return Viewable(popup); }));
    return popup;
  }
  bool Viewable(TForm* form) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(Host, static_cast<Window>(form->Handle()), &attributes);
    return attributes.map_state == IsViewable;
  }
};

TEST_F(Windows, APopupIsATopLevelWindowTransientForItsOwnerThatTheWindowManagerCloses) {
  TForm* popup = ShownPopup();
  const Window handle = static_cast<Window>(popup->Handle());

  Window owner = 0;
  ASSERT_TRUE(XGetTransientForHint(Host, handle, &owner));
  EXPECT_EQ(owner, HostWindow);

  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = handle;
  event.xclient.message_type = XInternAtom(Host, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(Host, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(Host, handle, False, NoEventMask, &event);
  ASSERT_TRUE(PumpUntil([&] { return !popup->Visible(); }));
  EXPECT_TRUE(PumpUntil([&] { return !Viewable(popup); }));
}

TEST_F(Windows, WithoutAWindowManagerAPopupFollowsThePointerHeldOnItsStrip) {
  TForm* popup = ShownPopup();
  popup->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    popup->StartWindowMove();
  };
  const auto to = [&](int x, int y) {
    XTestFakeMotionEvent(Host, DefaultScreen(Host), x, y, CurrentTime);
    XSync(Host, False);
    PumpFor(30);
  };
  to(310, 205);
  Button(1, true);
  PumpFor(30);
  to(350, 235);
  to(370, 245);
  Button(1, false);
  PumpFor(30);
  EXPECT_EQ(popup->ScreenRect(), Bounds(360, 240, 120, 80));
  to(400, 300); // released: the window stays
  EXPECT_EQ(popup->ScreenRect(), Bounds(360, 240, 120, 80));
}

TEST_F(Windows, AGrabbingMenuGetsThePressesMadeOutsideIt) {
  // The menu lies over the host window's right part (screen 350,100).
  TForm* menu = EmbeddedForm(350, 100, 100, 60, RGBColor(255, 255, 0), qvt::wkMenu);
  std::vector<TPoint> presses;
  menu->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    presses.push_back({x, y});
  };
  menu->Show();
  ASSERT_TRUE(PumpUntil([&] { return Viewable(menu); }));
  XWindowAttributes attributes{};
  XGetWindowAttributes(Host, static_cast<Window>(menu->Handle()), &attributes);
  EXPECT_TRUE(attributes.override_redirect);
  menu->SetMouseGrab(true);

  ClickAt(20, 20); // over the host window, outside the menu
  ASSERT_TRUE(PumpUntil([&] { return !presses.empty(); }));
  EXPECT_EQ(presses.back(), (TPoint{kHostLeft + 20 - 350, kHostTop + 20 - 100}));
}

TEST_F(Windows, WindowRectanglesComeFromTheServer) {
  EXPECT_EQ(Platform->WindowScreenRect(HostWindow), Bounds(kHostLeft, kHostTop, 400, 300));
  // A window that does not exist (any more) has no rectangle, and is no error.
  EXPECT_TRUE(Platform->WindowScreenRect(0x7FFFFFF).IsEmpty());
}

} // namespace
