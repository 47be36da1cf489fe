#include "platform/win32/uWin32Window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "lib/uCodePage.h"
#include "lib/win32/uWideText.h"
#include "platform/core/uApplication.h"
#include "platform/core/uBitmap.h"
#include "platform/core/uForms.h"
#include "platform/win32/uWin32Platform.h"

namespace qvt {

namespace {

TShiftState KeyboardShift() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

// A UTF-16 character typed, as Windows-1252; nothing when that code page lacks it.
bool Win1252Of(wchar_t unit, char& out) {
  if (unit < 0x80) {
    out = static_cast<char>(unit);
    return true;
  }
  BOOL lossy = FALSE;
  char byte = 0;
  const int written =
      WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &unit, 1, &byte, 1, nullptr, &lossy);
  if (written != 1 || lossy) return false;
  out = byte;
  return true;
}

// While a menu is open it takes the keyboard: keys of other windows go to it.
TForm& KeyTarget(TForm& form) {
  TForm* grab = Application->GrabForm();
  return grab && grab->WindowKind == wkMenu ? *grab : form;
}

HWND TopLevelOf(HWND window) {
  HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
  return root ? root : window;
}

} // namespace

TWin32Window::TWin32Window(TWin32Platform& platform, TForm& form, const TWindowParams& params)
    : FPlatform(platform), FForm(form), FParams(params) {
  const bool child = FParams.Kind == wkChild;
  // An editor opens only into a real window of the host.
  if (child && !IsWindow(reinterpret_cast<HWND>(FParams.ParentWindow)))
    throw std::invalid_argument("the host's window is no window");
  const int width = std::max(FParams.Bounds.Width(), 1);
  const int height = std::max(FParams.Bounds.Height(), 1);
  const std::wstring caption = Widen(Win1252ToUtf8(FParams.Caption));
  if (child) {
    FWindow = CreateWindowExW(0, platform.ChildClass().c_str(), caption.c_str(),
                              WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, FParams.Bounds.Left,
                              FParams.Bounds.Top, width, height,
                              reinterpret_cast<HWND>(FParams.ParentWindow), nullptr,
                              platform.Module(), this);
  } else {
    // Pop-ups belong to the top-level window of their parent: they stay above
    // it, and go when it goes.
    DWORD exStyle = WS_EX_TOOLWINDOW;
    if (FParams.Topmost || FParams.Kind == wkMenu) exStyle |= WS_EX_TOPMOST;
    if (FParams.Kind == wkMenu) exStyle |= WS_EX_NOACTIVATE;
    const HWND owner = FParams.ParentWindow && IsWindow(reinterpret_cast<HWND>(FParams.ParentWindow))
                           ? TopLevelOf(reinterpret_cast<HWND>(FParams.ParentWindow))
                           : nullptr;
    FWindow = CreateWindowExW(exStyle, platform.PopupClass().c_str(), caption.c_str(),
                              WS_POPUP | WS_CLIPCHILDREN, FParams.Bounds.Left, FParams.Bounds.Top,
                              width, height, owner, nullptr, platform.Module(), this);
  }
  if (!FWindow) throw std::runtime_error("the window cannot be made");
  SetCursor(crDefault);
}

TWin32Window::~TWin32Window() {
  if (FWindow) {
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    if (FVisible) HandFocusBack();
    if (GetCapture() == FWindow) {
      FGrabbed = false;
      ReleaseCapture();
    }
    DestroyWindow(FWindow);
  }
  FreePixels();
}

void TWin32Window::FreePixels() {
  if (FDib) DeleteObject(FDib);
  FDib = nullptr;
  FBits = nullptr;
  FDibWidth = FDibHeight = 0;
}

bool TWin32Window::EnsurePixels(int width, int height) {
  if (FDib && FDibWidth == width && FDibHeight == height) return true;
  FreePixels();
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // rows top down, as in the back buffer
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  FDib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!FDib || !bits) {
    FreePixels();
    return false;
  }
  FBits = static_cast<std::uint32_t*>(bits);
  FDibWidth = width;
  FDibHeight = height;
  std::memset(FBits, 0, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  return true;
}

