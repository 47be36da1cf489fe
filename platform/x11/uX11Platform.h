// The X11 backend: forms as Xlib windows on a display connection of our own
// (never the host's), embedded in the host's editor window or as pop-up and
// menu windows of the screen. Input is read from that connection and posted
// to the application; forms are shown by copying their back buffers.
//
// Threads: Xlib is used without XInitThreads (a plug-in cannot call it before
// its host has used Xlib). Every use of the framework and of this connection
// happens under UiLock(), which serialises the host's thread (the editor
// calls, Idle from effEditIdle) and the fallback pump (see uX11FallbackPump.h)
// so that no two threads ever touch the connection at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/core/uPlatform.h"

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace qvt {

class TX11Window;
class TX11FallbackPump;

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
  // Held by whoever uses the framework: the host's thread in every editor
  // call, the fallback pump while it pumps. Recursive.
  std::recursive_mutex& UiLock() { return FUiLock; }

  // The pump step of effEditIdle: handles what is waiting, fires due timers,
  // paints. Returns at once when another thread holds the pump (a modal loop
  // of the fallback pump).
  void Idle();
  // Milliseconds of the clock at the last Idle call (0 = never).
  std::uint64_t LastIdleMs() const { return FLastIdle.load(); }

  // Keeps the forms alive when the host stops calling Idle: a thread that
  // pumps in its place whenever no Idle came for `staleMs`.
  void StartFallbackPump(unsigned staleMs = 200);
  void StopFallbackPump();

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
  // Waits for the connection to become readable, at most `timeoutMs` (<0: no limit).
  void WaitReadable(int timeoutMs);
  // Reads a selection property into `out`; false when it holds no text.
  bool ReadSelectionProperty(unsigned long property, std::string& out, std::uint64_t deadline);
  std::optional<std::string> RequestSelection(unsigned long target, std::uint64_t deadline);

  Display* FDisplay = nullptr;
  std::unique_ptr<TAtoms> FAtoms;
  unsigned long FClipboardWindow = 0;
  std::optional<std::string> FClipboardText; // Windows-1252, while we own CLIPBOARD
  std::map<unsigned long, TX11Window*> FWindows;
  std::unique_ptr<TFontEngine> FFonts;
  std::recursive_mutex FUiLock;
  std::atomic<std::uint64_t> FLastIdle{0};
  bool FDropInput = false; // while a dialog program is modal
  std::unique_ptr<TX11FallbackPump> FFallback;
  TPlatform* FPreviousPlatform = nullptr;
};

} // namespace qvt
