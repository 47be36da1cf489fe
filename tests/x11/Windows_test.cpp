// Pop-up and menu windows on a real X server: transient owners, override-
// redirect menus with their pointer grab, close requests of the window manager.
#include "tests/x11/X11Fixture.h"

#include <X11/Xatom.h>

namespace {

class Windows : public X11Test {
protected:
  // A blue pop-up at (300,200) of the screen, shown.
  TForm* ShownPopup(const std::string& caption = "") {
    TForm* popup = EmbeddedForm(300, 200, 120, 80, RGBColor(0, 0, 255), qvt::wkPopup);
    popup->Caption = caption;
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
  TForm* popup = ShownPopup("Pattern \xAB"
                            "A\xBB");
  bool asked = false;
  popup->OnCloseQuery = [&](TObject*, bool&) { asked = true; };
  const Window handle = static_cast<Window>(popup->Handle());

  Window owner = 0;
  ASSERT_TRUE(XGetTransientForHint(Host, handle, &owner));
  EXPECT_EQ(owner, HostWindow);
  XWindowAttributes attributes{};
  XGetWindowAttributes(Host, handle, &attributes);
  EXPECT_FALSE(attributes.override_redirect);
  EXPECT_EQ(popup->ScreenRect(), Bounds(300, 200, 120, 80));

  // The title is the caption in UTF-8.
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(Host, handle, XInternAtom(Host, "_NET_WM_NAME", False), 0, 64, False,
                     AnyPropertyType, &type, &format, &count, &after, &data);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "Pattern \xC2\xAB"
                                                               "A\xC2\xBB");
  XFree(data);

  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = handle;
  event.xclient.message_type = XInternAtom(Host, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(Host, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(Host, handle, False, NoEventMask, &event);
  ASSERT_TRUE(PumpUntil([&] { return !popup->Visible(); }));
  EXPECT_TRUE(asked);
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
  auto* item = new ProbeControl(menu, Bounds(0, 0, 100, 30), RGBColor(0, 255, 255));
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
  ASSERT_TRUE(Platform->WindowOf(*menu)->Grabbed());

  ClickAt(350 - kHostLeft + 10, 100 - kHostTop + 10); // on the item
  ASSERT_TRUE(PumpUntil([&] { return item->Clicks == 1; }));
  ClickAt(20, 20); // over the host window, outside the menu
  ASSERT_TRUE(PumpUntil([&] { return !presses.empty(); }));
  EXPECT_EQ(presses.back(), (TPoint{kHostLeft + 20 - 350, kHostTop + 20 - 100}));

  menu->SetMouseGrab(false);
  EXPECT_FALSE(Platform->WindowOf(*menu)->Grabbed());
}

TEST_F(Windows, WindowRectanglesAndTheWorkAreaComeFromTheServer) {
  EXPECT_EQ(Platform->WindowScreenRect(HostWindow), Bounds(kHostLeft, kHostTop, 400, 300));
  // A window that does not exist (any more) has no rectangle, and is no error.
  EXPECT_TRUE(Platform->WindowScreenRect(0x7FFFFFF).IsEmpty());
  const TRect work = Platform->WorkAreaAt({0, 0});
  EXPECT_EQ(work.Width(), DisplayWidth(Host, DefaultScreen(Host)));
  EXPECT_EQ(work.Height(), DisplayHeight(Host, DefaultScreen(Host)));
}

} // namespace
