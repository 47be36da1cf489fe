// The skinned value editors: the waveform selector (TZTextSpinEdit), the
// numeric spin editors for frequency ratios and offsets (TZSpinEdit with
// TZSpinEditRatio and TZSpinEditOffset) and the scheme selector (TZScemEdit).
// Each draws from its skin images into a buffer of its own, steps with
// auto-repeat while an arrow is held, and maps what it shows onto a
// normalised Value for its parameter.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "lib/uFunctions.h"
#include "lib/uGlobals.h"
#include "platform/core/uBitmap.h"
#include "platform/core/uControls.h"
#include "platform/core/uTimer.h"

class TBrndPopupMenu;

namespace qvt {

// Auto-repeat of a held arrow. Start steps at once and, unless already
// running, ticks after 400 ms; each tick counts and steps again, the next
// interval chosen by the count (IntervalAfter). Stop ends it and resets the count.
class TAutoRepeat {
public:
  // `lastMedium`: the last count followed by 100 ms (20 or 50 by kind).
  TAutoRepeat(int lastMedium, std::function<void()> step);
  void Start();
  void Stop();
  // 400 ms after counts 1–3, 300 after 4–5, 200 after 6–7, 150 after 8–10,
  // 100 up to lastMedium, then 50.
  static unsigned IntervalAfter(int count, int lastMedium);

private:
  TTimer FTimer;
  int FCount = 0;
  int FLastMedium;
  std::function<void()> FStep;
};

// Reads a number written with '.' as the decimal separator, whatever the
// process locale: blanks may surround it, nothing else may follow it, and
// infinities and NaN are refused.
bool ParseValueText(std::string_view text, double& value);
// `value` with `decimals` digits after '.', whatever the process locale.
std::string FormatFixed(double value, int decimals);

// A selector with an up and a down arrow drawn into a buffer of its own: a
// left press on an arrow (not the second press of a double click) shows it
// pressed, steps, and repeats until the release.
class TArrowSelector : public TCustomControl {
public:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CancelMode() override;
  void CreateWnd() override { RedrawBuffer(); }

protected:
  TArrowSelector(TComponent* AOwner, const TRect& up, const TRect& down);
  virtual void RedrawBuffer() = 0;
  // +1 for the up arrow, −1 for the down arrow.
  virtual void Step(int direction) = 0;
  // Draws the pressed arrow, if any, into the buffer from SPIN-BTN-DN: the
  // up arrow from (0, 0), the down arrow from (0, downTop).
  void DrawPressedArrow(int downTop);
  bool ArrowPressed() const { return FPressed >= 0; }

  TBitmap FBuffer;
  std::unique_ptr<TBitmap> FSpinDown;

private:
  void Release();

  TRect FArrows[2];
  int FPressed = -1; // −1 none, 0 up, 1 down
  TAutoRepeat FRepeat;
};

} // namespace qvt

// The waveform selector (78×19): "1 Sine" … "4 Inv Saw" in the FONT1 font,
// and an up and a down arrow.
class TZTextSpinEdit : public qvt::TArrowSelector {
public:
  explicit TZTextSpinEdit(TComponent* AOwner);

  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value);
  // The item index 0…MaxValue. A different value is stored, limited, drawn
  // and announced (also when the limit brings it back to where it was).
  int RealValue() const { return FRealValue; }
  void SetRealValue(int value);
  // index × 0.1; writing v selects round(v × 10).
  double Value() const { return FRealValue * 0.1; }
  void SetValue(double value);
  TOscType WaveForm() const;
  // The text shown for an index (empty beyond the four waves).
  std::string ItemText(int index) const;

  TNotifyEvent OnChange;

protected:
  void RedrawBuffer() override;
  void Step(int direction) override { SetRealValue(FRealValue + direction); }

private:
  std::unique_ptr<TBitmap> FBackground;
  int FRealValue = 0;
  int FMaxValue = 3;
};

// A numeric editor (78×19) of six digits in the DIGITS-9 font: a caret for
// typing digits over them, three columns of spin arrows (increments on top,
// decrements below), auto-repeat, and a context menu to copy, paste,
// randomise or clear the value. The kinds give the digits, steps and scale.
class TZSpinEdit : public TCustomControl {
public:
  ~TZSpinEdit() override;

  double RealValue() const { return FRealValue; }
  // Rounds to the kind's decimals; a different value is limited to
  // MinValue…MaxValue, stored, drawn and announced.
  virtual void SetRealValue(double value);
  // The parameter's 0…1 value, by the kind's scale.
  virtual void SetValue(double value) = 0;
  virtual double Value() const = 0;
  // Limits kept inside the kind's hard limits; RealValue stays as it is.
  double MaxValue() const { return FMaxValue; }
  virtual void SetMaxValue(double value);
  double MinValue() const { return FMinValue; }
  virtual void SetMinValue(double value);
  double HardMin() const { return FKind.HardMin; }
  double HardMax() const { return FKind.HardMax; }

