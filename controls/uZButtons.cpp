#include "controls/uZButtons.h"

#include <algorithm>

#include "controls/uBitmapEx.h"
#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/core/uMenus.h"

namespace {

const qvt::TSharedSkinImages& Skin() { return qvt::SharedSkinImages(); }

void RepaintIfPlaced(TControl& control) {
  if (control.Parent()) control.Repaint();
}

} // namespace

// --- TZCheckButton ------------------------------------------------------------

TZCheckButton::TZCheckButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  TGraphicControl::SetBounds(0, 0, kSize, kSize);
  FTimer.SetEnabled(false);
  FTimer.SetInterval(kTickMs);
  FTimer.OnTimer = [this](TObject*) { Tick(); };
  RebuildBuffer();
}

void TZCheckButton::SetBounds(int ALeft, int ATop, int, int) {
  TGraphicControl::SetBounds(ALeft, ATop, kSize, kSize);
}

void TZCheckButton::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  FTimer.SetEnabled(true);
}

void TZCheckButton::Tick() {
  if (FChecked) {
    FOpacity += kFadeStep;
    if (FOpacity >= 255) {
      FOpacity = 255;
      FTimer.SetEnabled(false);
    }
  } else {
    FOpacity -= kFadeStep;
    if (FOpacity < 1) {
      FOpacity = 0;
      FTimer.SetEnabled(false);
    }
  }
  RebuildBuffer();
  RepaintIfPlaced(*this);
}

// The unchecked look, and the checked one over it at the present opacity.
void TZCheckButton::RebuildBuffer() {
  const TBitmap *off = Skin().ChButton0.get(), *on = Skin().ChButton1.get();
  if (!off || !on) return;
  TCanvas& canvas = FBuffer.Canvas();
  canvas.Copy(0, 0, *off, Bounds(0, 0, kSize, kSize));
  canvas.BlendCopy(0, 0, *on, Bounds(0, 0, kSize, kSize), FOpacity);
}

void TZCheckButton::Paint() { Canvas().Copy(0, 0, FBuffer, FBuffer.BoundsRect()); }

void TZCheckButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || (Shift & ssDouble)) return;
  SetChecked(!FChecked);
  if (OnChange) OnChange(this);
}

// --- TZSwitch -----------------------------------------------------------------

TZSwitch::TZSwitch(TComponent* AOwner) : TGraphicControl(AOwner) {
  TGraphicControl::SetBounds(0, 0, kWidth, kHeight);
  FBuffer.PixelFormat = pf24bit;
  FTimer.SetEnabled(false);
  FTimer.SetInterval(kTickMs);
  FTimer.OnTimer = [this](TObject*) { Tick(); };
  RebuildBuffer();
}

void TZSwitch::SetBounds(int ALeft, int ATop, int, int) {
  TGraphicControl::SetBounds(ALeft, ATop, kWidth, kHeight);
}

void TZSwitch::SetValue(float v) {
  const bool on = v > 0.5f;
  if (on == FOn) return;
  FOn = on;
  FTimer.SetEnabled(true);
}

void TZSwitch::Tick() {
  FFrame += FOn ? 1 : -1;
  if (FFrame < 0) {
    FFrame = 0;
    FTimer.SetEnabled(false);
  } else if (FFrame > kLastFrame) {
    FFrame = kLastFrame - 1;
    FTimer.SetEnabled(false);
  }
  RebuildBuffer();
  RepaintIfPlaced(*this);
}

void TZSwitch::RebuildBuffer() {
  const TBitmap* strip = Skin().WaveSwitch.get();
  if (!strip) return;
  // A strip with fewer frames shows its last one for the frames it lacks.
  const int frame = std::min(FFrame, strip->Height() / kHeight - 1);
  if (frame < 0) return;
  FBuffer.Canvas().Copy(0, 0, *strip, Bounds(0, frame * kHeight, kWidth, kHeight));
}

void TZSwitch::Paint() { Canvas().Copy(0, 0, FBuffer, FBuffer.BoundsRect()); }

void TZSwitch::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || (Shift & ssDouble)) return;
  FOn = !FOn;
  if (OnChange) OnChange(this);
  FTimer.SetEnabled(true);
}

// --- TZFaceButton, TZSButton, TZCloseButton ----------------------------------

TZFaceButton::TZFaceButton(TComponent* AOwner, int width, int height)
    : TGraphicControl(AOwner), FBuffer(width, height) {
  // The buttons act on their release themselves, wherever it happens.
  ControlStyle = csCaptureMouse | csOpaque | csDoubleClicks | csReplicatable;
  TGraphicControl::SetBounds(0, 0, width, height);
}

