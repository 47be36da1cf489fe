// What each backend provides (headless, X11, Win32). Shared code talks to the
// display, the clock and the desktop services only through this interface;
// the build links exactly one implementation into a program.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/uTypes.h"

class TBitmap;
class TForm;

namespace qvt {

class TFontEngine;

// A native window id (an X11 Window, an HWND, a headless counter); 0 = none.
using TWindowHandle = std::uintptr_t;

enum TWindowKind : std::uint8_t {
  wkChild, // embedded in ParentWindow (the host's editor window)
  wkPopup, // a top-level borderless window owned by ParentWindow (dialogs, tool windows)
  wkMenu,  // like wkPopup, but outside window management (override-redirect)
};

struct TWindowParams {
  TWindowKind Kind = wkChild;
  TWindowHandle ParentWindow = 0;
  TRect Bounds;        // in the parent window (wkChild) or on the screen
  std::string Caption; // Windows-1252
  bool Topmost = false;
};

// The native side of one form. The backend reports the window's input by
// posting messages to the application (TApplication::Post...).
class TNativeWindow {
public:
  virtual ~TNativeWindow() = default;
  virtual TWindowHandle Handle() const = 0;
  virtual void SetBounds(const TRect& bounds) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void BringToFront() = 0;
  // Copies `dirty` of the form's back buffer to the screen.
  virtual void Present(const TBitmap& buffer, const TRect& dirty) = 0;
  // The client area's top-left on the screen.
  virtual TPoint ScreenOrigin() const = 0;
  virtual void SetCursor(TCursor cursor) = 0;
  // All pointer input goes to this window while set (held buttons, open menus).
  virtual void SetMouseGrab(bool grab) = 0;
  // Lets the user move the window as if its caption had been grabbed.
  virtual void BeginMove() = 0;
  virtual void SetKeyboardFocus() = 0;
};

struct TFileDialogRequest {
  bool Save = false;
  TWindowHandle Owner = 0;
  std::string Title;  // Windows-1252
  std::string Filter; // Windows-1252: "Text (*.txt)|*.txt|All files (*.*)|*.*"
  std::string InitialDir; // paths in the file system's encoding (UTF-8 on Linux)
  std::string DefaultExt; // without the dot
  std::string FileName;   // the name the dialog starts with, a path too
};

class TPlatform {
public:
  virtual ~TPlatform() = default;

  virtual std::unique_ptr<TNativeWindow> CreateNativeWindow(TForm& form,
                                                            const TWindowParams& params) = 0;
  // Screen rectangle of any window, ours or the host's; empty when unknown.
  virtual TRect WindowScreenRect(TWindowHandle window) = 0;
  // The usable area of the monitor that holds a screen point (menus stay inside it).
  virtual TRect WorkAreaAt(TPoint screenPoint) = 0;

  // Milliseconds on a monotonic clock.
  virtual std::uint64_t NowMs() = 0;
  // Moves the native events that are waiting into the application's queue.
  virtual void PollEvents() = 0;
  // Waits until an event arrives or the clock reaches `deadlineMs`
  // (no deadline: until an event). Used by modal loops when idle.
  virtual void WaitEvents(std::optional<std::uint64_t> deadlineMs) = 0;

  virtual TFontEngine& Fonts() = 0;

  // Text on the system clipboard, Windows-1252. The default keeps it in the process.
  virtual void SetClipboardText(std::string_view text);
  virtual std::optional<std::string> ClipboardText();

  // The chosen path (the file system's encoding), or nothing when cancelled.
  virtual std::optional<std::string> FileDialog(const TFileDialogRequest& request) = 0;
  // Opens a document or address with the desktop's handler. Empty when it
  // worked, else the reason.
  virtual std::string ShellOpen(std::string_view target) = 0;
  // An event sound such as "MenuPopup"; may be silent.
  virtual void PlaySystemSound(std::string_view eventName) = 0;
};

// The backend of this program, created by its platform library; defined once
// per backend.
std::unique_ptr<TPlatform> CreatePlatform();

} // namespace qvt
