#include "platform/x11/uX11Window.h"

#include <algorithm>
#include <vector>

#include "lib/uCodePage.h"
#include "platform/core/uBitmap.h"

// After the framework's headers: Xlib's macros would clash with its names.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include "platform/x11/uX11Internal.h"

namespace qvt {

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask | FocusChangeMask;

// Windows of size 0 are a protocol error.
unsigned Side(int length) { return static_cast<unsigned>(std::max(length, 1)); }

// Pixels of the back buffer can go to the window as they are when the visual
// is the usual 24-bit true colour (blue in the lowest byte).
bool IsBgrx(const Visual* visual, int depth) {
  return (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
         visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

// How far a colour's 8 bits move to land in a channel mask (negative: right).
int MaskShift(unsigned long mask) {
  if (!mask) return 0;
  int top = 63;
  while (!(mask & (1UL << top))) --top;
  return top - 7;
}

unsigned long Channel(std::uint32_t value8, unsigned long mask) {
  const int shift = MaskShift(mask);
  const unsigned long v = shift >= 0 ? (static_cast<unsigned long>(value8) << shift)
                                     : (static_cast<unsigned long>(value8) >> -shift);
  return v & mask;
}

} // namespace

TX11Window::TX11Window(TX11Platform& platform, TForm& form, const TWindowParams& params)
    : Form(form), Params(params), FPlatform(platform) {
  Display* display = FPlatform.FDisplay;
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const bool child = Params.Kind == wkChild && Params.ParentWindow;
  const Window parent = child ? static_cast<Window>(Params.ParentWindow) : root;

  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None; // the back buffer covers every pixel
  attributes.border_pixel = 0;
  attributes.colormap = DefaultColormap(display, screen);
  attributes.event_mask = kEventMask;
  attributes.override_redirect = Params.Kind == wkMenu;
  attributes.save_under = Params.Kind == wkMenu;
  const unsigned long mask =
      CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect | CWSaveUnder;
  const unsigned long errors = ErrorCount(display);
  FWindow = XCreateWindow(display, parent, Params.Bounds.Left, Params.Bounds.Top,
                          Side(Params.Bounds.Width()), Side(Params.Bounds.Height()), 0,
                          DefaultDepth(display, screen), InputOutput,
                          DefaultVisual(display, screen), mask, &attributes);
  if (child && FailedSince(display, errors)) {
    // The host's window is gone or unusable: stand alone rather than fail.
    FWindow = XCreateWindow(display, root, Params.Bounds.Left, Params.Bounds.Top,
                            Side(Params.Bounds.Width()), Side(Params.Bounds.Height()), 0,
                            DefaultDepth(display, screen), InputOutput,
                            DefaultVisual(display, screen), mask, &attributes);
  }
  FGc = XCreateGC(display, FWindow, 0, nullptr);
  if (Params.Kind != wkChild) SetPopupProperties();
  SetCursor(crDefault);
  FPlatform.FWindows[FWindow] = this;
  XFlush(display);
}

TX11Window::~TX11Window() {
  Display* display = FPlatform.FDisplay;
  FPlatform.FWindows.erase(FWindow);
  if (FMapped) HandFocusBack();
  if (FGrabbed) XUngrabPointer(display, CurrentTime);
  if (FKeyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
  XFreeGC(display, static_cast<GC>(FGc));
  XDestroyWindow(display, FWindow);
  if (FCursor) XFreeCursor(display, FCursor);
  // The host may have destroyed its window, and ours with it, already.
  XSync(display, False);
}

Window TopLevelOf(Display* display, Window window) {
  const unsigned long errors = ErrorCount(display);
  for (int depth = 0; depth < 64; ++depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return window;
    if (children) XFree(children);
    if (FailedSince(display, errors) || parent == root || parent == 0) return window;
    window = parent;
  }
  return window;
}

void TX11Window::SetPopupProperties() {
  Display* display = FPlatform.FDisplay;
  const TX11Platform::TAtoms& atoms = *FPlatform.FAtoms;
  if (Params.ParentWindow)
    XSetTransientForHint(display, FWindow, TopLevelOf(display, Params.ParentWindow));

  const std::string title = Win1252ToUtf8(Params.Caption);
  XStoreName(display, FWindow, title.c_str());
  XChangeProperty(display, FWindow, atoms.NetWmName, atoms.Utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  const Atom type = Params.Kind == wkMenu ? atoms.NetWmWindowTypeMenu : atoms.NetWmWindowTypeDialog;
  XChangeProperty(display, FWindow, atoms.NetWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&type), 1);
  if (Params.Kind == wkMenu) return;

  Atom protocols[] = {atoms.WmDeleteWindow};
  XSetWMProtocols(display, FWindow, protocols, 1);
  // Borderless: the form draws its own caption strip.
  const long motifHints[5] = {2 /* decorations given */, 0, 0, 0, 0};
  XChangeProperty(display, FWindow, atoms.MotifWmHints, atoms.MotifWmHints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(motifHints), 5);
  if (Params.Topmost)
    XChangeProperty(display, FWindow, atoms.NetWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&atoms.NetWmStateAbove), 1);
  XSizeHints hints{};
  hints.flags = USPosition | PPosition | PMinSize | PMaxSize;
  hints.x = Params.Bounds.Left;
  hints.y = Params.Bounds.Top;
  hints.min_width = hints.max_width = static_cast<int>(Side(Params.Bounds.Width()));
  hints.min_height = hints.max_height = static_cast<int>(Side(Params.Bounds.Height()));
  XSetWMNormalHints(display, FWindow, &hints);
}

void TX11Window::SetBounds(const TRect& bounds) {
  Display* display = FPlatform.FDisplay;
  if (Params.Kind == wkPopup) {
    XSizeHints hints{};
    hints.flags = USPosition | PPosition | PMinSize | PMaxSize;
    hints.x = bounds.Left;
    hints.y = bounds.Top;
    hints.min_width = hints.max_width = static_cast<int>(Side(bounds.Width()));
    hints.min_height = hints.max_height = static_cast<int>(Side(bounds.Height()));
    XSetWMNormalHints(display, FWindow, &hints);
  }
  XMoveResizeWindow(display, FWindow, bounds.Left, bounds.Top, Side(bounds.Width()),
                    Side(bounds.Height()));
  XFlush(display);
}

void TX11Window::SetVisible(bool visible) {
  Display* display = FPlatform.FDisplay;
  if (visible == FMapped) return;
  FMapped = visible;
  if (visible)
    XMapRaised(display, FWindow);
  else {
    SetMouseGrab(false);
    HandFocusBack();
    XUnmapWindow(display, FWindow);
  }
  XFlush(display);
}

void TX11Window::HandFocusBack() {
  Display* display = FPlatform.FDisplay;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus != FWindow || !Params.ParentWindow) return;
  // The keyboard goes back to the window it came from (the host's, for an embedded editor).
  const unsigned long errors = ErrorCount(display);
  XSetInputFocus(display, Params.ParentWindow, RevertToParent, CurrentTime);
  FailedSince(display, errors);
}

void TX11Window::BringToFront() {
  XRaiseWindow(FPlatform.FDisplay, FWindow);
  XFlush(FPlatform.FDisplay);
}

void TX11Window::Present(const TBitmap& buffer, const TRect& dirty) {
  Display* display = FPlatform.FDisplay;
  const TRect r = dirty.Intersect(buffer.BoundsRect());
  if (r.IsEmpty() || !FMapped) return;
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  if (IsBgrx(visual, depth)) {
    XImage image{};
    image.width = buffer.Width();
    image.height = buffer.Height();
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(buffer.Bits()));
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = depth;
    image.bytes_per_line = buffer.Width() * 4;
    image.bits_per_pixel = 32;
    image.red_mask = visual->red_mask;
    image.green_mask = visual->green_mask;
    image.blue_mask = visual->blue_mask;
    if (XInitImage(&image))
      XPutImage(display, FWindow, static_cast<GC>(FGc), &image, r.Left, r.Top, r.Left, r.Top,
                static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()));
  } else {
    // Other visuals (16-bit and the like): convert the dirty part pixel by pixel.
    XImage* image =
        XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()), 32, 0);
    if (!image) return;
    std::vector<char> data(static_cast<std::size_t>(image->bytes_per_line) *
                           static_cast<std::size_t>(r.Height()));
    image->data = data.data();
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        const std::uint32_t p = buffer.Pixel(x, y);
        XPutPixel(image, x - r.Left, y - r.Top,
                  Channel((p >> 16) & 0xFF, visual->red_mask) |
                      Channel((p >> 8) & 0xFF, visual->green_mask) |
                      Channel(p & 0xFF, visual->blue_mask));
      }
    XPutImage(display, FWindow, static_cast<GC>(FGc), image, 0, 0, r.Left, r.Top,
              static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()));
    image->data = nullptr; // owned by the vector
    XDestroyImage(image);
  }
  XFlush(display);
}

