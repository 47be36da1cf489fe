// TCustomListBox: the framework's list control. A column of fixed-height rows
// that scrolls by whole items; one current item (ItemIndex) and, with
// MultiSelect, any number of selected ones. Mouse: a press makes the row
// current (Ctrl toggles it, Shift selects the range from the anchor, with
// ExtendedSelect); dragging with the button held follows the pointer and
// scrolls at the edges. Keys: arrows, Home, End, Page Up and Page Down move
// the current item (Shift extends the selection). Owner-drawn styles paint
// their rows through DrawItem or OnDrawItem.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/uControls.h"

enum TListBoxStyle : std::uint8_t {
  lbStandard,
  lbOwnerDrawFixed,
  lbOwnerDrawVariable,
  lbVirtual,
  lbVirtualOwnerDraw
};

enum TOwnerDrawStateFlag : std::uint8_t { odSelected = 1, odFocused = 2, odDisabled = 4 };
using TOwnerDrawState = std::uint8_t;

using TDrawItemEvent = std::function<void(TObject* Sender, int Index, const TRect& Rect,
                                          TOwnerDrawState State)>;

class TCustomListBox : public TCustomControl {
public:
  explicit TCustomListBox(TComponent* AOwner);

  // --- items ---
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& Item(int index) const { return FItems[static_cast<std::size_t>(index)]; }
  const std::vector<std::string>& Items() const { return FItems; }
  int AddItem(const std::string& text);
  void InsertItem(int index, const std::string& text);
  void DeleteItem(int index);
  void SetItem(int index, const std::string& text);
  void Clear();
  int IndexOf(const std::string& text) const;

  // --- current item and selection ---
  int ItemIndex() const { return FItemIndex; }
  // -1 for none; with MultiSelect the selection is left as it is.
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  void ClearSelection();
  void SelectAll();
  bool MultiSelect = false;
  bool ExtendedSelect = true;

  // --- rows ---
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int index);
  // Rows that fit in the client area (at least 1).
  int VisibleRows() const;
  int ItemAtPos(TPoint p, bool existing = true) const;
  TRect ItemRect(int index) const;
  TListBoxStyle Style() const { return FStyle; }
  // Virtual styles are not offered: they raise std::invalid_argument.
  virtual void SetStyle(TListBoxStyle style);

  TDrawItemEvent OnDrawItem;
  // The items changed, or the first shown item moved.
  TNotifyEvent OnItemsChanged;
  TNotifyEvent OnScroll;

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

protected:
  // Paints one row; the default fills it and writes the text (owner-drawn
  // styles call OnDrawItem instead).
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  // The items changed; fires OnItemsChanged.
  virtual void DoItemsChanged();

private:
  void MoveCurrent(int index, TShiftState shift);
  void SelectRange(int from, int to);
  void ScrollIntoView(int index);
  void ItemsChanged();

  std::vector<std::string> FItems;
  std::vector<bool> FSelected;
  int FItemIndex = -1;
  int FAnchor = -1;
  int FTopIndex = 0;
  int FItemHeight = 13;
  TListBoxStyle FStyle = lbStandard;
  bool FTracking = false;
};
