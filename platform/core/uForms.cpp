#include "platform/core/uForms.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/uApplication.h"
#include "platform/core/uMenus.h"

namespace {

bool Contains(const TControl* ancestor, const TControl* control) {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == ancestor) return true;
  return false;
}

// Collects the focusable windowed controls in tab order (creation order, depth first).
void TabStops(TWinControl* parent, std::vector<TWinControl*>& out) {
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) {
      if (w->TabStop && w->CanFocus()) out.push_back(w);
      TabStops(w, out);
    }
}

} // namespace

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  SetRootForm(Application->CurrentRoot());
  SetBounds(0, 0, 320, 240);
  Application->RegisterForm(this);
}

TForm::~TForm() {
  DestroyComponents();
  while (ControlCount() > 0) Controls(ControlCount() - 1)->SetParent(nullptr);
  if (FWindow) FWindow->SetMouseGrab(false);
  if (Application->GrabForm() == this) Application->SetGrabForm(nullptr);
  Application->PopModal(this);
  Application->UnregisterForm(this);
  FWindow.reset();
}

void TForm::SetParentWindow(qvt::TWindowHandle window) { FParentWindow = window; }

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FBuffer.Width() != Width() || FBuffer.Height() != Height()) {
    FBuffer.SetSize(Width(), Height());
    InvalidateRect(ClientRect());
  }
  if (FWindow) FWindow->SetBounds(BoundsRect());
}

void TForm::CreateParams(qvt::TWindowParams& Params) {
  Params.Kind = WindowKind;
  Params.ParentWindow = FParentWindow;
  Params.Bounds = BoundsRect();
  Params.Caption = Caption;
  Params.Topmost = Topmost;
}

void TForm::CreateHandle() {
  if (FWindow) return;
  qvt::TWindowParams params;
  CreateParams(params);
  FWindow = Application->RequirePlatform().CreateNativeWindow(*this, params);
  CreateWndTree();
  InvalidateRect(ClientRect());
}

qvt::TWindowHandle TForm::Handle() {
  CreateHandle();
  return FWindow->Handle();
}

TRect TForm::ScreenRect() const {
  const TPoint origin = FWindow ? FWindow->ScreenOrigin() : TPoint{Left(), Top()};
  return Bounds(origin.X, origin.Y, Width(), Height());
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::Hide() { SetVisible(false); }

void TForm::VisibleChanged() {
  if (Visible()) {
    CreateHandle();
    DoShow();
    // The form may have been hidden again by its own show handling.
    if (!Visible()) return;
    FWindow->SetVisible(true);
    InvalidateRect(ClientRect());
  } else {
    if (FWindow) FWindow->SetVisible(false);
    SetCaptureControl(nullptr);
    DoHide();
  }
}

void TForm::BringToFront() {
  if (FWindow) FWindow->BringToFront();
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (FModal) {
    ModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caHide || action == caMinimize)
    Hide();
  else if (action == caFree) {
    Hide();
    Release();
  }
}

void TForm::Release() {
  Application->PostCall(this, [this] { delete this; });
}

int TForm::ShowModal() {
  // A button held on another form belongs to this one from now on.
  for (TForm* form : Application->Forms())
    if (form != this) form->SetCaptureControl(nullptr);
  ModalResult = mrNone;
  FModal = true;
  Application->PushModal(this);
  struct TModalGuard {
    TForm* Form;
    ~TModalGuard() {
      Form->FModal = false;
      Application->PopModal(Form);
    }
  } guard{this};
  Show();
  for (;;) {
    if (!Application->RunModalLoop([this] { return ModalResult != mrNone; }, 0, RootForm())) {
      // Its editor is closing: no questions asked.
      ModalResult = mrCancel;
      break;
    }
    // Closing asks the form as Close does; a refusal keeps the loop going.
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) {
      ModalResult = mrNone;
      continue;
    }
    if (action == caFree) Release();
    break;
  }
  const int result = ModalResult;
  Hide();
  return result;
}

void TForm::StartWindowMove() {
  SetCaptureControl(nullptr);
  if (FWindow) FWindow->BeginMove();
}