TPoint TX11Window::ScreenOrigin() const {
  Display* display = FPlatform.FDisplay;
  int x = 0, y = 0;
  Window child = None;
  XTranslateCoordinates(display, FWindow, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  return {x, y};
}

void TX11Window::SetCursor(TCursor cursor) {
  Display* display = FPlatform.FDisplay;
  const unsigned shape = cursor == crHandPoint ? XC_hand2
                         : cursor == crIBeam   ? XC_xterm
                                               : XC_left_ptr;
  const Cursor made = XCreateFontCursor(display, shape);
  XDefineCursor(display, FWindow, made);
  if (FCursor) XFreeCursor(display, FCursor);
  FCursor = made;
  XFlush(display);
}

void TX11Window::SetMouseGrab(bool grab) {
  Display* display = FPlatform.FDisplay;
  if (grab == FGrabbed) return;
  if (grab) {
    if (!FMapped) return;
    const int status = XGrabPointer(display, FWindow, False,
                                    ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                        EnterWindowMask | LeaveWindowMask,
                                    GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    FGrabbed = status == GrabSuccess;
    // An open menu takes the keyboard too (arrows, Enter, Escape).
    if (FGrabbed && Params.Kind == wkMenu)
      FKeyboardGrabbed = XGrabKeyboard(display, FWindow, False, GrabModeAsync, GrabModeAsync,
                                       CurrentTime) == GrabSuccess;
  } else {
    XUngrabPointer(display, CurrentTime);
    if (FKeyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
    FGrabbed = FKeyboardGrabbed = false;
  }
  XFlush(display);
}

namespace {

// Whether a running window manager says it takes _NET_WM_MOVERESIZE requests.
bool WindowManagerMoves(Display* display, Atom supported, Atom moveResize) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 1024, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; type == XA_ATOM && format == 32 && i < count; ++i)
      found |= atoms[i] == moveResize;
    XFree(data);
  }
  return found;
}

} // namespace

