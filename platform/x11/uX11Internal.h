// What the parts of the X11 backend share: the atoms of the connection and
// the handling of protocol errors on it.
#pragma once

#include <X11/Xlib.h>

#include "platform/x11/uX11Platform.h"

namespace qvt {

struct TX11Platform::TAtoms {
  explicit TAtoms(Display* display);
  Atom WmProtocols, WmDeleteWindow, WmState;
  Atom NetWmName, NetWmWindowType, NetWmWindowTypeDialog, NetWmWindowTypeMenu;
  Atom NetWmState, NetWmStateAbove, NetWmMoveResize, NetWorkArea, MotifWmHints, NetSupported;
  Atom Utf8String, Clipboard, Targets, Text, Incr, Selection;
};

// Protocol errors on our connections are counted, never fatal: the host may
// destroy its window (and with it ours) before it closes the editor. Errors
// of other connections go to the handler that was installed before.
void AttachErrorHandler(Display* display);
void DetachErrorHandler(Display* display);
// The number of errors seen on `display` so far.
unsigned long ErrorCount(Display* display);

// The top-level window that holds `window` (the host's frame around its
// editor window): window managers keep transient windows above that one.
Window TopLevelOf(Display* display, Window window);

// True when the requests made since `before` (an ErrorCount) caused an error.
inline bool FailedSince(Display* display, unsigned long before) {
  XSync(display, False);
  return ErrorCount(display) != before;
}

} // namespace qvt
