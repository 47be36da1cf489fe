// The CLIPBOARD selection. Owning: the clipboard window answers requests for
// TARGETS, UTF8_STRING, TEXT and STRING from the text we keep. Requesting: the
// owner is asked for UTF8_STRING (then STRING) and its answer awaited for a
// bounded time, while every other event is handled as usual.
#include <X11/Xatom.h>

#include <climits>

#include "lib/uCodePage.h"
#include "platform/x11/uX11Internal.h"

namespace qvt {

namespace {

// Latin-1 agrees with Windows-1252 except at 0x80..0x9F, which it lacks.
std::string Win1252ToLatin1(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) < 0xA0) c = '?';
  return out;
}

std::string Latin1ToWin1252(std::string_view text) {
  std::string utf8;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (b >> 6));
      utf8 += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return Utf8ToWin1252(utf8);
}

} // namespace

void TX11Platform::SetClipboardText(std::string_view text) {
  XSetSelectionOwner(FDisplay, FAtoms->Clipboard, FClipboardWindow, CurrentTime);
  // The answer also makes sure the server has made us the owner before we return.
  if (XGetSelectionOwner(FDisplay, FAtoms->Clipboard) == FClipboardWindow)
    FClipboardText = std::string(text);
  else
    FClipboardText.reset();
}

void TX11Platform::HandleSelectionRequest(XEvent& event) {
  const XSelectionRequestEvent& request = event.xselectionrequest;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = FDisplay;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None; // refused unless answered below
  // Old clients name no property: the target's name serves.
  const Atom property = request.property != None ? request.property : request.target;
  if (request.selection == FAtoms->Clipboard && request.owner == FClipboardWindow &&
      FClipboardText) {
    if (request.target == FAtoms->Targets) {
      const Atom targets[] = {FAtoms->Targets, FAtoms->Utf8String, FAtoms->Text, XA_STRING};
      XChangeProperty(FDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 4);
      reply.xselection.property = property;
    } else if (request.target == FAtoms->Utf8String || request.target == FAtoms->Text ||
               request.target == XA_STRING) {
      const bool utf8 = request.target != XA_STRING;
      const std::string data =
          utf8 ? Win1252ToUtf8(*FClipboardText) : Win1252ToLatin1(*FClipboardText);
      XChangeProperty(FDisplay, request.requestor, property, utf8 ? FAtoms->Utf8String : XA_STRING,
                      8, PropModeReplace, reinterpret_cast<const unsigned char*>(data.data()),
                      static_cast<int>(data.size()));
      reply.xselection.property = property;
    }
  }
  XSendEvent(FDisplay, request.requestor, False, NoEventMask, &reply);
  XFlush(FDisplay);
}

std::optional<std::string> TX11Platform::ClipboardText() {
  const Window owner = XGetSelectionOwner(FDisplay, FAtoms->Clipboard);
  if (owner == None) return std::nullopt;
  if (owner == FClipboardWindow) return FClipboardText;
  const std::uint64_t deadline = NowMs() + ClipboardTimeoutMs;
  if (auto text = RequestSelection(FAtoms->Utf8String, deadline)) return text;
  return RequestSelection(XA_STRING, deadline);
}

std::optional<std::string> TX11Platform::RequestSelection(unsigned long target,
                                                          std::uint64_t deadline) {
  XDeleteProperty(FDisplay, FClipboardWindow, FAtoms->Selection);
  XConvertSelection(FDisplay, FAtoms->Clipboard, target, FAtoms->Selection, FClipboardWindow,
                    CurrentTime);
  XFlush(FDisplay);
  for (;;) {
    while (XPending(FDisplay) > 0) {
      XEvent event;
      XNextEvent(FDisplay, &event);
      if (event.type == SelectionNotify && event.xselection.requestor == FClipboardWindow &&
          event.xselection.selection == FAtoms->Clipboard) {
        if (event.xselection.property == None) return std::nullopt;
        std::string text;
        if (!ReadSelectionProperty(event.xselection.property, text, deadline)) return std::nullopt;
        return text;
      }
      HandleEvent(event);
    }
    const std::uint64_t now = NowMs();
    if (now >= deadline) return std::nullopt;
    WaitReadable(static_cast<int>(deadline - now));
  }
}

bool TX11Platform::ReadSelectionProperty(unsigned long property, std::string& out,
                                         std::uint64_t deadline) {
  // Reads and deletes the property; the deletion asks an incremental sender for more.
  auto take = [&](Atom& type, std::string& bytes) {
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bytes.clear();
    if (XGetWindowProperty(FDisplay, FClipboardWindow, property, 0, LONG_MAX / 4, True,
                           AnyPropertyType, &type, &format, &count, &after, &data) != Success)
      return false;
    if (data) {
      if (format == 8) bytes.assign(reinterpret_cast<const char*>(data), count);
      XFree(data);
    }
    return true;
  };
  Atom type = None;
  std::string bytes;
  if (!take(type, bytes)) return false;
  if (type == FAtoms->Incr) {
    // Large texts come in pieces, each announced by a new value of the property.
    std::string whole;
    Atom pieceType = None;
    for (;;) {
      XEvent event;
      bool arrived = false;
      while (!arrived) {
        if (XCheckTypedWindowEvent(FDisplay, FClipboardWindow, PropertyNotify, &event)) {
          arrived = event.xproperty.atom == property && event.xproperty.state == PropertyNewValue;
          continue;
        }
        const std::uint64_t now = NowMs();
        if (now >= deadline) return false;
        WaitReadable(static_cast<int>(deadline - now));
      }
      if (!take(pieceType, bytes)) return false;
      if (bytes.empty()) break;
      whole += bytes;
    }
    type = pieceType;
    bytes = std::move(whole);
  }
  if (type == FAtoms->Utf8String)
    out = Utf8ToWin1252(bytes);
  else if (type == XA_STRING)
    out = Latin1ToWin1252(bytes);
  else
    return false;
  return true;
}

} // namespace qvt