void TZFaceButton::SetBounds(int ALeft, int ATop, int, int) {
  TGraphicControl::SetBounds(ALeft, ATop, FBuffer.Width(), FBuffer.Height());
}

void TZFaceButton::Paint() {
  TCanvas& canvas = FBuffer.Canvas();
  const int w = FBuffer.Width(), h = FBuffer.Height();
  if (const TBitmap* faces = Faces()) canvas.Copy(0, 0, *faces, Bounds(FPressed ? w : 0, 0, w, h));
  DrawOverFace(canvas);
  Canvas().Copy(0, 0, FBuffer, FBuffer.BoundsRect());
}

void TZFaceButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled() || FPressed) return;
  FPressed = true;
  Repaint();
}

void TZFaceButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FPressed) return;
  FPressed = false;
  Repaint();
  Released();
}

TZSButton::TZSButton(TComponent* AOwner) : TZFaceButton(AOwner, kWidth, kHeight) {
  TFont& font = FBuffer.Canvas().Font;
  font.Name = "Tahoma";
  font.Color = clWhite;
}

void TZSButton::SetCaption(const std::string& value) {
  FCaption = value;
  Repaint();
}

const TBitmap* TZSButton::Faces() const { return Skin().ZSButton.get(); }

void TZSButton::DrawOverFace(TCanvas& canvas) {
  canvas.Brush.Style = bsClear;
  const int shift = Pressed() ? 1 : 0;
  canvas.TextRect(Bounds(shift, shift, kWidth, kHeight), FCaption,
                  tfCenter | tfVerticalCenter | tfEndEllipsis);
}

TZCloseButton::TZCloseButton(TComponent* AOwner)
    : TZFaceButton(AOwner, kWidth, kHeight), FFaces(LoadSkinBitmap("ZCLOSEBUTTON")) {}

void TZCloseButton::Released() {
  if (TForm* form = ParentForm(); form && Parent()) form->Close();
}

// --- TZButton -----------------------------------------------------------------

namespace {
constexpr int kGlyphUp = 4;   // glyph offset in the released face
constexpr int kGlyphDown = 5; // and in the pressed one
// A disabled button shows its glyph faded into the face.
constexpr int kDisabledGlyphOpacity = 96;
} // namespace

TZButton::TZButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle = csCaptureMouse | csOpaque | csDoubleClicks | csReplicatable;
  Tag = -1;
  TGraphicControl::SetBounds(0, 0, kSize, kSize);
}

TZButton::~TZButton() { SetDropDownMenu(nullptr); }

void TZButton::SetGlyph(const TBitmap& glyph) {
  FGlyph = glyph;
  Repaint();
}

void TZButton::LoadGlyph(const std::string& name) {
  const std::unique_ptr<TBitmap> glyph = LoadSkinBitmap(name);
  SetGlyph(*glyph);
}

void TZButton::SetState(TButtonState state) {
  if (state == FState) return;
  FState = state;
  Repaint();
}

void TZButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  FState = value ? bsExclusive : bsUp;
  Repaint();
  if (value) UpdateExclusive();
}

void TZButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  UpdateExclusive();
}

void TZButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  UpdateExclusive();
}

void TZButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* button = dynamic_cast<TZButton*>(parent->Controls(i)))
      button->ButtonPressed(FGroupIndex, this);
}

void TZButton::ButtonPressed(int groupIndex, TZButton* sender) {
  if (groupIndex != FGroupIndex || sender == this) return;
  if (sender->FDown && FDown) {
    FDown = false;
    FState = bsUp;
    Repaint();
  }
  FAllowAllUp = sender->FAllowAllUp;
}

// The timer object is kept: clearing may happen inside its own tick.
void TZButton::SetAllowTimer(bool value) {
  FAllowTimer = value;
  if (!value) StopRepeat();
}

void TZButton::SetDropDownMenu(TPopupMenu* menu) {
  if (menu == FDropDownMenu) return;
  if (FDropDownMenu) RemoveFreeNotification(FDropDownMenu);
  FDropDownMenu = menu;
  if (menu) FreeNotification(menu);
}

void TZButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

void TZButton::Click() {
  if (TForm* form = ParentForm(); form && Parent()) form->ModalResult = ModalResult;
  TGraphicControl::Click();
}

