#include "controls/uZShaper.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/uOsc.h"

namespace {
constexpr double kStepSize = 0.005; // of Shape and Reduction per step
constexpr int kMaxSteps = 200;
// The curve's area, and the phase from one column to the next: one cycle over 31 pixels.
constexpr TRect kDrawRect{3, 3, 35, 30};
constexpr double kPhaseStep = 2.0 * std::numbers::pi / (kDrawRect.Right - kDrawRect.Left - 1);

// Values from outside (a host, a stored program) are kept to 0…1.
float Unit(float value) { return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f); }
int StepsOf(float value) { return static_cast<int>(std::nearbyint(value * double(kMaxSteps))); }
} // namespace

TShapeBox::TShapeBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  FBackground = LoadSkinBitmap("ZSHAPER");
  FBuffer.SetSize(FBackground->Width(), FBackground->Height());
  FBuffer.SetPenColor(187, 255, 173, 255);
  ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
  SetBounds(Left(), Top(), FBackground->Width(), FBackground->Height());
  RedrawBuffer();
}

void TShapeBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FBackground) {
    AWidth = FBackground->Width();
    AHeight = FBackground->Height();
  }
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TShapeBox::SetWaveForm(TOscType value) {
  FWaveForm = static_cast<TOscType>(std::min<int>(value, kOscTypeCount - 1));
  RedrawBuffer();
  ShowBuffer();
}

void TShapeBox::SetWaveFormValue(double value) {
  if (std::isnan(value)) return;
  const double index = std::clamp(std::nearbyint(value * 10.0), 0.0, kOscTypeCount - 1.0);
  SetWaveForm(static_cast<TOscType>(index));
}

void TShapeBox::SetShape(float value) {
  FShape = Unit(value);
  FShapeSteps = StepsOf(FShape);
  RedrawBuffer();
  ShowBuffer();
}

void TShapeBox::SetReduction(float value) {
  FReduction = Unit(value);
  FReductionSteps = StepsOf(FReduction);
  UpdateReductionScale();
  RedrawBuffer();
  ShowBuffer();
}

void TShapeBox::UpdateReductionScale() { ReductionCoefs(FReduction, FScale, FScaleInv); }

double TShapeBox::CurveY(double phase) const {
  const float sample = WaveLookupRaw(FWaveForm, phase);
  const double amount = std::clamp(2.0 * FShape - 1.0, -0.93, 1.0);
  const double v =
      std::clamp(std::nearbyint(FScale * WaveShape(amount, sample)) * FScaleInv, -1.0, 1.0);
  const int half = (kDrawRect.Bottom - kDrawRect.Top) / 2;
  return kDrawRect.Top + half - half * v;
}

void TShapeBox::RedrawBuffer() {
  FBuffer.Canvas().Copy(0, 0, *FBackground, FBackground->BoundsRect());
  double y = CurveY(0.0);
  for (int x = kDrawRect.Left; x <= kDrawRect.Right - 2; ++x) {
    const double next = CurveY((x - kDrawRect.Left + 1) * kPhaseStep);
    FBuffer.LineF(x, y, x + 1, next);
    y = next;
  }
}

void TShapeBox::ShowBuffer() {
  if (Parent()) Repaint();
}

void TShapeBox::Paint() { Canvas().Copy(0, 0, FBuffer, FBuffer.BoundsRect()); }

void TShapeBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || (Shift & ssDouble) || !Enabled()) return;
  FAnchorX = X - FReductionSteps;
  FAnchorY = Y + FShapeSteps;
  FDragging = true;
}

void TShapeBox::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const int shape = std::clamp(FAnchorY - Y, 0, kMaxSteps);
  const int reduction = std::clamp(X - FAnchorX, 0, kMaxSteps);
  if (shape != FShapeSteps) {
    FShapeSteps = shape;
    FShape = static_cast<float>(shape * kStepSize);
    if (OnShapeChange) OnShapeChange(this);
  }
  if (reduction != FReductionSteps) {
    FReductionSteps = reduction;
    FReduction = static_cast<float>(reduction * kStepSize);
    UpdateReductionScale();
    if (OnReductionChange) OnReductionChange(this);
  }
  RedrawBuffer();
  ShowBuffer();
}

void TShapeBox::EndDrag() {
  FAnchorX = FAnchorY = 0;
  FDragging = false;
  RedrawBuffer();
  ShowBuffer();
}

void TShapeBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FDragging) EndDrag();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TShapeBox::CancelMode() {
  if (FDragging) EndDrag();
}

void TShapeBox::DblClick() {
  FShape = 0.5f;
  FShapeSteps = 100;
  FReduction = 0.0f;
  FReductionSteps = 0;
  UpdateReductionScale();
  RedrawBuffer();
  if (OnReductionChange) OnReductionChange(this);
  if (OnShapeChange) OnShapeChange(this);
  ShowBuffer();
  TGraphicControl::DblClick();
}
