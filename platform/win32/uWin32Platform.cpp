#include "platform/win32/uWin32Platform.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <versionhelpers.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "lib/uCodePage.h"
#include "lib/uDesktopOpen.h"
#include "lib/win32/uOwnModule.h"
#include "lib/win32/uWideText.h"
#include "platform/core/uApplication.h"
#include "platform/core/uFont.h"
#include "platform/core/uForms.h"
#include "platform/core/uSystemClipboard.h"
#include "platform/win32/uWin32Window.h"

namespace qvt {

namespace {

constexpr UINT kPumpMessage = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

// Class names carry the module's address: two copies of the plug-in loaded
// from different folders keep classes of their own.
std::wstring ClassName(const wchar_t* kind, HINSTANCE module) {
  wchar_t name[64];
  std::swprintf(name, 64, L"Quivertone%ls.%p", kind, static_cast<void*>(module));
  return name;
}

ATOM Register(const std::wstring& name, HINSTANCE module, UINT style, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name.c_str();
  return RegisterClassExW(&windowClass);
}

} // namespace

TWin32Platform::TWin32Platform() {
  FModule = OwnModule();
  FChildClass = ClassName(L"Form", FModule);
  FPopupClass = ClassName(L"Popup", FModule);
  FWakeClass = ClassName(L"Wake", FModule);
  // Pop-ups save the screen under them and, from Windows XP on, cast a shadow.
  const UINT popupStyle = CS_SAVEBITS | (IsWindowsXPOrGreater() ? CS_DROPSHADOW : 0u);
  Register(FChildClass, FModule, 0, &TWin32Window::WindowProc);
  Register(FPopupClass, FModule, popupStyle, &TWin32Window::WindowProc);
  Register(FWakeClass, FModule, 0, &TWin32Platform::WakeProc);
  FWakeWindow = CreateWindowExW(0, FWakeClass.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                FModule, nullptr);
  SetWindowLongPtrW(FWakeWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FFonts = CreateGdiFontEngine();
  FPreviousPlatform = Application->Platform();
  Application->SetPlatform(this);
  SetFontEngine(FFonts.get());
}

TWin32Platform::~TWin32Platform() {
  SetFontEngine(nullptr);
  Application->SetPlatform(FPreviousPlatform);
  if (FWakeWindow) {
    KillTimer(FWakeWindow, kTimerId);
    SetWindowLongPtrW(FWakeWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWakeWindow);
  }
  FFonts.reset();
  UnregisterClassW(FChildClass.c_str(), FModule);
  UnregisterClassW(FPopupClass.c_str(), FModule);
  UnregisterClassW(FWakeClass.c_str(), FModule);
}

// --- pumping --------------------------------------------------------------------

void TWin32Platform::RequestPump() {
  if (!FPumpRequested.exchange(true)) PostMessageW(FWakeWindow, kPumpMessage, 0, 0);
}

LRESULT CALLBACK TWin32Platform::WakeProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  auto* self = reinterpret_cast<TWin32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && (message == kPumpMessage || (message == WM_TIMER && wParam == kTimerId))) {
    if (message == kPumpMessage) self->FPumpRequested = false;
    self->Pump();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TWin32Platform::Pump() {
  // A modal loop of ours is pumping: it handles the application's messages
  // after the window messages. A pump already running (a system loop such as
  // a window move inside a handler) runs this one when it ends.
  if (FPollDepth > 0) return;
  if (FPumpDepth > 0) {
    FPumpMissed = true;
    return;
  }
  ++FPumpDepth;
  FPumpLoopDepth = Application->ModalDepth();
  try {
    Application->ProcessMessages();
  } catch (...) {
    // The application's handlers report their own failures; the host's loop goes on.
  }
  --FPumpDepth;
  ArmTimer();
  if (FPumpMissed) {
    FPumpMissed = false;
    RequestPump();
  }
}

void TWin32Platform::ArmTimer() {
  const std::optional<std::uint64_t> due = Application->NextTimerDue();
  if (!due) {
    KillTimer(FWakeWindow, kTimerId);
    return;
  }
  const std::uint64_t now = NowMs();
  const std::uint64_t wait = *due > now ? *due - now : 0;
  SetTimer(FWakeWindow, kTimerId,
           static_cast<UINT>(std::clamp<std::uint64_t>(wait, USER_TIMER_MINIMUM, 1u << 30)),
           nullptr);
}

std::uint64_t TWin32Platform::NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TWin32Platform::PollEvents() {
  // Called by the host-driven pump itself: the host's loop dispatches its messages.
  if (FPumpDepth > 0 && Application->ModalDepth() == FPumpLoopDepth) return;
  ++FPollDepth;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The host is ending: its loop must still see the request.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  --FPollDepth;
}

void TWin32Platform::WaitEvents(std::optional<std::uint64_t> deadlineMs) {
  DWORD timeout = INFINITE;
  if (deadlineMs) {
    const std::uint64_t now = NowMs();
    timeout = *deadlineMs > now
                  ? static_cast<DWORD>(std::min<std::uint64_t>(*deadlineMs - now, 1u << 30))
                  : 0;
  }
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

std::unique_ptr<TNativeWindow> TWin32Platform::CreateNativeWindow(TForm& form,
                                                                  const TWindowParams& params) {
  return std::make_unique<TWin32Window>(*this, form, params);
}

// --- screen ---------------------------------------------------------------------

TRect TWin32Platform::WindowScreenRect(TWindowHandle window) {
  const HWND handle = reinterpret_cast<HWND>(window);
  RECT client{};
  if (!handle || !IsWindow(handle) || !GetClientRect(handle, &client)) return {};
  POINT origin{0, 0};
  ClientToScreen(handle, &origin);
  return Bounds(origin.x, origin.y, client.right - client.left, client.bottom - client.top);
}

TRect TWin32Platform::WorkAreaAt(TPoint screenPoint) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  const HMONITOR monitor =
      MonitorFromPoint(POINT{screenPoint.X, screenPoint.Y}, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoW(monitor, &info))
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// --- desktop services -------------------------------------------------------------

void TWin32Platform::SetClipboardText(std::string_view text) { SetSystemClipboardText(text); }

std::optional<std::string> TWin32Platform::ClipboardText() { return SystemClipboardText(); }

std::string TWin32Platform::ShellOpen(std::string_view target) {
  const TDesktopOpenResult result = DesktopOpen(std::string(target));
  return result.Succeeded ? std::string() : result.ErrorText;
}

void TWin32Platform::PlaySystemSound(std::string_view eventName) {
  const std::wstring alias = Widen(eventName);
  PlaySoundW(alias.c_str(), nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}

namespace {

// The editor closing while the dialog is open ends the dialog as if cancelled.
UINT_PTR CALLBACK FileDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  constexpr UINT_PTR kWatch = 1;
  if (message == WM_INITDIALOG) SetTimer(dialog, kWatch, 100, nullptr);
  if (message == WM_TIMER && wParam == kWatch && Application->InnermostLoopCancelled()) {
    KillTimer(dialog, kWatch);
    // The hook's dialog is a child of the Explorer-style dialog.
    PostMessageW(GetParent(dialog), WM_COMMAND, IDCANCEL, 0);
  }
  return 0;
}

} // namespace

std::optional<std::string> TWin32Platform::FileDialog(const TFileDialogRequest& request) {
  constexpr std::size_t kNameLength = 1500;
  std::wstring filter = Widen(Win1252ToUtf8(request.Filter));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.append(2, L'\0');
  const std::wstring title = Widen(Win1252ToUtf8(request.Title));
  std::wstring folder = Widen(request.InitialDir);
  std::replace(folder.begin(), folder.end(), L'/', L'\\');
  const std::wstring extension = Widen(request.DefaultExt);
  std::vector<wchar_t> name(kNameLength + 1, L'\0');
  std::wstring start = Widen(request.FileName);
  std::replace(start.begin(), start.end(), L'/', L'\\');
  std::copy_n(start.begin(), std::min(start.size(), kNameLength), name.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(request.Owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.lpfnHook = &FileDialogHook;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLESIZING |
                 (request.Save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  // The dialog runs inside a loop of ours, so that closing the editor can end it.
  bool confirmed = false;
  const bool ended = Application->RunModalLoop([&] {
    confirmed = (request.Save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)) != 0;
    return true;
  });
  if (!ended || !confirmed) return {};
  return Narrow(name.data());
}

} // namespace qvt