void TZButton::Paint() {
  TCanvas& canvas = FBuffer.Canvas();
  // A button held down in its group looks pressed, as it is.
  const bool pressed = FState == bsDown || FState == bsExclusive;
  if (const TBitmap* faces = Skin().ZButton.get())
    canvas.Copy(0, 0, *faces, Bounds(pressed ? kSize : 0, 0, kSize, kSize));
  if (!FGlyph.Empty()) {
    const int at = pressed ? kGlyphDown : kGlyphUp;
    // A glyph smaller than 13×13 draws what it has.
    const TRect glyph = Bounds(0, 0, kGlyphSize, kGlyphSize);
    if (Enabled())
      canvas.Copy(at, at, FGlyph, glyph);
    else
      canvas.BlendCopy(at, at, FGlyph, glyph, kDisabledGlyphOpacity);
  }
  Canvas().Copy(0, 0, FBuffer, FBuffer.BoundsRect());
}

void TZButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FMenuTracking) return;
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) {
    UpdateTracking(FUnderCursor);
    return;
  }
  if (!Enabled()) return;
  UpdateTracking(true);
  if (!FDown) SetState(bsDown);
  FDragging = true;
  FMenuTracking = true;
  try {
    if (FDropDownMenu && FDropDownMenu->AutoPopup) PopupDropDownMenu(Shift, X, Y);
    // The press that closed the menu must not press the button again.
    Application->RemoveNextMouseDown(*this, mbLeft);
  } catch (...) {
    FMenuTracking = false;
    FDragging = false;
    SetState(FDown ? bsExclusive : bsUp);
    throw;
  }
  FMenuTracking = false;
  if (FAllowTimer) StartRepeat();
  if ((Shift & ssDouble) && FDown) DblClick();
}

void TZButton::PopupDropDownMenu(TShiftState Shift, int X, int Y) {
  if (TForm* form = ParentForm()) form->SetCaptureControl(nullptr);
  const TPoint at = MenuPosition == dmpBottom ? TPoint{-1, Height()} : TPoint{Width(), -1};
  const TPoint screen = ClientToScreen(at);
  FDropDownMenu->SetPopupComponent(this);
  FDropDownMenu->Popup(screen.X, screen.Y);
  // The menu has closed: release as the press left it (no click while tracking).
  MouseUp(mbLeft, Shift, X, Y);
}

void TZButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const bool inside = ClientRect().Contains({X, Y});
  if (FDown)
    SetState(bsExclusive);
  else
    SetState(inside ? bsDown : bsUp);
}

void TZButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  StopRepeat();
  const bool inside = ClientRect().Contains({X, Y});
  if (Button == mbLeft && FDragging) {
    FDragging = false;
    if (FGroupIndex == 0)
      SetState(bsUp);
    else if (inside)
      SetDown(!FDown);
    else if (FDown)
      SetState(bsExclusive);
    if (inside && !FMenuTracking) Click();
  }
  // The release position tells whether the mouse is still over the button.
  bool underCursor = false;
  if (TForm* form = ParentForm(); form && inside) {
    const TPoint o = FormOrigin();
    underCursor = form->ControlAtPos({X + o.X, Y + o.Y}) == this;
  }
  UpdateTracking(underCursor);
}

// The mouse was taken from the button (a dialog or another menu opened): a
// press in progress ends without a click.
void TZButton::CancelMode() {
  StopRepeat();
  if (FMenuTracking || !FDragging) return;
  FDragging = false;
  SetState(FDown ? bsExclusive : bsUp);
}

void TZButton::StartRepeat() {
  if (!FRepeatTimer) {
    FRepeatTimer = std::make_unique<TTimer>(nullptr);
    FRepeatTimer->OnTimer = [this](TObject*) { RepeatTick(); };
  }
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(InitPause);
  FRepeatTimer->SetEnabled(true);
}

void TZButton::StopRepeat() {
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TZButton::RepeatTick() {
  FRepeatTimer->SetInterval(RepeatInterval);
  if (FState != bsDown || !MouseCapture()) return;
  try {
    Click();
  } catch (...) {
    StopRepeat();
    throw;
  }
}

void TZButton::UpdateTracking(bool underCursor) {
  FUnderCursor = underCursor;
  const bool in = underCursor && Enabled() && Visible();
  if (in == FMouseInControl) return;
  FMouseInControl = in;
  TNotifyEvent& event = in ? OnMouseEnter : OnMouseLeave;
  if (event) event(this);
}

void TZButton::MouseEnter() { UpdateTracking(true); }

void TZButton::MouseLeave() {
  FUnderCursor = false;
  if (!FDragging) UpdateTracking(false);
}

void TZButton::EnabledChanged() {
  TGraphicControl::EnabledChanged();
  UpdateTracking(FUnderCursor);
}

void TZButton::VisibleChanged() {
  TGraphicControl::VisibleChanged();
  UpdateTracking(FUnderCursor);
}
