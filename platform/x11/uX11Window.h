// The Xlib window of one form: a child of the host's window, a pop-up owned
// by it (transient, undecorated) or an override-redirect menu.
#pragma once

#include "platform/core/uPlatform.h"

typedef union _XEvent XEvent;

class TForm;

namespace qvt {

class TX11Platform;

class TX11Window : public TNativeWindow {
public:
  TX11Window(TX11Platform& platform, TForm& form, const TWindowParams& params);
  ~TX11Window() override;
  TX11Window(const TX11Window&) = delete;
  TX11Window& operator=(const TX11Window&) = delete;

  TWindowHandle Handle() const override { return FWindow; }
  void SetBounds(const TRect& bounds) override;
  void SetVisible(bool visible) override;
  void BringToFront() override;
  void Present(const TBitmap& buffer, const TRect& dirty) override;
  TPoint ScreenOrigin() const override;
  void SetCursor(TCursor cursor) override;
  void SetMouseGrab(bool grab) override;
  void BeginMove() override;
  void SetKeyboardFocus() override;

  // While the window is moved by hand (no window manager takes the move
  // request), the pointer's moves move it; answers whether it took the event.
  bool HandleManualMove(const XEvent& event);

  TForm& Form;
  const TWindowParams Params;
  bool Grabbed() const { return FGrabbed; }
  bool Mapped() const { return FMapped; }

private:
  void SetPopupProperties();
  // Gives the keyboard focus back to the parent window when this one has it.
  void HandFocusBack();

  TX11Platform& FPlatform;
  unsigned long FWindow = 0;
  void* FGc = nullptr;
  unsigned long FCursor = 0;
  bool FGrabbed = false;
  bool FKeyboardGrabbed = false;
  bool FMovingByHand = false;
  int FMoveFromX = 0, FMoveFromY = 0; // the pointer on the screen when the move began
  int FWindowFromX = 0, FWindowFromY = 0;
  bool FMapped = false;
};

} // namespace qvt
