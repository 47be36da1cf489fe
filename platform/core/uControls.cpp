#include "platform/core/uControls.h"

#include <algorithm>

#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"

// --- TControl ---------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
  Application->ForgetObject(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FParent) {
    Invalidate();
    FParent->RemoveControl(this);
  }
  if (AParent) {
    AParent->InsertControl(this);
    Invalidate();
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->HandleAllocated())
      windowed->CreateWndTree();
  }
}

TForm* TControl::ParentForm() const {
  const TControl* control = this;
  while (control->FParent) control = control->FParent;
  return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
}

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  if (!value) Invalidate();
  FVisible = value;
  if (value) Invalidate();
  VisibleChanged();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->FParent) {
    if (!c->FVisible) return false;
    if (!c->FParent) return dynamic_cast<const TForm*>(c) != nullptr;
  }
  return false;
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  EnabledChanged();
}

TPoint TControl::FormOrigin() const {
  TPoint p;
  for (const TControl* c = this; c && c->FParent; c = c->FParent) {
    p.X += c->FLeft;
    p.Y += c->FTop;
  }
  return p;
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TForm* form = ParentForm();
  const TPoint origin = FormOrigin();
  const TRect screen = form ? form->ScreenRect() : TRect{};
  return {p.X + origin.X + screen.Left, p.Y + origin.Y + screen.Top};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint zero = ClientToScreen({0, 0});
  return {p.X - zero.X, p.Y - zero.Y};
}

TRect TControl::VisibleFormRect() const {
  const TPoint origin = FormOrigin();
  TRect r = Bounds(origin.X, origin.Y, FWidth, FHeight);
  for (const TControl* c = FParent; c; c = c->FParent) {
    const TPoint o = c->FormOrigin();
    r = r.Intersect(Bounds(o.X, o.Y, c->FWidth, c->FHeight));
  }
  return r;
}

void TControl::Invalidate() {
  if (!FVisible) return;
  if (TForm* form = ParentForm()) form->InvalidateRect(VisibleFormRect());
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Update() {
  if (TForm* form = ParentForm(); form && form->PaintPending()) form->PaintNow();
}

bool TControl::MouseCapture() const {
  const TForm* form = ParentForm();
  return form && form->CaptureControl() == this;
}

void TControl::SetMouseCapture(bool value) {
  TForm* form = ParentForm();
  if (!form) return;
  if (value)
    form->SetCaptureControl(this);
  else if (form->CaptureControl() == this)
    form->SetCaptureControl(nullptr);
}

TCanvas& TControl::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  TForm* form = ParentForm();
  if (!form) {
    FCanvas->ResetTarget(nullptr);
    return *FCanvas;
  }
  // Keep the drawing state while a paint pass is going on.
  const TPoint origin = FormOrigin();
  TRect clip = VisibleFormRect();
  if (form->InPaint())
    clip = clip.Intersect(form->PaintClip());
  else
    form->Present(clip);
  FCanvas->SetTarget(&form->BackBuffer(), origin, clip);
  return *FCanvas;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

// --- TWinControl ------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Owned children go while this object is whole; others are only detached.
  DestroyComponents();
  while (!FControls.empty()) FControls.back()->SetParent(nullptr);
}

void TWinControl::InsertControl(TControl* control) {
  FControls.push_back(control);
  control->FParent = this;
}

void TWinControl::RemoveControl(TControl* control) {
  if (TForm* form = ParentForm()) form->ControlRemoved(control);
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  control->FParent = nullptr;
}

void TWinControl::CreateWndTree() {
  CreateWnd();
  for (TControl* child : FControls)
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->CreateWndTree();
}

bool TWinControl::CanFocus() const { return Showing() && Enabled(); }

void TWinControl::SetFocus() {
  if (TForm* form = ParentForm(); form && CanFocus()) form->SetActiveControl(this);
}

bool TWinControl::Focused() const {
  const TForm* form = ParentForm();
  return form && form->ActiveControl() == this;
}

bool TWinControl::HandleAllocated() const {
  const TForm* form = ParentForm();
  return form && form->HandleAllocated();
}

TControl* TWinControl::ControlAtPos(TPoint p) const {
  auto hit = [&](bool windowed) -> TControl* {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
      TControl* c = *it;
      if (c->IsWindowed() != windowed || !c->Visible() || !c->Enabled()) continue;
      if (!c->BoundsRect().Contains(p)) continue;
      if (windowed) {
        const auto* w = static_cast<TWinControl*>(c);
        if (TControl* inner = w->ControlAtPos({p.X - c->Left(), p.Y - c->Top()})) return inner;
      }
      return c;
    }
    return nullptr;
  };
  if (TControl* c = hit(true)) return c;
  return hit(false);
}

void TWinControl::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(std::uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// --- TCustomControl ---------------------------------------------------------

TCustomControl::~TCustomControl() { Application->DestroyCaret(this); }

void TCustomControl::CreateCaret(const TBitmap& shape) { Application->CreateCaret(this, shape); }

void TCustomControl::CreateCaret(int width, int height) {
  TBitmap block(width, height);
  block.Canvas().Brush.Color = clWhite;
  block.Canvas().FillRect(block.BoundsRect());
  Application->CreateCaret(this, block);
}

void TCustomControl::SetCaretPos(int X, int Y) { Application->SetCaretPos(this, {X, Y}); }
void TCustomControl::ShowCaret() { Application->ShowCaret(this); }
void TCustomControl::HideCaret() { Application->HideCaret(this); }
void TCustomControl::DestroyCaret() { Application->DestroyCaret(this); }
