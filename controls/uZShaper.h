// TShapeBox: one cycle of an oscillator's wave after its waveshaper and bit
// reduction, drawn as an anti-aliased curve over the ZSHAPER background.
// Dragging up raises Shape and dragging right raises Reduction, one step of
// 0.005 per pixel; a double click resets both.
#pragma once

#include <memory>

#include "controls/uBitmapEx.h"
#include "lib/uGlobals.h"
#include "platform/core/uControls.h"

class TShapeBox : public TGraphicControl {
public:
  explicit TShapeBox(TComponent* AOwner);

  // The control keeps the size of its background image.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TOscType WaveForm() const { return FWaveForm; }
  void SetWaveForm(TOscType value);
  // WaveForm × 0.1; writing v selects round(v × 10) within 0…3.
  double WaveFormValue() const { return static_cast<int>(FWaveForm) * 0.1; }
  void SetWaveFormValue(double value);
  // 0…1 (0.5 leaves the wave as it is). Setting it announces nothing.
  float Shape() const { return FShape; }
  void SetShape(float value);
  // 0…1 (0 keeps 8-bit steps, 1 leaves −1, 0 and +1). Setting it announces nothing.
  float Reduction() const { return FReduction; }
  void SetReduction(float value);
  int ShapeSteps() const { return FShapeSteps; }
  int ReductionSteps() const { return FReductionSteps; }

  // The screen row of the curve at a phase in radians.
  double CurveY(double phase) const;

  TNotifyEvent OnShapeChange;
  TNotifyEvent OnReductionChange;

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void CancelMode() override;

private:
  void RedrawBuffer();
  void ShowBuffer();
  void UpdateReductionScale();
  void EndDrag();

  std::unique_ptr<TBitmap> FBackground;
  TBitmapEx FBuffer;
  float FShape = 0.5f;
  int FShapeSteps = 100;
  TOscType FWaveForm = otSin;
  float FReduction = 0.0f;
  int FReductionSteps = 0;
  double FScale = 255.0, FScaleInv = 1.0 / 255.0; // reduction steps per unit and back
  int FAnchorX = 0, FAnchorY = 0;
  bool FDragging = false;
};
