// A small X11 host for the built plug-in: its own connection and windows, input through XTest.
// The plug-in's editor runs on a UI thread of its own; this thread only pumps its connection.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "tests/OwnPath.h"
#include "tools/qvt/PluginHost.h"

using qvt::test::TOwnPath;

class EditorHost : public ::testing::Test {
protected:
  static constexpr int kWidth = 587, kHeight = 320;

  Display* X = nullptr;
  std::vector<Window> HostWindows;
  std::vector<std::unique_ptr<qvt::THostedPlugin>> Plugins;

  void SetUp() override;
  void TearDown() override;

  // A top-level window of the host at (left, top), mapped.
  Window NewHostWindow(int left, int top);
  AEffect* Load();
  VstIntPtr Dispatch(AEffect* fx, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return fx->dispatcher(fx, opcode, 0, value, ptr, 0.0f);
  }
  bool OpenEditor(AEffect* fx, Window parent) {
    return Dispatch(fx, effEditOpen, 0, reinterpret_cast<void*>(parent)) == 1;
  }
  void CloseEditor(AEffect* fx) { Dispatch(fx, effEditClose); }

  // Waits (pumping the host's own connection) until `done`, at most `ms`.
  bool WaitUntil(const std::function<bool()>& done, int ms = 3000);
  struct TChild {
    Window Id;
    int Width, Height;
  };
  std::vector<TChild> MappedChildren(Window window);
  bool HasEditorChild(Window window);
  // Mapped top-level windows that are none of the host's: the plug-in's pop-ups.
  std::vector<Window> PopupWindows();
  // A rectangle of `window` as the server shows it, 0xRRGGBB per pixel.
  std::vector<std::uint32_t> Pixels(Window window, int x, int y, int width, int height);
  void ClickAt(Window window, int x, int y);
  // A left-button drag from (x, y) of `window` by (dx, dy), with pauses the form sees.
  void DragIn(Window window, int x, int y, int dx, int dy);
};