bool TX11Window::HandleManualMove(const XEvent& event) {
  if (!FMovingByHand) return false;
  Display* display = FPlatform.FDisplay;
  if (event.type == MotionNotify) {
    XMoveWindow(display, FWindow, FWindowFromX + event.xmotion.x_root - FMoveFromX,
                FWindowFromY + event.xmotion.y_root - FMoveFromY);
    XFlush(display);
    return true;
  }
  if (event.type == ButtonRelease) {
    // The release still reaches the form, which counts its held buttons.
    FMovingByHand = false;
    SetMouseGrab(false);
    return false;
  }
  return event.type == ButtonPress;
}

void TX11Window::BeginMove() {
  if (Params.Kind == wkChild) return;
  Display* display = FPlatform.FDisplay;
  Window root = None, child = None;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned state = 0;
  XQueryPointer(display, FWindow, &root, &child, &rootX, &rootY, &x, &y, &state);
  if (!WindowManagerMoves(display, FPlatform.FAtoms->NetSupported,
                          FPlatform.FAtoms->NetWmMoveResize)) {
    // No window manager to ask: the window follows the held pointer itself.
    const TPoint origin = ScreenOrigin();
    FMoveFromX = rootX;
    FMoveFromY = rootY;
    FWindowFromX = origin.X;
    FWindowFromY = origin.Y;
    FMovingByHand = true;
    FGrabbed = false; // take the pointer afresh, outside the form's capture
    SetMouseGrab(true);
    return;
  }
  // The window manager takes over the pointer from here.
  XUngrabPointer(display, CurrentTime);
  FGrabbed = false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = FWindow;
  event.xclient.message_type = FPlatform.FAtoms->NetWmMoveResize;
  event.xclient.format = 32;
  event.xclient.data.l[0] = rootX;
  event.xclient.data.l[1] = rootY;
  event.xclient.data.l[2] = 8; // _NET_WM_MOVERESIZE_MOVE
  event.xclient.data.l[3] = Button1;
  event.xclient.data.l[4] = 1; // a normal application
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
}

void TX11Window::SetKeyboardFocus() {
  if (!FMapped) return;
  Display* display = FPlatform.FDisplay;
  const unsigned long errors = ErrorCount(display);
  XSetInputFocus(display, FWindow, RevertToParent, CurrentTime);
  // Not viewable yet (the host maps its window later): no focus, no harm.
  FailedSince(display, errors);
}

} // namespace qvt
