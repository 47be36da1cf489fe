#include "platform/x11/uX11Platform.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "lib/uDesktopOpen.h"
#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/freetype/uFreeTypeFonts.h"
#include "platform/x11/uX11Keys.h"
#include "platform/x11/uX11Window.h"

// Xlib's macros (KeyPress, None, Status…) would clash with the framework's
// names, so its headers come after the framework's.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include "platform/x11/uX11Internal.h"

namespace qvt {

std::unique_ptr<TPlatform> CreatePlatform() { return std::make_unique<TX11Platform>(); }

namespace {

// One wheel notch, in the framework's units.
constexpr int kWheelDelta = 120;

Atom Intern(Display* display, const char* name) { return XInternAtom(display, name, False); }

} // namespace

TX11Platform::TAtoms::TAtoms(Display* display)
    : WmProtocols(Intern(display, "WM_PROTOCOLS")),
      WmDeleteWindow(Intern(display, "WM_DELETE_WINDOW")), WmState(Intern(display, "WM_STATE")),
      NetWmName(Intern(display, "_NET_WM_NAME")),
      NetWmWindowType(Intern(display, "_NET_WM_WINDOW_TYPE")),
      NetWmWindowTypeDialog(Intern(display, "_NET_WM_WINDOW_TYPE_DIALOG")),
      NetWmWindowTypeMenu(Intern(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU")),
      NetWmState(Intern(display, "_NET_WM_STATE")),
      NetWmStateAbove(Intern(display, "_NET_WM_STATE_ABOVE")),
      NetWmMoveResize(Intern(display, "_NET_WM_MOVERESIZE")),
      NetWorkArea(Intern(display, "_NET_WORKAREA")),
      MotifWmHints(Intern(display, "_MOTIF_WM_HINTS")),
      NetSupported(Intern(display, "_NET_SUPPORTED")), Utf8String(Intern(display, "UTF8_STRING")),
      Clipboard(Intern(display, "CLIPBOARD")), Targets(Intern(display, "TARGETS")),
      Text(Intern(display, "TEXT")), Incr(Intern(display, "INCR")),
      Selection(Intern(display, "QVT_SELECTION")) {}

TX11Platform::TX11Platform(const char* displayName) {
  FDisplay = XOpenDisplay(displayName);
  if (!FDisplay) throw TX11Unavailable("cannot open the X display");
  AttachErrorHandler(FDisplay);
  FAtoms = std::make_unique<TAtoms>(FDisplay);
  // The clipboard's window: never mapped, it owns the selection and receives answers.
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  FClipboardWindow =
      XCreateWindow(FDisplay, DefaultRootWindow(FDisplay), -10, -10, 1, 1, 0, CopyFromParent,
                    InputOnly, CopyFromParent, CWEventMask, &attributes);
  FFonts = std::make_unique<TFreeTypeFontEngine>();
  FPreviousPlatform = Application->Platform();
  Application->SetPlatform(this);
  SetFontEngine(FFonts.get());
}

TX11Platform::~TX11Platform() {
  SetFontEngine(nullptr);
  Application->SetPlatform(FPreviousPlatform);
  XDestroyWindow(FDisplay, FClipboardWindow);
  XSync(FDisplay, False);
  DetachErrorHandler(FDisplay);
  XCloseDisplay(FDisplay);
}

// --- pumping --------------------------------------------------------------------

void TX11Platform::SetWakeSource(int fd, std::function<void()> onPoll) {
  FWakeFd = fd;
  FOnPoll = std::move(onPoll);
}

std::uint64_t TX11Platform::NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TX11Platform::PollEvents() {
  if (FOnPoll) FOnPoll();
  while (XPending(FDisplay) > 0) {
    XEvent event;
    XNextEvent(FDisplay, &event);
    HandleEvent(event);
  }
}

void TX11Platform::WaitReadable(int timeoutMs, bool orWoken) {
  pollfd fds[2] = {{ConnectionNumber(FDisplay), POLLIN, 0}, {FWakeFd, POLLIN, 0}};
  ::poll(fds, orWoken && FWakeFd >= 0 ? 2 : 1, timeoutMs);
}

void TX11Platform::WaitEvents(std::optional<std::uint64_t> deadlineMs) {
  XFlush(FDisplay);
  // Events Xlib has read already would not wake the poll.
  if (XEventsQueued(FDisplay, QueuedAlready) > 0) return;
  int timeout = -1;
  if (deadlineMs) {
    const std::uint64_t now = NowMs();
    timeout = *deadlineMs > now
                  ? static_cast<int>(std::min<std::uint64_t>(*deadlineMs - now, 1u << 30))
                  : 0;
  }
  WaitReadable(timeout, true);
}

TX11Window* TX11Platform::WindowOf(TForm& form) const {
  for (const auto& [handle, window] : FWindows)
    if (&window->Form == &form) return window;
  return nullptr;
}

std::unique_ptr<TNativeWindow> TX11Platform::CreateNativeWindow(TForm& form,
                                                                const TWindowParams& params) {
  return std::make_unique<TX11Window>(*this, form, params);
}

// --- events -----------------------------------------------------------------------

void TX11Platform::HandleEvent(XEvent& event) {
  switch (event.type) {
  case SelectionRequest: HandleSelectionRequest(event); return;
  case SelectionClear:
    if (event.xselectionclear.selection == FAtoms->Clipboard) FClipboardText.reset();
    return;
  default: break;
  }
  auto found = FWindows.find(event.xany.window);
  if (found != FWindows.end()) HandleWindowEvent(*found->second, event);
}

void TX11Platform::HandleWindowEvent(TX11Window& window, XEvent& event) {
  TForm& form = window.Form;
  if (window.HandleManualMove(event)) return;
  if (FDropInput && event.type != Expose) return;
  switch (event.type) {
  case Expose: {
    const XExposeEvent& e = event.xexpose;
    form.InvalidateRect(Bounds(e.x, e.y, e.width, e.height));
    break;
  }
  case ButtonPress:
  case ButtonRelease: {
    const XButtonEvent& e = event.xbutton;
    const TShiftState shift = ShiftOfXState(e.state);
    if (e.button == Button4 || e.button == Button5) {
      if (event.type == ButtonPress)
        Application->PostMouseWheel(form, shift, e.button == Button4 ? kWheelDelta : -kWheelDelta,
                                    e.x, e.y);
      break;
    }
    if (e.button > Button3) break; // sideways scrolling and extra buttons
    const TMouseButton button = e.button == Button1   ? mbLeft
                                : e.button == Button2 ? mbMiddle
                                                      : mbRight;
    if (event.type == ButtonPress)
      Application->PostMouseDown(form, button, shift, e.x, e.y);
    else
      Application->PostMouseUp(form, button, shift, e.x, e.y);
    break;
  }
  case MotionNotify: {
    // Only the latest position of a burst of moves matters.
    while (XEventsQueued(FDisplay, QueuedAlready) > 0) {
      XEvent next;
      XPeekEvent(FDisplay, &next);
      if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
      XNextEvent(FDisplay, &event);
    }
    const XMotionEvent& e = event.xmotion;
    Application->PostMouseMove(form, ShiftOfXState(e.state), e.x, e.y);
    break;
  }
  case EnterNotify: {
    const XCrossingEvent& e = event.xcrossing;
    Application->PostMouseMove(form, ShiftOfXState(e.state), e.x, e.y);
    break;
  }
  case LeaveNotify: {
    const XCrossingEvent& e = event.xcrossing;
    // Leaving into a child window of ours, or a grab starting, is no leave.
    if (e.mode == NotifyNormal && e.detail != NotifyInferior) Application->PostMouseLeave(form);
    break;
  }
  case KeyPress:
  case KeyRelease: {
    XKeyEvent& e = event.xkey;
    const TShiftState shift = ShiftOfXState(e.state);
    // The key's code comes from its unshifted symbol, its character from the shifted one.
    const std::uint16_t key = VirtualKeyOfKeysym(XLookupKeysym(&e, 0));
    if (event.type == KeyRelease) {
      // Auto-repeat sends a release and a press at the same moment: a held key
      // repeats its key-down alone, as the framework expects.
      if (XEventsQueued(FDisplay, QueuedAfterReading) > 0) {
        XEvent next;
        XPeekEvent(FDisplay, &next);
        if (next.type == KeyPress && next.xkey.keycode == e.keycode && next.xkey.time == e.time)
          break;
      }
      if (key) Application->PostKeyUp(form, key, shift);
      break;
    }
    if (key) Application->PostKeyDown(form, key, shift);
    char bytes[8];
    KeySym typed = NoSymbol;
    const int count = XLookupString(&e, bytes, sizeof bytes, &typed, nullptr);
    if ((shift & ssCtrl) && count == 1 && static_cast<unsigned char>(bytes[0]) < 0x20)
      Application->PostChar(form, bytes[0]); // control characters such as Ctrl+C
    else if (!(shift & (ssCtrl | ssAlt)) || (shift & ssCtrl && shift & ssAlt)) // AltGr as Ctrl+Alt
      if (const auto ch = Win1252OfKeysym(typed)) Application->PostChar(form, *ch);
    break;
  }
  case FocusIn:
  case FocusOut:
    // Pointer-crossing notices inside our windows are not a change of focus.
    if (event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior)
      form.WindowFocusChanged(event.type == FocusIn);
    break;
  case ClientMessage:
    if (event.xclient.message_type == FAtoms->WmProtocols &&
        static_cast<Atom>(event.xclient.data.l[0]) == FAtoms->WmDeleteWindow)
      Application->PostCloseRequest(form);
    break;
  default: break;
  }
}

// --- screen -------------------------------------------------------------------------

TRect TX11Platform::WindowScreenRect(TWindowHandle window) {
  if (!window) return {};
  const unsigned long errors = ErrorCount(FDisplay);
  XWindowAttributes attributes{};
  const Status got = XGetWindowAttributes(FDisplay, window, &attributes);
  int x = 0, y = 0;
  Window child = None;
  XTranslateCoordinates(FDisplay, window, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
  if (!got || FailedSince(FDisplay, errors)) return {};
  return Bounds(x, y, attributes.width, attributes.height);
}

TRect TX11Platform::WorkAreaAt(TPoint screenPoint) {
  const int screen = DefaultScreen(FDisplay);
  TRect area{0, 0, DisplayWidth(FDisplay, screen), DisplayHeight(FDisplay, screen)};
  // The monitor that holds the point (XRandR), else the nearest one's.
  int monitorCount = 0;
  if (XRRMonitorInfo* monitors =
          XRRGetMonitors(FDisplay, DefaultRootWindow(FDisplay), True, &monitorCount)) {
    long bestDistance = -1;
    for (int i = 0; i < monitorCount; ++i) {
      const TRect m = Bounds(monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height);
      const long dx = screenPoint.X < m.Left    ? m.Left - screenPoint.X
                      : screenPoint.X >= m.Right ? screenPoint.X - m.Right + 1
                                                 : 0;
      const long dy = screenPoint.Y < m.Top      ? m.Top - screenPoint.Y
                      : screenPoint.Y >= m.Bottom ? screenPoint.Y - m.Bottom + 1
                                                  : 0;
      if (!m.IsEmpty() && (bestDistance < 0 || dx + dy < bestDistance)) {
        bestDistance = dx + dy;
        area = m;
      }
    }
    XRRFreeMonitors(monitors);
  }
  // Less the panels the window manager reserves (one rectangle for the whole desktop).
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(FDisplay, DefaultRootWindow(FDisplay), FAtoms->NetWorkArea, 0, 4, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data) {
    if (type == XA_CARDINAL && format == 32 && count >= 4) {
      const long* v = reinterpret_cast<const long*>(data);
      const TRect work = Bounds(static_cast<int>(v[0]), static_cast<int>(v[1]),
                                static_cast<int>(v[2]), static_cast<int>(v[3]));
      if (!work.Intersect(area).IsEmpty()) area = work.Intersect(area);
    }
    XFree(data);
  }
  return area;
}

// --- desktop ----------------------------------------------------------------------

std::string TX11Platform::ShellOpen(std::string_view target) {
  const TDesktopOpenResult result = DesktopOpen(std::string(target));
  return result.Succeeded ? std::string() : result.ErrorText;
}

} // namespace qvt
