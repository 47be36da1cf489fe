// A small Windows host for the built plug-in: top-level windows to open
// editors in, the plug-in loaded through its entry point, input posted to the
// editors' windows, and their pixels read back. The editor runs on this
// program's main thread (the host's GUI thread): tests pump its messages, or
// let a "user" thread act while the main thread pumps, as modal loops need.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/qvt/PluginHost.h"

class Win32Host : public ::testing::Test {
public:
  static constexpr int kWidth = 587, kHeight = 320;
  // Posted to a host window: its window's handler closes the editor (effEditClose) or the
  // plug-in (effClose), at whatever depth the thread is.
  static constexpr UINT kCloseEditor = WM_APP + 7, kClosePlugin = WM_APP + 8;

  const DWORD UiThread = GetCurrentThreadId();
  std::vector<HWND> HostWindows;
  std::vector<std::unique_ptr<qvt::THostedPlugin>> Plugins;

  void TearDown() override;

  // A top-level window of the host, shown, whose editor is `fx`'s.
  HWND NewHostWindow(int left, int top, AEffect* fx);
  AEffect* Load();
  VstIntPtr Dispatch(AEffect* fx, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return fx->dispatcher(fx, opcode, 0, value, ptr, 0.0f);
  }
  bool OpenEditor(AEffect* fx, HWND parent) { return Dispatch(fx, effEditOpen, 0, parent) == 1; }
  void CloseEditor(AEffect* fx) { Dispatch(fx, effEditClose); }
  std::vector<qvt::THostedPlugin::TAutomation> Automations() {
    return Plugins.at(0)->AutomationsSoFar();
  }

  // Pumps this thread's messages (the host's loop) until `done`, at most `ms`
  // (stretched under an emulator, as every wait's bound here).
  bool PumpUntil(const std::function<bool()>& done, int ms = 3000);
  // Pumps for exactly `ms`.
  void Pump(int ms);
  // Runs `user` on a thread of its own while this thread pumps; the user's
  // steps may meet modal loops of the editor. Answers whether it finished in time.
  bool AsUser(const std::function<void()>& user, int ms = 20000);
  // For the user thread: waits (without pumping) until `done`, at most `ms`.
  static bool WaitUntil(const std::function<bool()>& done, int ms = 3000);

  // The editor's window in a host window; null when none.
  static HWND EditorOf(HWND host);
  // Visible top-level windows of this process that are not the host's: the pop-ups.
  std::vector<HWND> Popups() const;
  static SIZE ClientSize(HWND window);
  // Input as the system delivers it: posted to the window, client coordinates.
  static void Click(HWND window, int x, int y);
  static void Drag(HWND window, int x, int y, int dx, int dy);
  // A key pressed and released (the host's TranslateMessage adds its character).
  static void Key(HWND window, WORD key);
  // A character typed without a key of its own (as a dead key or an input method gives it).
  static void Type(HWND window, wchar_t ch);
  // What the window shows, 0xRRGGBB per pixel, row by row.
  static std::vector<std::uint32_t> Pixels(HWND window);
};
