#include "controls/uPresetBox.h"

#include <algorithm>
#include <cmath>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "platform/core/uApplication.h"
#include "platform/core/uClipboard.h"
#include "platform/core/uForms.h"

namespace {

constexpr TColor kPanel = RGBColor(34, 51, 43);
constexpr TColor kRowFrame = RGBColor(187, 255, 173);
constexpr TColor kBarFace = RGBColor(102, 110, 124);
constexpr TColor kBarDark = RGBColor(10, 10, 10);
constexpr TColor kBarLight = RGBColor(143, 152, 157);
constexpr TColor kBarArrow = RGBColor(232, 236, 238);
constexpr TColor kBarGrip = RGBColor(55, 64, 69);
constexpr int kArrow = 17;
constexpr int kMinThumb = 18;
constexpr int kRowHeight = 13;
constexpr int kBarWidth = 17;
constexpr std::uint64_t kTypeAheadMs = 500;

// Rounding halves to even, as every conversion to whole pixels here.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

std::unique_ptr<TBitmap> LoadOrNothing(const char* name) {
  try {
    return LoadSkinBitmap(name);
  } catch (const ESkinImageError&) {
    return nullptr; // the control draws plain fills instead
  }
}

void Frame(TCanvas& c, const TRect& r, TColor color) {
  c.Brush.Style = bsSolid;
  c.Brush.Color = color;
  c.FrameRect(r);
}

char Lower(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

bool StartsWith(const std::string& text, const std::string& start) {
  if (start.size() > text.size()) return false;
  for (std::size_t i = 0; i < start.size(); ++i)
    if (Lower(text[i]) != Lower(start[i])) return false;
  return true;
}

} // namespace

// --- TZVBar -------------------------------------------------------------------------

TZVBar::TZVBar(TComponent* AOwner) : TCustomControl(AOwner), FTimer(new TTimer(this)) {
  Color = kBarFace;
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this](TObject*) { Tick(); };
  SetBounds(0, 0, kBarWidth, 80);
}

void TZVBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  RecomputeParts();
}

void TZVBar::SetRange(int value) {
  value = std::max(value, 0);
  if (value == FRange) return;
  FRange = value;
  RecomputeParts();
  Invalidate();
}

void TZVBar::SetWindow(int value) {
  value = std::max(value, 0);
  if (value == FWindow) return;
  FWindow = value;
  RecomputeParts();
  Invalidate();
}

void TZVBar::SetSmallChange(int value) {
  if (value >= 1 && value < FLargeChange) FSmallChange = value;
}

void TZVBar::SetLargeChange(int value) {
  if (value >= FSmallChange && value >= 1) FLargeChange = value;
}

void TZVBar::SetPosition(float value, bool byUser) {
  if (value == FPosition) return;
  const float old = FPosition;
  FPosition = std::clamp(value, 0.0f, static_cast<float>(std::max(0, FRange - EffectiveWindow())));
  if (FPosition == old) return;
  RecomputeParts();
  Invalidate();
  if (OnChange) OnChange(this);
  if (byUser && OnUserChange) OnUserChange(this);
}

void TZVBar::RecomputeParts() {
  const int w = Width(), h = Height();
  const int track = h - 2 * kArrow;
  FParts[zpUp] = {0, 0, w, kArrow};
  FParts[zpDown] = {0, h - kArrow, w, h};
  TRect thumb{0, kArrow, w, kArrow};
  if (track >= kMinThumb) {
    const int window = EffectiveWindow();
    if (window >= FRange) {
      thumb = {0, kArrow, w, h - kArrow};
    } else {
      int length = RoundEven(static_cast<double>(track) * window / FRange);
      int offset;
      if (length < kMinThumb) {
        length = kMinThumb;
        offset = RoundEven(static_cast<double>(track - 17) * FPosition / (FRange - window));
      } else {
        offset = RoundEven(static_cast<double>(track) * FPosition / FRange);
      }
      offset = std::clamp(offset, 0, track - length); // a position past the end stays drawn inside
      thumb = {0, kArrow + offset, w, kArrow + offset + length};
    }
  }
  FParts[zpThumb] = thumb;
  FParts[zpPageUp] = {0, kArrow, w, thumb.IsEmpty() ? kArrow : thumb.Top};
  FParts[zpPageDown] = {0, thumb.IsEmpty() ? kArrow : thumb.Bottom, w, h - kArrow};
}

