// The preset browser: TZPresetBox, a panel holding TZStatBox (the list of
// preset names, drawn with the bitmap font on the list's row background) and
// TZVBar (a flat scroll bar), and TZTextEdit, the one-line preset-name editor
// with its own button. The controls hold no preset data beyond the strings.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "platform/core/uListBox.h"
#include "platform/core/uPanel.h"
#include "platform/core/uTimer.h"

class TBitmap;
class TBrndPopupMenu;

// --- scroll bar --------------------------------------------------------------------

class TZVBar : public TCustomControl {
public:
  enum TPart : int { zpUp, zpDown, zpPageUp, zpPageDown, zpThumb, zpNone };

  explicit TZVBar(TComponent* AOwner);

  float Position() const { return FPosition; }
  void SetPosition(float value) { SetPosition(value, false); }
  int Range() const { return FRange; }
  void SetRange(int value);
  int Window() const { return FWindow; }
  void SetWindow(int value);
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int value);
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int value);
  int Increment = 8; // stored only
  // The rectangle of a part (zpUp … zpThumb).
  TRect Part(TPart part) const { return FParts[part]; }

  TNotifyEvent OnChange;
  TNotifyEvent OnUserChange;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CancelMode() override;

private:
  void SetPosition(float value, bool byUser);
  int EffectiveWindow() const { return FWindow < 1 ? Height() : FWindow; }
  void RecomputeParts();
  void StepPressedPart();
  void Tick();
  void DrawArrow(TCanvas& c, TPart part);

  float FPosition = 0.0f;
  int FRange = 0, FWindow = 0;
  int FSmallChange = 1, FLargeChange = 5;
  TRect FParts[5];
  TPart FPressed = zpNone, FTracked = zpNone;
  bool FDragging = false;
  TPoint FPressPoint;
  float FSavedPosition = 0.0f;
  int FThumbOffset = 0;
  TTimer* FTimer;
};

// --- the list ----------------------------------------------------------------------

class TZStatBox : public TCustomListBox {
public:
  explicit TZStatBox(TComponent* AOwner);
  ~TZStatBox() override;

  bool AutoComplete = true;
  TNotifyEvent OnItemsDelete;
  // The current item changed; reported once per change, after the input that caused it.
  TNotifyEvent OnItemIndexChange;
  // The first shown item changed with the current one (the panel moves its bar).
  TNotifyEvent OnTopChange;

  // From code: reported like a change made by the user.
  void SetItemIndex(int index);
  void SetStyle(TListBoxStyle style) override;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

protected:
  void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
  void DoItemsChanged() override;

private:
  void CheckItemIndex();
  void ReportItemIndex();

  std::unique_ptr<TBitmap> FRowBackground; // FONT_BG
  TTimer* FIndexTimer;
  std::string FSearch;
  std::uint64_t FLastTyped = 0;
  bool FHasTyped = false;
  int FLastChecked = -1;
  int FLastReported = -1;
  bool FReportPosted = false;
  bool FItemsChanged = false;
};

// Access to the list's strings, in the manner of a string list.
class TZListBoxStrings {
public:
  explicit TZListBoxStrings(TZStatBox& list) : FList(list) {}
  int Count() const { return FList.Count(); }
  const std::string& operator[](int index) const { return FList.Item(index); }
  int Add(const std::string& text) { return FList.AddItem(text); }
  void Insert(int index, const std::string& text) { FList.InsertItem(index, text); }
  void Delete(int index) { FList.DeleteItem(index); }
  void Clear() { FList.Clear(); }
  int IndexOf(const std::string& text) const { return FList.IndexOf(text); }

private:
  TZStatBox& FList;
};

// --- the panel ---------------------------------------------------------------------

class TZPresetBox : public TPanel {
public:
  explicit TZPresetBox(TComponent* AOwner);
  ~TZPresetBox() override;

  TZStatBox& List() const { return *FList; }
  TZVBar& Bar() const { return *FBar; }
  TZListBoxStrings& Items() { return FItems; }
  int ItemIndex() const { return FList->ItemIndex(); }
  void SetItemIndex(int index) { FList->SetItemIndex(index); }
  void Clear() { FList->Clear(); }
  int AddItem(const std::string& text) { return FList->AddItem(text); }

  bool ReadOnly = false; // stored only
  bool IntegralHeight = false;

  TNotifyEvent OnItemChange;
  TNotifyEvent OnItemIndexChange;
  TNotifyEvent OnItemsDelete;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void CreateWnd() override;
  void Paint() override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
  void LayOut();
  void UpdateBar();

  TZStatBox* FList;
  TZVBar* FBar;
  TZListBoxStrings FItems;
  std::unique_ptr<TBitmap> FBackground;
};

// --- the name editor -----------------------------------------------------------------

class TZTextEdit : public TCustomControl {
public:
  static constexpr std::size_t kMaxLength = 22;

  explicit TZTextEdit(TComponent* AOwner);
  ~TZTextEdit() override;

  const std::string& Text() const { return FText; }
  // Cut to 22 characters; the caret goes to the start; no event.
  void SetText(const std::string& text);
  // Caret and selection as character numbers from 1; SelEnd 0 = no selection.
  int CaretPos() const { return FCaret; }
  int SelStart() const { return FSelStart; }
  int SelEnd() const { return FSelEnd; }
  std::string SelectedText() const;
  TBrndPopupMenu& Menu() const { return *FMenu; }

  TNotifyEvent OnChange;   // Enter
  TNotifyEvent OnBtnClick; // the editor's button

  void Undo();
  void SelectAll();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;

private:
  bool HasSelection() const { return FSelEnd != 0 && FSelEnd != FSelStart; }
  void DeleteSelection();
  void InsertText(const std::string& piece);
  void UpdateCaret();
  int CharAt(int x) const { return std::max(1, (x - 3) / 6 + 1); }

  std::string FText;
  std::string FUndo;
  int FCaret = 1;
  int FSelStart = 1, FSelEnd = 0;
  bool FSelecting = false;
  bool FButtonDown = false;
  std::unique_ptr<TBitmap> FBackground;   // PRESETEDIT_BG with its top line
  std::unique_ptr<TBitmap> FButtonPressed; // PRESETEDIT_BTNPRESSED
  TBrndPopupMenu* FMenu;
};
