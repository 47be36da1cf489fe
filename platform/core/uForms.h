// TForm: a top-level control with its own back buffer and native window,
// either embedded in a host window or a pop-up of its own.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/core/uBitmap.h"
#include "platform/core/uControls.h"
#include "platform/core/uPlatform.h"

enum TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  std::string Caption;
  TFormBorderStyle BorderStyle = bsSizeable;
  // How the native window is made; set before the form is first shown.
  qvt::TWindowKind WindowKind = qvt::wkPopup;
  bool Topmost = false;

  // The window this form lives in (wkChild) or belongs to (pop-ups).
  void SetParentWindow(qvt::TWindowHandle window);
  qvt::TWindowHandle ParentWindow() const { return FParentWindow; }

  void SetClientWidth(int v) { SetWidth(v); }
  void SetClientHeight(int v) { SetHeight(v); }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  void Show();
  void Hide();
  void BringToFront();
  // Shows the form and handles messages until it closes; answers ModalResult.
  int ShowModal();
  bool Modal() const { return FModal; }
  int ModalResult = mrNone;
  // Asks CloseQuery; then closes as OnClose decides (hide by default).
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages already waiting have been handled.
  void Release();

  // The native window, created when needed.
  qvt::TWindowHandle Handle();
  bool HandleAllocated() const override { return FWindow != nullptr; }
  // The client area on the screen.
  TRect ScreenRect() const;
  // Lets the user drag the window (borderless forms with a caption strip).
  void StartWindowMove();
  // While set, every pointer event of the application comes to this form.
  void SetMouseGrab(bool grab);

  // The editor form this one belongs to (see TApplication::CurrentRoot).
  TForm* RootForm() const { return FRoot ? FRoot : const_cast<TForm*>(this); }
  void SetRootForm(TForm* root) { FRoot = root == this ? nullptr : root; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);
  TBitmap& BackBuffer() { return FBuffer; }

  // Painting: the back buffer of the invalid area is drawn again.
  void InvalidateRect(const TRect& r);
  bool PaintPending() const { return !FInvalid.IsEmpty(); }
  // Paints the invalid area and shows whatever changed.
  void PaintNow();
  // Shows on screen what canvases drew outside painting.
  void Present(const TRect& r);
  void FlushPresent();

  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;

  void Paint() override; // fills Color, then OnPaint
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;

  // Input delivered by the application, in client coordinates.
  void DispatchMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool isDouble);
  void DispatchMouseMove(TShiftState shift, int x, int y);
  void DispatchMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void DispatchMouseWheel(TShiftState shift, int delta, int x, int y);
  void DispatchMouseLeave();
  virtual void DispatchKeyDown(std::uint16_t key, TShiftState shift);
  void DispatchKeyUp(std::uint16_t key, TShiftState shift);
  void DispatchChar(char ch);

  // The native window gained or lost the keyboard: the caret of its focused
  // control blinks only while the window has it.
  void WindowFocusChanged(bool focused);
  bool WindowFocused() const { return FWindowFocused; }

  // Internal bookkeeping of the framework.
  TControl* CaptureControl() const { return FCapture; }
  void SetCaptureControl(TControl* control);
  // A control leaves the form: forget every reference to it.
  void ControlRemoved(TControl* control);
  bool InPaint() const { return FPainting; }
  const TRect& PaintClip() const { return FPaintClip; }

protected:
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void CreateParams(qvt::TWindowParams& Params);
  void VisibleChanged() override;

private:
  void CreateHandle();
  void PaintTree(TWinControl* parent, TPoint origin, const TRect& clip);
  void UpdateHover(int x, int y);
  void UpdateCursor();
  bool SelectNext(bool forward);

  TForm* FRoot = nullptr;
  qvt::TWindowHandle FParentWindow = 0;
  std::unique_ptr<qvt::TNativeWindow> FWindow;
  TBitmap FBuffer;
  TRect FInvalid;
  TRect FPresentPending;
  TRect FPaintClip;
  bool FPainting = false;
  bool FModal = false;
  bool FWindowFocused = true;
  TControl* FCapture = nullptr;
  TControl* FHover = nullptr;
  TControl* FDispatchTarget = nullptr; // cleared when the control goes away mid-dispatch
  TWinControl* FActiveControl = nullptr;
  TCursor FShownCursor = crDefault;
};