void TZVBar::DrawArrow(TCanvas& c, TPart part) {
  const TRect r = FParts[part];
  c.Brush.Style = bsSolid;
  c.Brush.Color = kBarFace;
  c.FillRect(r);
  Frame(c, r, kBarDark);
  if (FTracked != part) Frame(c, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, kBarLight);
  // The triangle, one pixel lower and to the right while the button is held.
  const int shift = FTracked == part && FPressed == part ? 1 : 0;
  const int cx = (r.Left + r.Right) / 2 + shift, cy = (r.Top + r.Bottom) / 2 + shift;
  c.Brush.Color = kBarArrow;
  c.Pen.Color = kBarArrow;
  if (part == zpUp)
    c.Polygon({{cx - 4, cy + 2}, {cx + 4, cy + 2}, {cx, cy - 2}});
  else
    c.Polygon({{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}});
}

void TZVBar::Paint() {
  TCanvas& c = Canvas();
  c.Brush.Style = bsSolid;
  c.Brush.Color = Color;
  c.FillRect(ClientRect());
  DrawArrow(c, zpUp);
  DrawArrow(c, zpDown);
  c.Brush.Color = kBarDark;
  for (const TPart page : {zpPageUp, zpPageDown}) {
    const TRect r = FParts[page];
    if (r.IsEmpty()) continue;
    c.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom});
    c.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
  }
  const TRect thumb = FParts[zpThumb];
  if (thumb.IsEmpty()) return;
  const bool dragging = FDragging && FTracked == zpThumb;
  Frame(c, thumb, kBarDark);
  if (!dragging)
    Frame(c, {thumb.Left + 1, thumb.Top + 1, thumb.Right - 1, thumb.Bottom - 1}, kBarLight);
  if (thumb.Height() > 7) {
    const int first = thumb.Top + (thumb.Height() - 7) / 2;
    for (int i = 0; i < 3; ++i) {
      const int y = first + 3 * i;
      c.Brush.Color = kBarGrip;
      c.FillRect({3, y, Width() - 3, y + 1});
      if (!dragging) {
        c.Brush.Color = kBarLight;
        c.FillRect({3, y + 1, Width() - 3, y + 2});
      }
    }
  }
}

void TZVBar::StepPressedPart() {
  switch (FPressed) {
  case zpUp: SetPosition(FPosition - static_cast<float>(FSmallChange)); break;
  case zpDown: SetPosition(FPosition + static_cast<float>(FSmallChange)); break;
  case zpPageUp: SetPosition(FPosition - static_cast<float>(FLargeChange)); break;
  case zpPageDown: SetPosition(FPosition + static_cast<float>(FLargeChange)); break;
  default: break;
  }
}

void TZVBar::Tick() {
  if (FPressed != zpNone && FParts[FPressed].Contains(FPressPoint) && FTracked == FPressed) {
    StepPressedPart();
    FTimer->SetInterval(50);
  } else {
    FTimer->SetEnabled(false);
  }
}

void TZVBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  FDragging = true;
  FPressPoint = {X, Y};
  for (int part = zpUp; part <= zpThumb; ++part)
    if (FParts[part].Contains(FPressPoint)) {
      FTracked = static_cast<TPart>(part);
      break;
    }
  if (FTracked <= zpPageDown) {
    FPressed = FTracked;
    StepPressedPart();
    FTimer->SetInterval(600);
    FTimer->SetEnabled(true);
  } else if (FTracked == zpThumb) {
    FSavedPosition = FPosition;
    FThumbOffset = Y - FParts[zpThumb].Top;
  }
  Invalidate();
}

