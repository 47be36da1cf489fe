// The Win32 backend: forms as windows of a class of the module's own (a child
// of the host's editor window, or pop-up tool windows), run on the host's GUI
// thread. The host's own message loop drives the forms: a window of ours
// that receives input, a timer or a wake request asks for a pump, which runs
// the application's messages, timers and painting. Modal loops pump the
// thread's messages themselves, as the system's own dialogs do.
// One platform per loaded module, made with the first editor and removed when
// the library unloads (uWin32UiRuntime.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <windows.h>

#include "platform/core/uPlatform.h"

namespace qvt {

class TWin32Platform : public TPlatform {
public:
  // Registers the module's window classes, makes the wake window and installs
  // itself as the application's platform and font engine; the destructor
  // undoes all of it.
  TWin32Platform();
  ~TWin32Platform() override;
  TWin32Platform(const TWin32Platform&) = delete;
  TWin32Platform& operator=(const TWin32Platform&) = delete;

  // Any thread; never blocks: the thread's message loop runs a pump soon.
  void RequestPump();
  // UI thread: runs the application's waiting messages, due timers and
  // painting now (unless a modal loop of ours is pumping, which does that),
  // then sets the timer for the next due one.
  void Pump();

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
  void PlaySystemSound(std::string_view eventName) override;

  // The registered class names (child forms, pop-ups and menus).
  const std::wstring& ChildClass() const { return FChildClass; }
  const std::wstring& PopupClass() const { return FPopupClass; }
  HINSTANCE Module() const { return FModule; }
  // Depth of our own message pumping (PollEvents) on the stack.
  int PollDepth() const { return FPollDepth; }

private:
  static LRESULT CALLBACK WakeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ArmTimer();

  HINSTANCE FModule = nullptr;
  std::wstring FChildClass, FPopupClass, FWakeClass;
  HWND FWakeWindow = nullptr;
  std::atomic<bool> FPumpRequested{false};
  int FPollDepth = 0;
  int FPumpDepth = 0;
  int FPumpLoopDepth = 0; // the application's modal depth when the running pump began
  bool FPumpMissed = false;
  std::unique_ptr<TFontEngine> FFonts;
  TPlatform* FPreviousPlatform = nullptr;
};

// The font engine of GDI: anti-aliased glyphs of the installed faces.
std::unique_ptr<TFontEngine> CreateGdiFontEngine();

} // namespace qvt
