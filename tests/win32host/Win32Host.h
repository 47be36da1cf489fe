// A small Windows host for the built plug-in: top-level windows to open
// editors in, the plug-in loaded through its entry point, input posted to the
// editors' windows, and their pixels read back. The editor runs on this
// program's main thread (the host's GUI thread): tests pump its messages, or
// let a "user" thread act while the main thread pumps, as modal loops need.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/qvt/PluginHost.h"

class Win32Host : public ::testing::Test {
public:
  static constexpr int kWidth = 587, kHeight = 320;
  // Posted to a host window: its window's handler closes the editor (effEditClose) or the
  // plug-in (effClose), at whatever depth the thread is.
  static constexpr UINT kCloseEditor = WM_APP + 7, kClosePlugin = WM_APP + 8;
  static constexpr wchar_t kHostClass[] = L"QvtTestHost";

  const DWORD UiThread = GetCurrentThreadId();
  std::vector<HWND> HostWindows;
  std::vector<std::unique_ptr<qvt::THostedPlugin>> Plugins;

  void TearDown() override {
    Plugins.clear(); // effClose, then the library's unload
    for (HWND w : HostWindows) DestroyWindow(w);
    HostWindows.clear();
  }

  // A top-level window of the host, shown, whose editor is `fx`'s.
  HWND NewHostWindow(int left, int top, AEffect* fx) {
    static const bool registered = [] {
      WNDCLASSW c{};
      c.lpfnWndProc = &HostProc;
      c.hInstance = GetModuleHandleW(nullptr);
      c.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
      c.lpszClassName = kHostClass;
      return RegisterClassW(&c) != 0;
    }();
    (void)registered;
    HWND w = CreateWindowExW(0, kHostClass, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top,
                             kWidth + 60, kHeight + 80, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
    for (const auto& plugin : Plugins)
      if (plugin->Effect() == fx)
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(plugin.get()));
    HostWindows.push_back(w);
    return w;
  }

  AEffect* Load() {
    std::string error;
    auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
    EXPECT_TRUE(plugin) << error;
    if (!plugin) return nullptr;
    AEffect* fx = plugin->Effect();
    Plugins.push_back(std::move(plugin));
    return fx;
  }

  bool OpenEditor(AEffect* fx, HWND parent) {
    return fx->dispatcher(fx, effEditOpen, 0, 0, parent, 0.0f) == 1;
  }
  void CloseEditor(AEffect* fx) { fx->dispatcher(fx, effEditClose, 0, 0, nullptr, 0.0f); }
  std::vector<qvt::THostedPlugin::TAutomation> Automations() {
    return Plugins.at(0)->AutomationsSoFar();
  }

  // Pumps this thread's messages (the host's loop) until `done`, at most `ms`
  // (stretched under an emulator, as every wait's bound here).
  bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    return PumpTo(done, DeadlineAfter(ms));
  }
  // Pumps for exactly `ms`.
  void Pump(int ms) {
    PumpTo([] { return false; }, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
  }

  // Runs `user` on a thread of its own while this thread pumps; the user's
  // steps may meet modal loops of the editor. Answers whether it finished in time.
  bool AsUser(const std::function<void()>& user, int ms = 20000) {
    std::atomic<bool> done{false};
    std::thread thread([&] {
      user();
      done = true;
    });
    const bool finished = PumpUntil([&] { return done.load(); }, ms);
    thread.join(); // the user's waits are bounded
    return finished;
  }

  // For the user thread: waits (without pumping) until `done`, at most `ms`.
  static bool WaitUntil(const std::function<bool()>& done, int ms = 3000) {
    const auto deadline = DeadlineAfter(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      Sleep(10);
    }
    return true;
  }

  // The editor's window in a host window; null when none.
  static HWND EditorOf(HWND host) { return FindWindowExW(host, nullptr, nullptr, nullptr); }

  // Visible top-level windows of this process that are not the host's: the pop-ups.
  std::vector<HWND> Popups() const {
    std::vector<HWND> found;
    EnumThreadWindows(UiThread, &CollectPopup, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  static SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
  }

  // Input as the system delivers it: posted to the window, client coordinates.
  static void Click(HWND window, int x, int y) {
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  static void Drag(HWND window, int x, int y, int dx, int dy) {
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y + dy));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y + dy));
  }
  // A key pressed and released (the host's TranslateMessage adds its character).
  static void Key(HWND window, WORD key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }
  // A character typed without a key of its own (as a dead key or an input method gives it).
  static void Type(HWND window, wchar_t ch) { PostMessageW(window, WM_CHAR, ch, 1); }

  // What the window shows, 0xRRGGBB per pixel, row by row.
  static std::vector<std::uint32_t> Pixels(HWND window) {
    const SIZE size = ClientSize(window);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
    if (pixels.empty()) return pixels;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC target = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(target, dib);
    // What the window put on the screen (its painting through WM_PAINT).
    HDC shown = GetDC(window);
    BitBlt(target, 0, 0, size.cx, size.cy, shown, 0, 0, SRCCOPY);
    ReleaseDC(window, shown);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFF;
    SelectObject(target, old);
    DeleteDC(target);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    return pixels;
  }

private:
  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* plugin = reinterpret_cast<qvt::THostedPlugin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!plugin || (message != kCloseEditor && message != kClosePlugin))
      return DefWindowProcW(window, message, wParam, lParam);
    if (message == kCloseEditor)
      plugin->Dispatch(effEditClose);
    else
      plugin->Close();
    return 0;
  }

  static BOOL CALLBACK CollectPopup(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && std::wstring(name) != kHostClass)
      reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
  }

  // A wait's bound, stretched where wine runs under an emulator (QVT_TEST_TIME_SCALE,
  // set by run-with-display.sh): there loading and painting take many times longer.
  static std::chrono::steady_clock::time_point DeadlineAfter(int ms) {
    static const int scale = [] {
      const char* text = std::getenv("QVT_TEST_TIME_SCALE");
      const int value = text ? std::atoi(text) : 1;
      return value >= 1 && value <= 100 ? value : 1;
    }();
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms) * scale;
  }

  static bool PumpTo(const std::function<bool()>& done,
                     std::chrono::steady_clock::time_point deadline) {
    for (;;) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
};