void TZVBar::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  if (FTracked == zpThumb) {
    // 34 pixels of drag cover the whole range, whatever the bar's height.
    const int window = EffectiveWindow();
    if (Width() == kBarWidth && FRange > window)
      SetPosition(FSavedPosition + static_cast<float>(RoundEven(
                                       static_cast<double>(FRange - window) * (Y - FPressPoint.Y) /
                                       34.0)),
                  true);
    return;
  }
  if (FPressed != zpNone) {
    const TPart tracked = FParts[FPressed].Contains({X, Y}) ? FPressed : zpNone;
    if (tracked != FTracked) {
      FTracked = tracked;
      Invalidate();
    }
  }
}

void TZVBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) CancelMode();
}

void TZVBar::CancelMode() {
  FDragging = false;
  FTracked = FPressed = zpNone;
  FTimer->SetEnabled(false);
  Invalidate();
}

// --- TZStatBox ----------------------------------------------------------------------

TZStatBox::TZStatBox(TComponent* AOwner)
    : TCustomListBox(AOwner), FRowBackground(LoadOrNothing("FONT_BG")),
      FIndexTimer(new TTimer(this)) {
  Color = kPanel;
  TCustomListBox::SetStyle(lbOwnerDrawFixed);
  SetItemHeight(kRowHeight);
  SetBounds(0, 0, 121, 97);
  FIndexTimer->SetEnabled(false);
  FIndexTimer->SetInterval(50);
  FIndexTimer->OnTimer = [this](TObject*) { CheckItemIndex(); };
}

TZStatBox::~TZStatBox() = default;

void TZStatBox::SetStyle(TListBoxStyle style) { TCustomListBox::SetStyle(style); }

void TZStatBox::SetItemIndex(int index) {
  TCustomListBox::SetItemIndex(index);
  CheckItemIndex();
}

void TZStatBox::DoItemsChanged() {
  FItemsChanged = true;
  TCustomListBox::DoItemsChanged();
  CheckItemIndex();
}

bool TZStatBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  // The panel scrolls through its bar; only an OnMouseWheel handler here comes first.
  return TControl::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TZStatBox::CheckItemIndex() {
  if (ItemIndex() != FLastChecked) {
    FLastChecked = ItemIndex();
    if (OnTopChange) OnTopChange(this);
  }
  if (FReportPosted) return;
  FReportPosted = true;
  // Reported after the input that is waiting, once per change.
  Application->PostCall(this, [this] {
    FReportPosted = false;
    ReportItemIndex();
  });
}

void TZStatBox::ReportItemIndex() {
  if (ItemIndex() == FLastReported && !FItemsChanged) return;
  FLastReported = ItemIndex();
  FItemsChanged = false;
  if (OnItemIndexChange) OnItemIndexChange(this);
}

void TZStatBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomListBox::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) FIndexTimer->SetEnabled(true);
  CheckItemIndex();
}

void TZStatBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomListBox::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) FIndexTimer->SetEnabled(false);
  CheckItemIndex();
}

void TZStatBox::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (Key == vkDelete) {
    if (ItemIndex() >= 0 && OnItemsDelete) OnItemsDelete(this);
    Key = 0;
    return;
  }
  TCustomListBox::KeyDown(Key, Shift);
  CheckItemIndex();
}

