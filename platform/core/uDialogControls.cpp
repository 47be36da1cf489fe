#include "platform/core/uDialogControls.h"

#include <algorithm>

#include "platform/core/uForms.h"

namespace qvt {
TFont DialogFont(TColor color) {
  TFont font;
  font.Name = "Tahoma";
  font.Height = -12;
  font.Color = color;
  return font;
}
} // namespace qvt

using qvt::kDialogFace;
using qvt::kDialogInk;
using qvt::kDialogStrip;

// --- TDialogButton ----------------------------------------------------------------

TDialogButton::TDialogButton(TWinControl* parent, std::string caption)
    : TCustomControl(parent), Caption(std::move(caption)) {
  TabStop = true;
  SetParent(parent);
  SetBounds(0, 0, 75, 23);
}

void TDialogButton::Paint() {
  TCanvas& c = Canvas();
  const TRect r = ClientRect();
  c.Brush.Style = bsSolid;
  c.Brush.Color = FPressed ? kDialogStrip : kDialogFace;
  c.FillRect(r);
  c.Brush.Color = kDialogInk;
  c.FrameRect(r);
  if (Focused()) c.FrameRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1});
  c.Font = qvt::DialogFont();
  c.Brush.Style = bsClear;
  c.TextRect(r, Caption, tfCenter | tfVerticalCenter | tfEndEllipsis);
}

void TDialogButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  SetFocus();
  FPressed = true;
  Invalidate();
}

void TDialogButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The framework's click (press and release inside) runs OnClick.
  FPressed = false;
  Invalidate();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TDialogButton::CancelMode() {
  FPressed = false;
  Invalidate();
}

void TDialogButton::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (Key == vkReturn || Key == vkSpace) {
    Key = 0;
    Click();
    return;
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TDialogButton::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
}

void TDialogButton::DoExit() {
  TCustomControl::DoExit();
  Invalidate();
}

// --- TDialogEdit ------------------------------------------------------------------

TDialogEdit::TDialogEdit(TWinControl* parent) : TCustomControl(parent) {
  TabStop = true;
  Cursor = crIBeam;
  SetParent(parent);
  SetBounds(0, 0, 200, 21);
}

void TDialogEdit::SetText(const std::string& text) {
  FText = text.substr(0, MaxLength);
  FCaret = FText.size();
  FScroll = 0;
  MoveCaret(FCaret);
  Invalidate();
}

int TDialogEdit::TextX(std::size_t pos) {
  Canvas().Font = qvt::DialogFont();
  return 4 + Canvas().TextWidth(std::string_view(FText).substr(0, pos)) - FScroll;
}

void TDialogEdit::MoveCaret(std::size_t pos) {
  FCaret = std::min(pos, FText.size());
  // Keep the caret inside the field.
  const int x = TextX(FCaret);
  if (x > Width() - 4) FScroll += x - (Width() - 4);
  if (x < 4) FScroll = std::max(0, FScroll - (4 - x));
  if (Focused()) SetCaretPos(TextX(FCaret), 3);
  Invalidate();
}

void TDialogEdit::Paint() {
  TCanvas& c = Canvas();
  c.Brush.Style = bsSolid;
  c.Brush.Color = kDialogStrip;
  c.FillRect(ClientRect());
  c.Brush.Color = kDialogInk;
  c.FrameRect(ClientRect());
  c.IntersectClip({2, 2, Width() - 2, Height() - 2});
  c.Font = qvt::DialogFont();
  c.Brush.Style = bsClear;
  c.TextOut(4 - FScroll, (Height() - c.TextHeight("Ag")) / 2, FText);
}

void TDialogEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    SetFocus();
    std::size_t pos = 0;
    while (pos < FText.size() && TextX(pos + 1) <= X) ++pos;
    MoveCaret(pos);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TDialogEdit::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  switch (Key) {
  case vkLeft: MoveCaret(FCaret > 0 ? FCaret - 1 : 0); break;
  case vkRight: MoveCaret(FCaret + 1); break;
  case vkHome: MoveCaret(0); break;
  case vkEnd: MoveCaret(FText.size()); break;
  case vkDelete:
    if (FCaret < FText.size()) {
      FText.erase(FCaret, 1);
      MoveCaret(FCaret);
      if (OnChange) OnChange(this);
    }
    break;
  default: return;
  }
  Key = 0;
}

void TDialogEdit::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  const auto ch = static_cast<unsigned char>(Key);
  if (ch == '\b') {
    if (FCaret > 0) {
      FText.erase(FCaret - 1, 1);
      MoveCaret(FCaret - 1);
      if (OnChange) OnChange(this);
    }
  } else if (ch >= 0x20 && ch != 0x7F && FText.size() < MaxLength) {
    FText.insert(FCaret, 1, Key);
    MoveCaret(FCaret + 1);
    if (OnChange) OnChange(this);
  } else {
    return;
  }
  Key = 0;
}

void TDialogEdit::DoEnter() {
  TCustomControl::DoEnter();
  CreateCaret(1, Height() - 6);
  SetCaretPos(TextX(FCaret), 3);
  ShowCaret();
}

void TDialogEdit::DoExit() {
  TCustomControl::DoExit();
  DestroyCaret();
}
