#include "platform/core/uListBox.h"

#include <algorithm>
#include <stdexcept>

namespace {
constexpr TColor kSelectedFace = RGBColor(62, 96, 78);
constexpr int kWheelLines = 3;
} // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner) {
  TabStop = true;
  Color = clWhite;
  SetBounds(0, 0, 121, 97);
}

// --- items ------------------------------------------------------------------------

int TCustomListBox::AddItem(const std::string& text) {
  InsertItem(Count(), text);
  return Count() - 1;
}

void TCustomListBox::InsertItem(int index, const std::string& text) {
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, text);
  FSelected.insert(FSelected.begin() + index, false);
  if (FItemIndex >= index) ++FItemIndex;
  if (FAnchor >= index) ++FAnchor;
  ItemsChanged();
}

void TCustomListBox::DeleteItem(int index) {
  if (index < 0 || index >= Count()) return;
  FItems.erase(FItems.begin() + index);
  FSelected.erase(FSelected.begin() + index);
  if (FItemIndex == index)
    FItemIndex = -1;
  else if (FItemIndex > index)
    --FItemIndex;
  if (FAnchor >= index) FAnchor = std::max(FAnchor - 1, -1);
  ItemsChanged();
}

void TCustomListBox::SetItem(int index, const std::string& text) {
  if (index < 0 || index >= Count()) return;
  FItems[static_cast<std::size_t>(index)] = text;
  Invalidate();
}

void TCustomListBox::Clear() {
  FItems.clear();
  FSelected.clear();
  FItemIndex = FAnchor = -1;
  FTopIndex = 0;
  ItemsChanged();
}

int TCustomListBox::IndexOf(const std::string& text) const {
  const auto it = std::find(FItems.begin(), FItems.end(), text);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TCustomListBox::ItemsChanged() {
  SetTopIndex(FTopIndex); // clamps to the new count
  Invalidate();
  DoItemsChanged();
}

void TCustomListBox::DoItemsChanged() {
  if (OnItemsChanged) OnItemsChanged(this);
}

// --- current item and selection -------------------------------------------------

void TCustomListBox::SetItemIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  if (!MultiSelect) std::fill(FSelected.begin(), FSelected.end(), false);
  FItemIndex = index;
  if (index >= 0) {
    if (!MultiSelect) FSelected[static_cast<std::size_t>(index)] = true;
    FAnchor = index;
    ScrollIntoView(index);
  }
  Invalidate();
}

bool TCustomListBox::Selected(int index) const {
  return index >= 0 && index < Count() && FSelected[static_cast<std::size_t>(index)];
}

void TCustomListBox::SetSelected(int index, bool selected) {
  if (index < 0 || index >= Count()) return;
  if (!MultiSelect && selected) {
    SetItemIndex(index);
    return;
  }
  FSelected[static_cast<std::size_t>(index)] = selected;
  if (!MultiSelect && index == FItemIndex && !selected) FItemIndex = -1;
  Invalidate();
}