void TZStatBox::KeyPress(char& Key) {
  TCustomListBox::KeyPress(Key);
  if (!AutoComplete || Key == '\r' || Key == 0x1B || Key == 0) return;
  const std::uint64_t now = Application->NowMs();
  if (Key == '\b') {
    if (!FSearch.empty()) FSearch.pop_back();
  } else {
    if (!FHasTyped || now - FLastTyped >= kTypeAheadMs) FSearch.clear();
    FSearch += Key;
    Key = 0; // consumed
  }
  FHasTyped = true;
  FLastTyped = now;
  int found = FSearch.empty() && Count() > 0 ? 0 : -1;
  for (int i = 0; found < 0 && i < Count(); ++i)
    if (StartsWith(Item(i), FSearch)) found = i;
  if (found < 0) return;
  if (MultiSelect) {
    ClearSelection();
    SetSelected(found, true);
  }
  SetItemIndex(found);
  Click();
}

void TZStatBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  TCanvas& c = Canvas();
  if (FRowBackground) {
    c.Copy(0, rect.Top, *FRowBackground,
           Bounds(0, 0, std::min(Width(), FRowBackground->Width()), FRowBackground->Height()));
  } else {
    c.Brush.Style = bsSolid;
    c.Brush.Color = Color;
    c.FillRect(rect);
  }
  if (state & odSelected) Frame(c, rect, kRowFrame);
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  if (const TBitmap* font = qvt::SharedSkinImages().Font1.get())
    qvt::DrawFont1Text(c, *font, Item(index), rect.Left + 2, rect.Top + 3);
}

// --- TZPresetBox --------------------------------------------------------------------

TZPresetBox::TZPresetBox(TComponent* AOwner)
    : TPanel(AOwner), FList(new TZStatBox(this)), FBar(new TZVBar(this)), FItems(*FList) {
  Color = kPanel;
  BevelOuter = bvNone;
  FList->SetParent(this);
  FBar->SetParent(this);
  FBar->Increment = 1;
  FList->OnItemsChanged = [this](TObject*) {
    UpdateBar();
    if (OnItemChange) OnItemChange(this);
  };
  FList->OnTopChange = [this](TObject*) { FBar->SetPosition(static_cast<float>(FList->TopIndex())); };
  FList->OnItemIndexChange = [this](TObject*) {
    if (OnItemIndexChange) OnItemIndexChange(this);
  };
  FList->OnItemsDelete = [this](TObject*) {
    if (OnItemsDelete) OnItemsDelete(this);
  };
  FBar->OnChange = [this](TObject*) { FList->SetTopIndex(RoundEven(FBar->Position())); };
  // The list's own events reach the panel's handlers with the panel as sender.
  FList->OnClick = [this](TObject*) {
    if (OnClick) OnClick(this);
  };
  FList->OnDblClick = [this](TObject*) {
    if (OnDblClick) OnDblClick(this);
  };
  FList->OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
  };
  FList->OnKeyPress = [this](TObject*, char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
  };
  FList->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, b, s, x, y);
  };
  FList->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, b, s, x, y);
  };
  SetBounds(0, 0, 157, 97);
}

TZPresetBox::~TZPresetBox() = default;

void TZPresetBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (IntegralHeight) AHeight = 2 + std::max(0, AHeight - 2) / kRowHeight * kRowHeight;
  TPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  LayOut();
}

void TZPresetBox::CreateWnd() {
  TPanel::CreateWnd();
  LayOut();
}

