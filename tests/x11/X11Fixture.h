// An X11 test: a host program's connection with a top-level window (the
// parent the editor is embedded in), our platform on its own connection, and
// helpers to pump, read the screen and send input through XTest.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/core/uPanel.h"
#include "platform/core/uTimer.h"
#include "platform/x11/uX11Platform.h"
#include "platform/x11/uX11Window.h"
#include "tests/platform/ProbeControl.h"

// A focusable control that records its key-downs and key-ups.
class KeyProbe : public TCustomControl {
public:
  explicit KeyProbe(TWinControl* parent) : TCustomControl(parent) {
    TabStop = true;
    SetParent(parent);
    SetBounds(0, 80, 50, 20);
  }
  std::vector<std::uint16_t> Keys;
  int KeyUps = 0;
  void KeyDown(std::uint16_t& key, TShiftState) override { Keys.push_back(key); }
  void KeyUp(std::uint16_t&, TShiftState) override { ++KeyUps; }
};

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

inline constexpr const char* kNoDisplay =
    "X11 smoke test skipped: no X display could be opened (run it under xvfb-run)";

class X11Test : public ::testing::Test {
protected:
  static constexpr int kHostLeft = 100, kHostTop = 80;
  static constexpr unsigned long kHostGrey = 0x404040;

  Display* Host = nullptr; // the host program's own connection
  Window HostWindow = 0;
  std::unique_ptr<qvt::TX11Platform> Platform;
  std::vector<TForm*> Forms; // deleted before the platform

  void SetUp() override {
    Host = XOpenDisplay(nullptr);
    if (!Host) GTEST_SKIP() << kNoDisplay;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(Host, &event, &error, &major, &minor))
      GTEST_SKIP() << "X11 smoke test skipped: the server lacks the XTEST extension";
    Platform = std::make_unique<qvt::TX11Platform>();
    HostWindow = XCreateSimpleWindow(Host, DefaultRootWindow(Host), kHostLeft, kHostTop, 400, 300,
                                     0, 0, kHostGrey);
    XSelectInput(Host, HostWindow, StructureNotifyMask);
    XMapWindow(Host, HostWindow);
    XEvent e;
    do XNextEvent(Host, &e);
    while (e.type != MapNotify);
    MovePointer(0, 0);
  }

  void TearDown() override {
    for (auto it = Forms.rbegin(); it != Forms.rend(); ++it) delete *it;
    Forms.clear();
    if (Platform) Application->ProcessMessages();
    Platform.reset();
    if (Host) {
      XDestroyWindow(Host, HostWindow);
      XCloseDisplay(Host);
    }
  }

  // A borderless form owned by the host window: embedded in it at (left, top), or a pop-up
  // or menu at that point of the screen.
  TForm* EmbeddedForm(int left, int top, int width, int height, TColor color,
                      qvt::TWindowKind kind = qvt::wkChild) {
    auto* form = new TForm(nullptr);
    Forms.push_back(form);
    form->BorderStyle = bsNone;
    form->WindowKind = kind;
    form->SetParentWindow(HostWindow);
    form->SetBounds(left, top, width, height);
    form->Color = color;
    return form;
  }

  // Pumps as a host's idle calls would until `done`, for at most 3 s.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
      XSync(Host, False);
      Application->ProcessMessages();
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      Platform->WaitEvents(Platform->NowMs() + 10);
    }
  }
  // Pumps for a while whatever happens (lets late events arrive).
  void PumpFor(int ms) {
    const std::uint64_t end = Platform->NowMs() + static_cast<std::uint64_t>(ms);
    while (Platform->NowMs() < end) {
      XSync(Host, False);
      Application->ProcessMessages();
      Platform->WaitEvents(end);
    }
  }

  // A pixel of the host window as the server shows it (embedded windows included).
  TColor HostPixel(int x, int y) {
    XSync(Host, False);
    XImage* image = XGetImage(Host, HostWindow, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFF;
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return RGBColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  bool HostPixelBecomes(int x, int y, TColor color) {
    return PumpUntil([&] { return HostPixel(x, y) == color; });
  }

  // Input as the user gives it, in host-window coordinates.
  void MovePointer(int x, int y) {
    XTestFakeMotionEvent(Host, DefaultScreen(Host), kHostLeft + x, kHostTop + y, CurrentTime);
    XSync(Host, False);
  }
  void Button(unsigned button, bool press) {
    XTestFakeButtonEvent(Host, button, press, CurrentTime);
    XSync(Host, False);
  }
  void ClickAt(int x, int y) {
    MovePointer(x, y);
    Button(1, true);
    Button(1, false);
  }
  void Key(KeySym keysym, bool press) {
    XTestFakeKeyEvent(Host, XKeysymToKeycode(Host, keysym), press, CurrentTime);
    XSync(Host, False);
  }
};