void TForm::SetMouseGrab(bool grab) {
  if (grab)
    Application->SetGrabForm(this);
  else if (Application->GrabForm() == this)
    Application->SetGrabForm(nullptr);
  if (FWindow) FWindow->SetMouseGrab(grab);
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == FActiveControl) return;
  TWinControl* old = FActiveControl;
  FActiveControl = control;
  if (old) old->DoExit();
  if (FActiveControl == control && control) {
    if (FWindow) FWindow->SetKeyboardFocus();
    control->DoEnter();
  }
}

void TForm::WindowFocusChanged(bool focused) {
  if (focused == FWindowFocused) return;
  FWindowFocused = focused;
  const auto& caret = Application->Caret();
  if (!caret.Owner || caret.Owner->ParentForm() != this) return;
  if (focused)
    Application->ShowCaret(caret.Owner);
  else
    Application->HideCaret(caret.Owner);
}

void TForm::InvalidateRect(const TRect& r) { FInvalid = FInvalid.Union(r.Intersect(ClientRect())); }

void TForm::Paint() {
  Canvas().Brush.Color = Color;
  Canvas().Brush.Style = bsSolid;
  Canvas().FillRect(ClientRect());
  if (OnPaint) OnPaint(this);
}

void TForm::PaintTree(TWinControl* parent, TPoint origin, const TRect& clip) {
  for (int pass = 0; pass < 2; ++pass) {
    const bool windowed = pass == 1;
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* c = parent->Controls(i);
      if (c->IsWindowed() != windowed || !c->Visible()) continue;
      const TPoint o{origin.X + c->Left(), origin.Y + c->Top()};
      const TRect r = Bounds(o.X, o.Y, c->Width(), c->Height()).Intersect(clip);
      if (r.IsEmpty()) continue;
      FPaintClip = r;
      c->Paint();
      if (windowed) PaintTree(static_cast<TWinControl*>(c), o, r);
    }
  }
}

void TForm::PaintNow() {
  const TRect dirty = FInvalid;
  FInvalid = {};
  if (dirty.IsEmpty()) return;
  FPainting = true;
  struct TPaintGuard {
    bool& Flag;
    ~TPaintGuard() { Flag = false; }
  } guard{FPainting};
  FPaintClip = dirty;
  Paint();
  PaintTree(this, {0, 0}, dirty);
  Application->DrawCaret(*this, dirty);
  FPainting = false;
  Present(dirty);
  FlushPresent();
}

void TForm::Present(const TRect& r) { FPresentPending = FPresentPending.Union(r); }

void TForm::FlushPresent() {
  const TRect r = FPresentPending.Intersect(ClientRect());
  FPresentPending = {};
  if (FWindow && Visible() && !r.IsEmpty()) FWindow->Present(FBuffer, r);
}

void TForm::SetCaptureControl(TControl* control) {
  if (control == FCapture) return;
  TControl* old = FCapture;
  FCapture = control;
  if (FWindow) FWindow->SetMouseGrab(control != nullptr || Application->GrabForm() == this);
  if (old && !control) old->CancelMode();
}

void TForm::ControlRemoved(TControl* control) {
  if (Contains(control, FCapture)) FCapture = nullptr;
  if (Contains(control, FHover)) FHover = nullptr;
  if (Contains(control, FActiveControl)) FActiveControl = nullptr;
  if (Contains(control, FDispatchTarget)) FDispatchTarget = nullptr;
}

void TForm::UpdateHover(int x, int y) {
  TControl* now = nullptr;
  if (ClientRect().Contains({x, y})) {
    now = ControlAtPos({x, y});
    if (!now) now = this;
  }
  if (now == FHover) return;
  TControl* old = FHover;
  FHover = now;
  if (old) old->MouseLeave();
  if (FHover == now && now) now->MouseEnter();
}

void TForm::UpdateCursor() {
  TCursor cursor = crDefault;
  for (TControl* c = FCapture ? FCapture : FHover; c && cursor == crDefault; c = c->Parent())
    cursor = c->Cursor;
  if (cursor == FShownCursor) return;
  FShownCursor = cursor;
  if (FWindow) FWindow->SetCursor(cursor);
}