void TZPresetBox::LayOut() {
  if (!FList || !FBar) return;
  FBar->SetBounds(Width() - kBarWidth - 1, -1, kBarWidth, Height());
  FList->SetBounds(2, 2, Width() - kBarWidth - 5, Height() - 6);
  FList->Color = Color;
  FList->Tag = Tag;
  // The frame around the list, drawn once for this size.
  const int w = FList->Width() + 4, h = FList->Height() + 4;
  if (!FBackground || FBackground->Width() != w || FBackground->Height() != h) {
    FBackground = std::make_unique<TBitmap>(w, h);
    TCanvas c(FBackground.get());
    c.Brush.Color = kPanel;
    c.FillRect({0, 0, w, h});
    c.Brush.Color = RGBColor(93, 130, 104);
    c.FillRect({0, 0, w, 1});
    c.Brush.Color = RGBColor(65, 93, 75);
    c.FillRect({w - 1, 0, w, h});
    c.FillRect({0, 0, 1, h});
    c.Brush.Color = RGBColor(83, 117, 93);
    c.FillRect({0, h - 1, w, h});
    const struct {
      int X, Y;
      TColor Color;
    } corners[] = {{0, 0, RGBColor(132, 182, 144)},     {1, 0, RGBColor(126, 173, 137)},
                   {0, 1, RGBColor(116, 160, 127)},     {1, 1, RGBColor(87, 121, 97)},
                   {0, 2, RGBColor(84, 118, 95)},       {2, 0, RGBColor(102, 142, 113)},
                   {w - 1, 0, RGBColor(64, 91, 74)},    {w - 1, h - 1, RGBColor(64, 91, 74)},
                   {0, h - 1, RGBColor(71, 100, 81)}};
    for (const auto& corner : corners) c.SetPixel(corner.X, corner.Y, corner.Color);
  }
  UpdateBar();
}

void TZPresetBox::UpdateBar() {
  const int rows = FList->Height() / kRowHeight;
  if (FList->Count() * kRowHeight > FList->Height()) {
    FBar->SetRange(FList->Count());
    FBar->SetWindow(std::max(rows, 1));
    FBar->SetEnabled(true);
  } else {
    FBar->SetEnabled(false);
  }
  FBar->SetPosition(static_cast<float>(FList->TopIndex()));
}

void TZPresetBox::Paint() {
  if (FBackground) {
    Canvas().Copy(0, 0, *FBackground, Bounds(0, 0, FBackground->Width(), FBackground->Height()));
    return;
  }
  TPanel::Paint();
}

bool TZPresetBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (!FBar->Enabled()) return TPanel::DoMouseWheel(Shift, WheelDelta, MousePos);
  FBar->SetPosition(FBar->Position() + (WheelDelta > 0 ? -3.0f : 3.0f));
  return true;
}

// --- TZTextEdit ---------------------------------------------------------------------

TZTextEdit::TZTextEdit(TComponent* AOwner)
    : TCustomControl(AOwner), FBackground(LoadOrNothing("PRESETEDIT_BG")),
      FButtonPressed(LoadOrNothing("PRESETEDIT_BTNPRESSED")), FMenu(new TBrndPopupMenu(this)) {
  TabStop = true;
  Cursor = crIBeam;
  SetBounds(0, 0, 157, 17);
  if (FBackground) {
    TCanvas c(FBackground.get());
    c.Brush.Color = clBlack;
    c.FillRect({0, 0, FBackground->Width(), 1});
  }
  const auto run = [this](TObject* sender) {
    switch (static_cast<TComponent*>(sender)->Tag) {
    case 0: Undo(); break;
    case 1: CutToClipboard(); break;
    case 2: CopyToClipboard(); break;
    case 3: PasteFromClipboard(); break;
    case 4: SelectAll(); break;
    default: break;
    }
  };
  AddMenuItem(FMenu, nullptr, "Undo", 0, run);
  AddSeparator(FMenu, nullptr);
  AddMenuItem(FMenu, nullptr, "Cut", 1, run)->ShortCut = {'X', ssCtrl};
  AddMenuItem(FMenu, nullptr, "Copy", 2, run)->ShortCut = {'C', ssCtrl};
  AddMenuItem(FMenu, nullptr, "Paste", 3, run)->ShortCut = {'V', ssCtrl};
  AddSeparator(FMenu, nullptr);
  AddMenuItem(FMenu, nullptr, "Select All", 4, run);
}

TZTextEdit::~TZTextEdit() = default;

void TZTextEdit::SetText(const std::string& text) {
  const std::string cut = text.substr(0, kMaxLength);
  if (cut == FText) return;
  FText = cut;
  FCaret = 1;
  FSelStart = 1;
  FSelEnd = 0;
  Invalidate();
  UpdateCaret();
}

