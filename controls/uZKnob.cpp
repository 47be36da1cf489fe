#include "controls/uZKnob.h"

#include <algorithm>
#include <cmath>

#include "controls/uBitmapEx.h"

namespace {

constexpr TColor kTransparentGreen = RGBColor(0, 255, 0);

// Nearest integer, halves to even, whatever the floating-point rounding mode.
double RoundHalfEven(double q) {
  const double below = std::floor(q);
  const double rest = q - below;
  if (rest > 0.5) return below + 1;
  if (rest < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

} // namespace

TZKnob::TZKnob(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, kSize, kSize); }

void TZKnob::SetValue(double v) {
  if (v == FValue || std::isnan(v)) return;
  if (v < FMinValue)
    v = FMinValue;
  else if (v > FMaxValue)
    v = FMaxValue;
  // A zero range has only the one value: position 0.
  double q = FStep != 0 ? (v - FMinValue) / FStep : 0;
  if (!std::isfinite(q)) q = 0;
  SetPosition(static_cast<int>(RoundHalfEven(std::clamp(q, -1.0, double(kPositions)))));
}

void TZKnob::SetMaxValue(double v) {
  if (v == FMaxValue) return;
  FMaxValue = v;
  UpdateStep();
}

void TZKnob::SetMinValue(double v) {
  if (v == FMinValue) return;
  FMinValue = v;
  UpdateStep();
}

void TZKnob::UpdateStep() { FStep = (FMaxValue - FMinValue) * (1.0 / 127.0); }

void TZKnob::SetPosition(int p) {
  p = std::clamp(p, 0, kPositions - 1);
  if (p == FPosition) return;
  FPosition = p;
  if (Parent()) Repaint();
  FValue = FPosition * FStep + FMinValue;
  if (OnChange) OnChange(this);
}

void TZKnob::Paint() {
  const TBitmap* strip = qvt::SharedSkinImages().Knob128.get();
  if (!strip) return;
  // A shorter strip than the catalogue promises shows its last frame.
  const int frame = std::min(FPosition, strip->Height() / kSize - 1);
  if (frame < 0) return;
  Canvas().TransparentCopy(0, 0, *strip, Bounds(0, kSize * frame, kSize, kSize),
                           kTransparentGreen);
}

void TZKnob::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && !(Shift & ssDouble)) {
    FDragAnchor = Y + FPosition;
    FDragging = true;
  }
}

void TZKnob::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FDragging) SetPosition(FDragAnchor - Y);
}

void TZKnob::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  FDragAnchor = 0;
  FDragging = false;
}

// The mouse was taken away (a menu or a message box opened): the drag ends.
void TZKnob::CancelMode() {
  FDragAnchor = 0;
  FDragging = false;
}
