// Controls: TControl (a rectangle on a parent that paints and takes the mouse),
// TWinControl (a control that holds children and can have the keyboard focus),
// TGraphicControl (paints on its parent) and TCustomControl (a windowed
// control with its own painting and a caret).
//
// Only forms have native windows. Every control paints into its form's back
// buffer, clipped to its own rectangle and to its parents'. Within a parent,
// graphic children are painted first and windowed children above them, each
// group in creation order; hit testing mirrors that order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/uCanvas.h"
#include "platform/core/uComponent.h"
#include "platform/core/uFont.h"
#include "platform/core/uTypes.h"

class TForm;
class TPopupMenu;
class TWinControl;

enum TControlStyleFlag : std::uint16_t {
  csCaptureMouse = 1 << 0, // holds the mouse while a button is down
  csClickEvents = 1 << 1,  // a left press and release inside calls Click
  csDoubleClicks = 1 << 2, // the second press of a double click arrives with ssDouble
  csOpaque = 1 << 3,
  csReplicatable = 1 << 4,
};
using TControlStyle = std::uint16_t;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  // The form this control lies on (itself for a form), or null.
  TForm* ParentForm() const;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  // Controls that accept only one size override this and keep their size.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  TRect ClientRect() const { return {0, 0, FWidth, FHeight}; }
  int ClientWidth() const { return FWidth; }
  int ClientHeight() const { return FHeight; }

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible itself and all its parents up to a shown form.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);

  TCursor Cursor = crDefault;
  TColor Color = clBtnFace;
  TFont Font;
  TPopupMenu* PopupMenu = nullptr;
  TControlStyle ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
  virtual bool IsWindowed() const { return false; }

  // Position of the control's client origin in its form / on the screen.
  TPoint FormOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  // Paints again at the next idle moment.
  void Invalidate();
  // Paints now (with whatever lies beneath and above) and shows the result.
  void Repaint();
  // Paints now if anything of the form is waiting to be painted.
  void Update();

  bool MouseCapture() const;
  void SetMouseCapture(bool value);

  // Drawing on the form's back buffer inside this control; draws nothing when
  // the control lies on no form.
  TCanvas& Canvas();

  virtual void Click();
  virtual void DblClick();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;

  // Framework notifications. Overrides normally call the inherited version,
  // which fires the matching event.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Answers whether the wheel was used; the parent gets it otherwise.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // The mouse was taken away (a menu or dialog opened, capture cancelled).
  virtual void CancelMode() {}
  virtual void Paint() {}

protected:
  virtual void EnabledChanged() { Invalidate(); }
  virtual void VisibleChanged() {}

public:
  // The part of the form's back buffer that shows this control.
  TRect VisibleFormRect() const;

private:
  friend class TForm;
  friend class TWinControl;

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  bool FClicked = false; // a left press started a click
  std::unique_ptr<TCanvas> FCanvas;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  bool IsWindowed() const override { return true; }
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls[index]; }

  bool TabStop = false;
  // Enabled and showing.
  bool CanFocus() const;
  void SetFocus();
  bool Focused() const;
  // The form's native window exists.
  virtual bool HandleAllocated() const;

  // The deepest enabled, visible child (at any depth) under p (client
  // coordinates), or null.
  TControl* ControlAtPos(TPoint p) const;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  virtual void KeyDown(std::uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(std::uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void DoEnter();
  virtual void DoExit();
  // The native window now exists: called for every windowed control when its
  // form's window is created, and when one joins a form that has a window.
  virtual void CreateWnd() {}

private:
  friend class TControl;
  friend class TForm;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void CreateWndTree();

  std::vector<TControl*> FControls;
};

class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}
};

class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}
  ~TCustomControl() override;

  // The caret: one per application, shown inside the control that created it
  // by inverting the pixels its shape covers. It starts hidden.
  void CreateCaret(const TBitmap& shape);
  void CreateCaret(int width, int height); // a white block
  void SetCaretPos(int X, int Y);
  void ShowCaret();
  void HideCaret();
  void DestroyCaret();
};
