// The X11 backend: forms as Xlib windows on a display connection of our own
// (never the host's), embedded in the host's editor window or as pop-up and
// menu windows of the screen. Input is read from that connection and posted
// to the application; forms are shown by copying their back buffers.
//
// Threads: Xlib is used without XInitThreads (a plug-in cannot call it before
// its host has used Xlib). One thread owns a platform: in the plug-in the UI
// thread (uX11UiThread.h), which alone touches this connection and the
// framework; other threads reach it only through its wake source.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/core/uPlatform.h"

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace qvt {

class TX11Window;

// No display could be opened (no DISPLAY, or the server refused).
class TX11Unavailable : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TX11Platform : public TPlatform {
public:
  // Opens its own connection to `displayName` (null: $DISPLAY) and installs
  // itself as the application's platform and font engine; the destructor
  // restores what was there. Throws TX11Unavailable without a display.
  explicit TX11Platform(const char* displayName = nullptr);
  ~TX11Platform() override;
  TX11Platform(const TX11Platform&) = delete;
  TX11Platform& operator=(const TX11Platform&) = delete;

  Display* XDisplay() const { return FDisplay; }

  // A descriptor that other threads make readable to wake WaitEvents, and the
  // work that PollEvents runs first each time (the UI thread's tasks).
  void SetWakeSource(int fd, std::function<void()> onPoll);

  TX11Window* WindowOf(TForm& form) const;

  // --- TPlatform ---
  std::unique_ptr<TNativeWindow> CreateNativeWindow(TForm& form,
                                                    const TWindowParams& params) override;
  TRect WindowScreenRect(TWindowHandle window) override;
  TRect WorkAreaAt(TPoint screenPoint) override;
  std::uint64_t NowMs() override;
  void PollEvents() override;
  void WaitEvents(std::optional<std::uint64_t> deadlineMs) override;
  TFontEngine& Fonts() override { return *FFonts; }
  void SetClipboardText(std::string_view text) override;
  std::optional<std::string> ClipboardText() override;
  std::optional<std::string> FileDialog(const TFileDialogRequest& request) override;
  std::string ShellOpen(std::string_view target) override;
  void PlaySystemSound(std::string_view) override {}

  // How long ClipboardText waits for the owner's answer.
  unsigned ClipboardTimeoutMs = 1000;

private:
  friend class TX11Window;
  struct TAtoms;
  void HandleEvent(XEvent& event);
  void HandleWindowEvent(TX11Window& window, XEvent& event);
  void HandleSelectionRequest(XEvent& event);
  // Waits for the connection to become readable (or, with `orWoken`, the wake
  // source), at most `timeoutMs` (<0: no limit).
  void WaitReadable(int timeoutMs, bool orWoken = false);
  // Reads a selection property into `out`; false when it holds no text.
  bool ReadSelectionProperty(unsigned long property, std::string& out, std::uint64_t deadline);
  std::optional<std::string> RequestSelection(unsigned long target, std::uint64_t deadline);

  Display* FDisplay = nullptr;
  std::unique_ptr<TAtoms> FAtoms;
  unsigned long FClipboardWindow = 0;
  std::optional<std::string> FClipboardText; // Windows-1252, while we own CLIPBOARD
  std::map<unsigned long, TX11Window*> FWindows;
  std::unique_ptr<TFontEngine> FFonts;
  bool FDropInput = false; // while a dialog program is modal
  int FWakeFd = -1;
  std::function<void()> FOnPoll;
  TPlatform* FPreviousPlatform = nullptr;
};

} // namespace qvt