  // The digit (1…6) the caret stands under, and whether it shows.
  int CaretPosition() const { return FCaretPos; }
  bool CaretShown() const { return FCaretShown; }
  TBrndPopupMenu* ContextMenu() const { return FMenu; }

  TNotifyEvent OnChange;

  // The context menu's commands, by the item tags 0…3.
  enum TMenuCommand { mcCopy, mcPaste, mcRandom, mcSetZero };
  void RunMenuCommand(int tag);

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void CancelMode() override;
  void CreateWnd() override { RedrawBuffer(); }

  // What a kind fixes: its faces, hard limits, decimals and digit places.
  struct TKind {
    const char* Face;
    const char* DisabledFace;
    double HardMin, HardMax;
    int Decimals; // of RealValue
    TRect DigitRects[6];
  };

protected:
  TZSpinEdit(TComponent* AOwner, const TKind& kind);
  // Disabling also lets go of the caret and of a held arrow.
  void EnabledChanged() override;

  virtual void RedrawBuffer();
  // Arrow 0…5: the kind's step.
  virtual void SpinStep(int arrow) = 0;
  virtual void UpdateCaret();
  // A digit or the minus sign typed at the caret.
  virtual void TypeChar(char ch) = 0;
  // The six digit values shown (−1 blank, 0…9, 10 minus).
  virtual void DigitValues(int (&digits)[6]) const = 0;

  // Puts `ch` over digit CaretPosition of `six`, moves the caret on and
  // answers the six digits as an integer (0 when they are not digits).
  long TypeOver(std::string six, char ch);

private:
  void ShowCaretAt(int position);
  void HideCaretNow();
  void Release();
  void OpenMenu(int X, int Y);

  const TKind& FKind;
  std::unique_ptr<TBitmap> FFace;
  std::unique_ptr<TBitmap> FDisabledFace;
  std::unique_ptr<TBitmap> FSpinDown;
  std::unique_ptr<TBitmap> FDigits;
  TBitmap FBuffer;
  double FRealValue = 0.0;
  double FMinValue, FMaxValue;
  int FCaretPos = 1;
  bool FCaretShown = false;
  int FPressed = -1; // −1 none, 0…5
  TBrndPopupMenu* FMenu = nullptr;
  qvt::TAutoRepeat FRepeat;
};

// A frequency ratio 0…64 with four decimals; Value = RealValue / 64.
class TZSpinEditRatio : public TZSpinEdit {
public:
  explicit TZSpinEditRatio(TComponent* AOwner);
  void SetValue(double value) override { SetRealValue(qvt::RatioFromValue(value)); }
  double Value() const override { return qvt::ValueFromRatio(RealValue()); }

protected:
  void SpinStep(int arrow) override;
  void TypeChar(char ch) override;
  void DigitValues(int (&digits)[6]) const override;
};

// A frequency offset −999.99…9999.99 with two decimals;
// Value = (RealValue + 999.99) / 10999.98.
class TZSpinEditOffset : public TZSpinEdit {
public:
  explicit TZSpinEditOffset(TComponent* AOwner);
  void SetValue(double value) override { SetRealValue(qvt::OffsetFromValue(value)); }
  double Value() const override { return qvt::ValueFromOffset(RealValue()); }

  // The step of the leftmost arrows.
  int LargeInc = 100;

protected:
  void SpinStep(int arrow) override;
  // Digits edit the magnitude; a negative value keeps its sign.
  void TypeChar(char ch) override;
  void DigitValues(int (&digits)[6]) const override;
};

// The scheme selector (79×35): the picture and number of one of the
// synthesis schemes, with an up and a down arrow.
class TZScemEdit : public qvt::TArrowSelector {
public:
  explicit TZScemEdit(TComponent* AOwner);

  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value);
  int Index() const { return FIndex; }
  // index × 0.1. Writing selects round(10 × v) within 1…MaxValue, without an event.
  double Value() const { return FIndex * 0.1; }
  void SetValue(double value);

  TNotifyEvent OnChange;

protected:
  void RedrawBuffer() override;
  // Also at the ends of the range, where the index stays, OnChange fires.
  void Step(int direction) override;

private:
  std::unique_ptr<TBitmap> FBackground;
  std::unique_ptr<TBitmap> FSchemes;
  std::unique_ptr<TBitmap> FDigits;
  int FIndex = 1;
  int FMaxValue = 9;
};