void TWin32Window::SetBounds(const TRect& bounds) {
  if (!FWindow) return;
  SetWindowPos(FWindow, nullptr, bounds.Left, bounds.Top, std::max(bounds.Width(), 1),
               std::max(bounds.Height(), 1), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Window::SetVisible(bool visible) {
  if (!FWindow || visible == FVisible) return;
  FVisible = visible;
  if (visible) {
    // Menus never take the activation from the window they were opened from.
    ShowWindow(FWindow, FParams.Kind == wkPopup ? SW_SHOW : SW_SHOWNA);
  } else {
    SetMouseGrab(false);
    HandFocusBack();
    ShowWindow(FWindow, SW_HIDE);
  }
}

void TWin32Window::HandFocusBack() {
  // The keyboard goes back to the host's window it came from.
  if (GetFocus() != FWindow) return;
  if (FParams.Kind == wkChild && FParams.ParentWindow &&
      IsWindow(reinterpret_cast<HWND>(FParams.ParentWindow)))
    SetFocus(reinterpret_cast<HWND>(FParams.ParentWindow));
}

void TWin32Window::BringToFront() {
  if (!FWindow) return;
  SetWindowPos(FWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32Window::Present(const TBitmap& buffer, const TRect& dirty) {
  if (!FWindow || !EnsurePixels(buffer.Width(), buffer.Height())) return;
  const TRect r = dirty.Intersect(buffer.BoundsRect());
  if (r.IsEmpty()) return;
  const std::size_t count = static_cast<std::size_t>(r.Width());
  for (int y = r.Top; y < r.Bottom; ++y)
    std::memcpy(FBits + static_cast<std::size_t>(y) * static_cast<std::size_t>(FDibWidth) + r.Left,
                buffer.Bits() + static_cast<std::size_t>(y) * static_cast<std::size_t>(buffer.Width()) +
                    r.Left,
                count * 4);
  const RECT area{r.Left, r.Top, r.Right, r.Bottom};
  InvalidateRect(FWindow, &area, FALSE);
  if (FVisible) UpdateWindow(FWindow);
}

TPoint TWin32Window::ScreenOrigin() const {
  POINT origin{0, 0};
  if (FWindow) ClientToScreen(FWindow, &origin);
  return {origin.x, origin.y};
}

void TWin32Window::SetCursor(TCursor cursor) {
  FCursor = LoadCursorW(nullptr, cursor == crHandPoint ? IDC_HAND
                                 : cursor == crIBeam   ? IDC_IBEAM
                                                       : IDC_ARROW);
  // Shown at once when the pointer is over the window.
  POINT at{};
  if (FWindow && GetCursorPos(&at) && WindowFromPoint(at) == FWindow) ::SetCursor(FCursor);
}

void TWin32Window::SetMouseGrab(bool grab) {
  if (!FWindow || grab == FGrabbed) return;
  FGrabbed = grab;
  if (grab)
    SetCapture(FWindow);
  else if (GetCapture() == FWindow)
    ReleaseCapture();
}

void TWin32Window::BeginMove() {
  if (!FWindow || FParams.Kind == wkChild) return;
  FGrabbed = false;
  ReleaseCapture();
  const DWORD at = GetMessagePos();
  // The system's move loop runs until the button goes up, which it keeps:
  // the form still hears the release, since it counts its held buttons.
  SendMessageW(FWindow, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(at));
  POINT now{};
  GetCursorPos(&now);
  ScreenToClient(FWindow, &now);
  Application->PostMouseUp(FForm, mbLeft, KeyboardShift(), now.x, now.y);
  FPlatform.RequestPump();
}

void TWin32Window::SetKeyboardFocus() {
  if (FWindow && FVisible && GetFocus() != FWindow) SetFocus(FWindow);
}

LRESULT CALLBACK TWin32Window::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<TWin32Window*>(create->lpCreateParams);
    self->FWindow = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The host destroyed its window, and ours with it: the form keeps a dead handle no more.
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->FWindow = nullptr;
    self->FVisible = false;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // Nothing may escape into the host's message loop.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

void TWin32Window::MouseButton(UINT message, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  const TShiftState shift = KeyboardShift();
  switch (message) {
  case WM_LBUTTONDOWN: Application->PostMouseDown(FForm, mbLeft, shift, x, y); break;
  case WM_RBUTTONDOWN: Application->PostMouseDown(FForm, mbRight, shift, x, y); break;
  case WM_MBUTTONDOWN: Application->PostMouseDown(FForm, mbMiddle, shift, x, y); break;
  case WM_LBUTTONUP: Application->PostMouseUp(FForm, mbLeft, shift, x, y); break;
  case WM_RBUTTONUP: Application->PostMouseUp(FForm, mbRight, shift, x, y); break;
  case WM_MBUTTONUP: Application->PostMouseUp(FForm, mbMiddle, shift, x, y); break;
  default: break;
  }
}

LRESULT TWin32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_ERASEBKGND: return 1; // the back buffer covers every pixel
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(FWindow, &paint);
    if (target && FDib) {
      HDC source = CreateCompatibleDC(target);
      HGDIOBJ old = SelectObject(source, FDib);
      const RECT& r = paint.rcPaint;
      BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, source, r.left, r.top,
             SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    }
    EndPaint(FWindow, &paint);
    return 0;
  }
  case WM_PRINTCLIENT: {
    // What the window shows, drawn into another device (window captures, PrintWindow).
    HDC target = reinterpret_cast<HDC>(wParam);
    if (target && FDib) {
      HDC source = CreateCompatibleDC(target);
      HGDIOBJ old = SelectObject(source, FDib);
      BitBlt(target, 0, 0, FDibWidth, FDibHeight, source, 0, 0, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    }
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    // A click into the editor gives it the keyboard (the host's window had it).
    if (FParams.Kind == wkChild && GetFocus() != FWindow) SetFocus(FWindow);
    [[fallthrough]];
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
    MouseButton(message, lParam);
    FPlatform.RequestPump();
    return 0;
  case WM_MOUSEMOVE:
    if (!FTrackingLeave) {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, FWindow, 0};
      FTrackingLeave = TrackMouseEvent(&track) != 0;
    }
    Application->PostMouseMove(FForm, KeyboardShift(), GET_X_LPARAM(lParam),
                               GET_Y_LPARAM(lParam));
    FPlatform.RequestPump();
    return 0;
  case WM_MOUSELEAVE:
    FTrackingLeave = false;
    Application->PostMouseLeave(FForm);
    FPlatform.RequestPump();
    return 0;
  case WM_MOUSEWHEEL: {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(FWindow, &at);
    Application->PostMouseWheel(FForm, KeyboardShift(), GET_WHEEL_DELTA_WPARAM(wParam), at.x, at.y);
    FPlatform.RequestPump();
    return 0;
  }
  case WM_CAPTURECHANGED:
    // Another window took the mouse (a system dialog, the host): the control
    // that held it ends what it was doing.
    if (FGrabbed && reinterpret_cast<HWND>(lParam) != FWindow) {
      FGrabbed = false;
      TForm* form = &FForm;
      Application->PostCall(form, [form] { form->SetCaptureControl(nullptr); });
      FPlatform.RequestPump();
    }
    return 0;
  case WM_SETCURSOR:
    if (LOWORD(lParam) == HTCLIENT && FCursor) {
      ::SetCursor(FCursor);
      return TRUE;
    }
    break;
  case WM_GETDLGCODE:
    // Arrows, Tab, Enter and characters reach the spin editors and the browser
    // even inside a host's dialog.
    return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    Application->PostKeyDown(KeyTarget(FForm), static_cast<std::uint16_t>(wParam), KeyboardShift());
    FPlatform.RequestPump();
    if (message == WM_SYSKEYDOWN && wParam == VK_F4) break; // Alt+F4 stays the system's
    return 0;
  case WM_KEYUP:
  case WM_SYSKEYUP:
    Application->PostKeyUp(KeyTarget(FForm), static_cast<std::uint16_t>(wParam), KeyboardShift());
    FPlatform.RequestPump();
    if (message == WM_SYSKEYUP) break;
    return 0;
  case WM_CHAR: {
    char ch = 0;
    if (Win1252Of(static_cast<wchar_t>(wParam), ch)) {
      Application->PostChar(KeyTarget(FForm), ch);
      FPlatform.RequestPump();
    }
    return 0;
  }
  case WM_SETFOCUS:
  case WM_KILLFOCUS: {
    TForm* form = &FForm;
    const bool focused = message == WM_SETFOCUS;
    Application->PostCall(form, [form, focused] { form->WindowFocusChanged(focused); });
    FPlatform.RequestPump();
    return 0;
  }
  case WM_MOUSEACTIVATE:
    if (FParams.Kind == wkMenu) return MA_NOACTIVATE;
    break;
  case WM_CLOSE:
    // Alt+F4 on a pop-up: the form decides, as for its own close box.
    Application->PostCloseRequest(FForm);
    FPlatform.RequestPump();
    return 0;
  default: break;
  }
  return DefWindowProcW(FWindow, message, wParam, lParam);
}

} // namespace qvt
