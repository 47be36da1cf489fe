// The native window of one form on Windows. Its pixels live in a DIB section
// that Present fills from the form's back buffer and WM_PAINT copies to the
// screen; its input is posted to the application.
#pragma once

#include <windows.h>

#include "platform/core/uPlatform.h"

namespace qvt {

class TWin32Platform;

class TWin32Window : public TNativeWindow {
public:
  TWin32Window(TWin32Platform& platform, TForm& form, const TWindowParams& params);
  ~TWin32Window() override;
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;

  TWindowHandle Handle() const override { return reinterpret_cast<TWindowHandle>(FWindow); }
  void SetBounds(const TRect& bounds) override;
  void SetVisible(bool visible) override;
  void BringToFront() override;
  void Present(const TBitmap& buffer, const TRect& dirty) override;
  TPoint ScreenOrigin() const override;
  void SetCursor(TCursor cursor) override;
  void SetMouseGrab(bool grab) override;
  void BeginMove() override;
  void SetKeyboardFocus() override;

  // The procedure of both window classes.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void MouseButton(UINT message, LPARAM lParam);
  // The DIB section at the form's size; false when it cannot be made.
  bool EnsurePixels(int width, int height);
  void FreePixels();
  void HandFocusBack();

  TWin32Platform& FPlatform;
  TForm& FForm;
  TWindowParams FParams;
  HWND FWindow = nullptr;
  HBITMAP FDib = nullptr;
  std::uint32_t* FBits = nullptr;
  int FDibWidth = 0, FDibHeight = 0;
  HCURSOR FCursor = nullptr;
  bool FVisible = false;
  bool FGrabbed = false;
  bool FTrackingLeave = false;
};

} // namespace qvt