std::string TZTextEdit::SelectedText() const {
  if (!HasSelection()) return {};
  const int lo = std::min(FSelStart, FSelEnd), hi = std::max(FSelStart, FSelEnd);
  const int length = static_cast<int>(FText.size());
  const int from = std::clamp(lo, 1, length + 1), to = std::clamp(hi, 1, length + 1);
  return FText.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from));
}

void TZTextEdit::DeleteSelection() {
  const int lo = std::min(FSelStart, FSelEnd);
  const std::string selected = SelectedText();
  FText.erase(static_cast<std::size_t>(std::clamp(lo, 1, static_cast<int>(FText.size()) + 1) - 1),
              selected.size());
  FCaret = std::clamp(lo, 1, static_cast<int>(FText.size()) + 1);
  FSelStart = FCaret;
  FSelEnd = 0;
}

void TZTextEdit::InsertText(const std::string& piece) {
  if (FText.size() >= kMaxLength) return;
  FUndo = FText;
  if (HasSelection()) DeleteSelection();
  const std::string cut = piece.substr(0, kMaxLength);
  const auto at = static_cast<std::size_t>(std::clamp(FCaret, 1, static_cast<int>(FText.size()) + 1) - 1);
  FText.insert(at, cut);
  // The name field of a program holds 22 characters: the whole text stays within them.
  if (FText.size() > kMaxLength) FText.resize(kMaxLength);
  FCaret = std::min(static_cast<int>(at + cut.size()) + 1, static_cast<int>(FText.size()) + 1);
  FSelStart = FCaret;
  FSelEnd = 0;
  Invalidate();
  UpdateCaret();
}

void TZTextEdit::Undo() {
  FText = FUndo;
  FUndo.clear();
  FCaret = std::min(FCaret, static_cast<int>(FText.size()) + 1);
  FSelEnd = 0;
  Invalidate();
  UpdateCaret();
}

void TZTextEdit::SelectAll() {
  FSelStart = 1;
  FSelEnd = static_cast<int>(FText.size()) + 1; // through the last character
  Invalidate();
}

void TZTextEdit::CopyToClipboard() {
  if (HasSelection()) SetClipboardText(SelectedText());
}

void TZTextEdit::CutToClipboard() {
  if (!HasSelection()) return;
  CopyToClipboard();
  // The selection goes even from a full text, where typing would be refused.
  FUndo = FText;
  DeleteSelection();
  Invalidate();
  UpdateCaret();
}

void TZTextEdit::PasteFromClipboard() {
  const std::string text = GetClipboardText();
  std::string printable;
  for (const char ch : text)
    if (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7F) printable += ch;
  if (!printable.empty()) InsertText(printable);
}

void TZTextEdit::UpdateCaret() {
  FCaret = std::clamp(FCaret, 1, static_cast<int>(FText.size()) + 1);
  if (Focused()) SetCaretPos(6 * FCaret - 1, 13);
}

void TZTextEdit::Paint() {
  TCanvas& c = Canvas();
  if (FBackground)
    c.Copy(0, 0, *FBackground, Bounds(0, 0, FBackground->Width(), FBackground->Height()));
  else {
    c.Brush.Style = bsSolid;
    c.Brush.Color = kPanel;
    c.FillRect(ClientRect());
  }
  const TBitmap* font = qvt::SharedSkinImages().Font1.get();
  const int lo = HasSelection() ? std::min(FSelStart, FSelEnd) : 0;
  const int hi = HasSelection() ? std::max(FSelStart, FSelEnd) : 0;
  for (int k = 1; font && k <= static_cast<int>(FText.size()); ++k) {
    const std::string_view ch(&FText[static_cast<std::size_t>(k - 1)], 1);
    if (k >= lo && k < hi) {
      c.Brush.Style = bsSolid;
      c.Brush.Color = RGBColor(238, 226, 226);
      c.FillRect({6 * k - 2, 4, 6 * k + 5, 13});
      qvt::DrawFont1Text(c, *font, ch, 6 * k - 1, 5);
      for (int y = 5; y < 13; ++y) // the glyph's colours inverted
        for (int x = 6 * k - 1; x < 6 * k + 4; ++x) c.SetPixel(x, y, c.Pixel(x, y) ^ 0xFFFFFF);
    } else {
      qvt::DrawFont1Text(c, *font, ch, 6 * k - 1, 5);
    }
  }
  if (FButtonDown && FButtonPressed)
    c.Copy(141, 1, *FButtonPressed, Bounds(0, 0, FButtonPressed->Width(), FButtonPressed->Height()));
}

void TZTextEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbRight) {
    FMenu->Items()->Items(0)->Enabled = !FUndo.empty();
    FMenu->Items()->Items(2)->Enabled = HasSelection();
    FMenu->Items()->Items(3)->Enabled = HasSelection();
    FMenu->Items()->Items(4)->Enabled = !GetClipboardText().empty();
    FMenu->Items()->Items(6)->Enabled = !FText.empty();
    const TPoint screen = ClientToScreen({X, Y});
    FMenu->Popup(screen.X, screen.Y);
    return;
  }
  if (Button != mbLeft) return;
  if (X > 141) {
    FButtonDown = true;
    Invalidate();
    if (OnBtnClick) OnBtnClick(this);
    return;
  }
  if (CanFocus()) SetFocus();
  if (Shift & ssDouble) {
    SelectAll();
    return;
  }
  FSelecting = true;
  FCaret = std::clamp(CharAt(X), 1, static_cast<int>(FText.size()) + 1);
  FSelStart = FCaret;
  FSelEnd = 0;
  Invalidate();
  UpdateCaret();
}

void TZTextEdit::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FSelecting) return;
  const int end = std::clamp(CharAt(X), 1, static_cast<int>(FText.size()) + 1);
  if (end == FSelEnd) return;
  FSelEnd = end;
  Invalidate();
}

void TZTextEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  FSelecting = false;
  FButtonDown = false;
  Invalidate();
}

void TZTextEdit::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int length = static_cast<int>(FText.size());
  if (Shift & ssCtrl) {
    switch (Key) {
    case 'A': SelectAll(); break;
    case 'C': CopyToClipboard(); break;
    case 'X': CutToClipboard(); break;
    case 'V': PasteFromClipboard(); break;
    case 'Z': Undo(); break;
    default: return;
    }
    Key = 0;
    return;
  }
  switch (Key) {
  case vkDelete:
  case vkBack:
    FUndo = FText;
    if (HasSelection())
      DeleteSelection();
    else if (Key == vkDelete && FCaret <= length)
      FText.erase(static_cast<std::size_t>(FCaret - 1), 1);
    else if (Key == vkBack && FCaret > 1)
      FText.erase(static_cast<std::size_t>(--FCaret - 1), 1);
    Invalidate();
    break;
  case vkHome: FCaret = 1; break;
  case vkEnd: FCaret = length + 1; break;
  case vkLeft: --FCaret; break;
  case vkRight: ++FCaret; break;
  case vkReturn:
    if (OnChange) OnChange(this);
    break;
  default: return;
  }
  Key = 0;
  UpdateCaret();
}

void TZTextEdit::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (static_cast<unsigned char>(Key) < 0x20 || Key == 0x7F) return; // keys handled above
  InsertText(std::string(1, Key));
  Key = 0;
}

void TZTextEdit::DoEnter() {
  TCustomControl::DoEnter();
  qvt::CreateSkinCaret(*this);
  UpdateCaret();
  ShowCaret();
}

void TZTextEdit::DoExit() {
  TCustomControl::DoExit();
  DestroyCaret();
}