void TForm::DispatchMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool isDouble) {
  UpdateHover(x, y);
  TControl* target = FCapture;
  if (!target) target = ControlAtPos({x, y});
  if (!target) target = this;
  if (isDouble && !(target->ControlStyle & csDoubleClicks)) isDouble = false;
  if (isDouble) shift |= ssDouble;
  if (!FCapture && (target->ControlStyle & csCaptureMouse)) SetCaptureControl(target);
  FDispatchTarget = target;
  if (button == mbLeft && (target->ControlStyle & csClickEvents)) {
    target->FClicked = !isDouble;
    if (isDouble) target->DblClick();
  }
  // A handler may have destroyed the target.
  if (FDispatchTarget == target) {
    const TPoint o = target->FormOrigin();
    target->MouseDown(button, shift, x - o.X, y - o.Y);
  }
  FDispatchTarget = nullptr;
  UpdateCursor();
}

void TForm::DispatchMouseMove(TShiftState shift, int x, int y) {
  UpdateHover(x, y);
  TControl* target = FCapture;
  if (!target) target = FHover;
  if (target) {
    const TPoint o = target->FormOrigin();
    target->MouseMove(shift, x - o.X, y - o.Y);
  }
  UpdateCursor();
}

void TForm::DispatchMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TControl* target = FCapture;
  if (!target) target = ControlAtPos({x, y});
  if (!target) target = this;
  // Capture ends with the last held button.
  if (FCapture && !(shift & (ssLeft | ssRight | ssMiddle))) {
    FCapture = nullptr;
    if (FWindow) FWindow->SetMouseGrab(Application->GrabForm() == this);
  }
  const TPoint o = target->FormOrigin();
  const TPoint local{x - o.X, y - o.Y};
  FDispatchTarget = target;
  if (button == mbLeft && target->FClicked) {
    target->FClicked = false;
    if (target->ClientRect().Contains(local)) target->Click();
  }
  if (FDispatchTarget == target) target->MouseUp(button, shift, local.X, local.Y);
  if (FDispatchTarget == target && button == mbRight) {
    // The context menu of the control, or of the nearest parent that has one.
    for (TControl* c = target; c; c = c->Parent())
      if (c->PopupMenu) {
        if (c->PopupMenu->AutoPopup) {
          const TPoint screen = target->ClientToScreen(local);
          c->PopupMenu->SetPopupComponent(c);
          c->PopupMenu->Popup(screen.X, screen.Y);
        }
        break;
      }
  }
  FDispatchTarget = nullptr;
  UpdateHover(x, y);
  UpdateCursor();
}

void TForm::DispatchMouseWheel(TShiftState shift, int delta, int x, int y) {
  TControl* target = ControlAtPos({x, y});
  if (!target) target = this;
  for (TControl* c = target; c; c = c->Parent()) {
    const TPoint o = c->FormOrigin();
    if (c->DoMouseWheel(shift, delta, {x - o.X, y - o.Y})) break;
  }
}

void TForm::DispatchMouseLeave() {
  if (FHover) {
    TControl* old = FHover;
    FHover = nullptr;
    old->MouseLeave();
  }
}

void TForm::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == vkTab && !(Shift & (ssCtrl | ssAlt)) && SelectNext(!(Shift & ssShift))) Key = 0;
}

bool TForm::SelectNext(bool forward) {
  std::vector<TWinControl*> stops;
  TabStops(this, stops);
  if (stops.empty()) return false;
  auto it = std::find(stops.begin(), stops.end(), FActiveControl);
  std::size_t index = 0;
  if (it != stops.end()) {
    const auto current = static_cast<std::size_t>(it - stops.begin());
    index = forward ? (current + 1) % stops.size() : (current + stops.size() - 1) % stops.size();
  } else if (!forward) {
    index = stops.size() - 1;
  }
  stops[index]->SetFocus();
  return true;
}

void TForm::DispatchKeyDown(std::uint16_t key, TShiftState shift) {
  TWinControl* target = FActiveControl ? FActiveControl : this;
  target->KeyDown(key, shift);
  // Tab moves the focus unless the focused control used the key.
  if (target != this && key == vkTab) KeyDown(key, shift);
}

void TForm::DispatchKeyUp(std::uint16_t key, TShiftState shift) {
  TWinControl* target = FActiveControl ? FActiveControl : this;
  target->KeyUp(key, shift);
}

void TForm::DispatchChar(char ch) {
  TWinControl* target = FActiveControl ? FActiveControl : this;
  target->KeyPress(ch);
}
