// The controls of the framework's own dialogs (message box, file dialog): a
// push button and a one-line text field, drawn in the editor's colours.
#pragma once

#include <functional>
#include <string>

#include "platform/core/uControls.h"

namespace qvt {
inline constexpr TColor kDialogFace = RGBColor(34, 51, 43);
inline constexpr TColor kDialogInk = RGBColor(187, 255, 173);
inline constexpr TColor kDialogStrip = RGBColor(24, 36, 30);
TFont DialogFont(TColor color = kDialogInk);
} // namespace qvt

// A push button: a click, Enter or Space runs OnClick.
class TDialogButton : public TCustomControl {
public:
  TDialogButton(TWinControl* parent, std::string caption);
  std::string Caption;

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CancelMode() override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

private:
  bool FPressed = false;
};

// A one-line text field with a caret: typing inserts at the caret, Backspace
// and Delete remove, Left, Right, Home and End move. Texts are Windows-1252.
class TDialogEdit : public TCustomControl {
public:
  explicit TDialogEdit(TWinControl* parent);

  const std::string& Text() const { return FText; }
  void SetText(const std::string& text);
  std::size_t CaretPos() const { return FCaret; }
  std::size_t MaxLength = 1500;
  TNotifyEvent OnChange;

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;

private:
  void MoveCaret(std::size_t pos);
  int TextX(std::size_t pos);

  std::string FText;
  std::size_t FCaret = 0;
  int FScroll = 0; // pixels of text hidden on the left
};