int TCustomListBox::SelCount() const {
  return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::ClearSelection() {
  std::fill(FSelected.begin(), FSelected.end(), false);
  if (!MultiSelect) FItemIndex = -1;
  Invalidate();
}

void TCustomListBox::SelectAll() {
  if (!MultiSelect) return;
  std::fill(FSelected.begin(), FSelected.end(), true);
  Invalidate();
}

void TCustomListBox::SelectRange(int from, int to) {
  std::fill(FSelected.begin(), FSelected.end(), false);
  if (from < 0) from = to;
  for (int i = std::min(from, to); i <= std::max(from, to); ++i)
    if (i >= 0 && i < Count()) FSelected[static_cast<std::size_t>(i)] = true;
}

void TCustomListBox::MoveCurrent(int index, TShiftState shift) {
  if (Count() == 0) return;
  index = std::clamp(index, 0, Count() - 1);
  if (MultiSelect && ExtendedSelect && (shift & ssShift)) {
    SelectRange(FAnchor, index);
  } else if (MultiSelect && (shift & ssCtrl)) {
    FSelected[static_cast<std::size_t>(index)] = !FSelected[static_cast<std::size_t>(index)];
    FAnchor = index;
  } else {
    std::fill(FSelected.begin(), FSelected.end(), false);
    FSelected[static_cast<std::size_t>(index)] = true;
    FAnchor = index;
  }
  FItemIndex = index;
  ScrollIntoView(index);
  Invalidate();
}

// --- rows -----------------------------------------------------------------------

void TCustomListBox::SetItemHeight(int value) {
  if (value < 1 || value == FItemHeight) return;
  FItemHeight = value;
  ItemsChanged();
}

int TCustomListBox::VisibleRows() const { return std::max(1, Height() / FItemHeight); }

void TCustomListBox::SetTopIndex(int index) {
  index = std::clamp(index, 0, std::max(0, Count() - VisibleRows()));
  if (index == FTopIndex) return;
  FTopIndex = index;
  Invalidate();
  if (OnScroll) OnScroll(this);
}

void TCustomListBox::ScrollIntoView(int index) {
  if (index < FTopIndex)
    SetTopIndex(index);
  else if (index >= FTopIndex + VisibleRows())
    SetTopIndex(index - VisibleRows() + 1);
}

int TCustomListBox::ItemAtPos(TPoint p, bool existing) const {
  if (p.Y < 0) return existing ? -1 : FTopIndex;
  const int index = FTopIndex + p.Y / FItemHeight;
  if (index < Count()) return index;
  return existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int index) const {
  return Bounds(0, (index - FTopIndex) * FItemHeight, Width(), FItemHeight);
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
  if (style == lbVirtual || style == lbVirtualOwnerDraw)
    throw std::invalid_argument("lbVirtual, lbVirtualOwnerDraw not supported!");
  FStyle = style;
  Invalidate();
}

// --- painting ---------------------------------------------------------------------

void TCustomListBox::Paint() {
  TCanvas& c = Canvas();
  c.Brush.Style = bsSolid;
  c.Brush.Color = Color;
  c.FillRect(ClientRect());
  for (int index = FTopIndex; index < Count(); ++index) {
    const TRect r = ItemRect(index);
    if (r.Top >= Height()) break;
    TOwnerDrawState state = 0;
    if (Selected(index)) state |= odSelected;
    if (index == FItemIndex && Focused()) state |= odFocused;
    if (!Enabled()) state |= odDisabled;
    DrawItem(index, r, state);
  }
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (FStyle != lbStandard && OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  TCanvas& c = Canvas();
  c.Brush.Style = bsSolid;
  c.Brush.Color = (state & odSelected) ? kSelectedFace : Color;
  c.FillRect(rect);
  c.Font = Font;
  c.Brush.Style = bsClear;
  c.TextRect({rect.Left + 2, rect.Top, rect.Right - 2, rect.Bottom}, Item(index),
             tfVerticalCenter | tfEndEllipsis);
  if (state & odFocused) {
    c.Brush.Color = Font.Color;
    c.FrameRect(rect);
  }
}

// --- input ------------------------------------------------------------------------

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus()) SetFocus();
    FTracking = true;
    const int index = ItemAtPos({X, Y});
    if (index >= 0) MoveCurrent(index, Shift);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
  // With the button held the current item follows the pointer, scrolling past the edges.
  if (FTracking && (Shift & ssLeft) && Count() > 0) {
    const int index = Y < 0 ? FTopIndex - 1 : ItemAtPos({X, Y}, false);
    MoveCurrent(index, MultiSelect && ExtendedSelect ? ssShift : 0);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) FTracking = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  SetTopIndex(FTopIndex - WheelDelta / 120 * kWheelLines);
  return true;
}

void TCustomListBox::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int page = std::max(1, VisibleRows() - 1);
  const int current = FItemIndex < 0 ? (Key == vkUp ? Count() : -1) : FItemIndex;
  int target;
  switch (Key) {
  case vkUp: target = current - 1; break;
  case vkDown: target = current + 1; break;
  case vkPrior: target = current - page; break;
  case vkNext: target = current + page; break;
  case vkHome: target = 0; break;
  case vkEnd: target = Count() - 1; break;
  default: return;
  }
  Key = 0;
  MoveCurrent(target, Shift);
}

void TCustomListBox::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
}

void TCustomListBox::DoExit() {
  TCustomControl::DoExit();
  Invalidate();
}
