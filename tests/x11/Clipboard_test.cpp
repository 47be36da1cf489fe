// The CLIPBOARD selection between our platform and other programs on their
// own connections: text we own is served to them, text they own comes to us.
#include "tests/x11/X11Fixture.h"

#include <atomic>
#include <future>

#include "platform/core/uClipboard.h"

namespace {

// Another program: owns CLIPBOARD with a UTF-8 text and, on its own thread
// and connection, answers requests for it.
class OtherProgram {
public:
  explicit OtherProgram(std::string utf8) : Text(std::move(utf8)) {
    std::promise<bool> ready;
    auto owning = ready.get_future();
    Thread = std::thread([this, &ready] { Run(ready); });
    Owning = owning.get();
  }
  ~OtherProgram() {
    Stop = true;
    Thread.join();
  }
  bool Owning = false;

private:
  void Run(std::promise<bool>& ready) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
      ready.set_value(false);
      return;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    ready.set_value(XGetSelectionOwner(display, clipboard) == window);
    while (!Stop) {
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        if (request.target == utf8) {
          XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(Text.data()),
                          static_cast<int>(Text.size()));
          reply.xselection.property = request.property;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, &reply);
        XFlush(display);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  }

  std::string Text;
  std::atomic<bool> Stop{false};
  std::thread Thread;
};

class Clipboard : public X11Test {
protected:
  // Asks for the clipboard as another program does, while our platform pumps.
  // Answers the property's type and bytes; type None when refused.
  std::pair<Atom, std::string> RequestAsHost(const char* targetName) {
    const Window window = XCreateSimpleWindow(Host, DefaultRootWindow(Host), 0, 0, 1, 1, 0, 0, 0);
    const Atom property = XInternAtom(Host, "TEST_PROPERTY", False);
    XConvertSelection(Host, XInternAtom(Host, "CLIPBOARD", False),
                      XInternAtom(Host, targetName, False), property, window, CurrentTime);
    XEvent event{};
    const bool answered =
        PumpUntil([&] { return XCheckTypedWindowEvent(Host, window, SelectionNotify, &event); });
    std::pair<Atom, std::string> result{None, {}};
    if (answered && event.xselection.property != None) {
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      XGetWindowProperty(Host, window, property, 0, 1 << 16, True, AnyPropertyType, &result.first,
                         &format, &count, &after, &data);
      if (data) {
        result.second.assign(reinterpret_cast<char*>(data),
                             count * static_cast<unsigned long>(format / 8));
        XFree(data);
      }
    }
    XDestroyWindow(Host, window);
    return result;
  }
};

TEST_F(Clipboard, TextWeCopyIsServedToOtherProgramsAsUtf8) {
  SetClipboardText("Preset \xAB"
                   "Bass\xBB \x80"); // Windows-1252
  const auto utf8 = RequestAsHost("UTF8_STRING");
  EXPECT_EQ(utf8.first, XInternAtom(Host, "UTF8_STRING", False));
  EXPECT_EQ(utf8.second, "Preset \xC2\xAB"
                         "Bass\xC2\xBB \xE2\x82\xAC");

  EXPECT_EQ(GetClipboardText(), "Preset \xAB"
                                "Bass\xBB \x80"); // ours, without asking
}

TEST_F(Clipboard, TextAnotherProgramOwnsArrivesAsWindows1252) {
  OtherProgram other("Caf\xC3\xA9 \xE2\x82\xAC \xD0\x96"); // é, €, and Ж which 1252 lacks
  ASSERT_TRUE(other.Owning);
  EXPECT_TRUE(ClipboardHasText());
  EXPECT_EQ(GetClipboardText(), "Caf\xE9 \x80 ?");
}

TEST_F(Clipboard, AnOwnerThatNeverAnswersCostsOnlyTheTimeout) {
  Platform->ClipboardTimeoutMs = 200;
  // The host's connection owns the selection but, busy on this thread, never answers.
  XSetSelectionOwner(Host, XInternAtom(Host, "CLIPBOARD", False), HostWindow, CurrentTime);
  XSync(Host, False);

  const std::uint64_t start = Platform->NowMs();
  EXPECT_EQ(Platform->ClipboardText(), std::nullopt);
  const std::uint64_t waited = Platform->NowMs() - start;
  EXPECT_GE(waited, 200u);
  EXPECT_LT(waited, 2000u);
}

} // namespace
