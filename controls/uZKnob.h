// TZKnob: the editor's rotary control. A 25×25 graphic control showing one of
// the 128 frames of the shared KNOB128 strip and mapping its position 0…127
// linearly onto MinValue…MaxValue. Dragged vertically, one position per pixel.
#pragma once

#include "platform/core/uControls.h"

class TZKnob : public TGraphicControl {
public:
  static constexpr int kPositions = 128;
  static constexpr int kSize = 25;

  explicit TZKnob(TComponent* AOwner);

  // The frame shown, 0…127.
  int Position() const { return FPosition; }
  // Always MinValue + Position·Step after a move.
  double Value() const { return FValue; }
  double MinValue() const { return FMinValue; }
  double MaxValue() const { return FMaxValue; }
  double Step() const { return FStep; }
  bool Dragging() const { return FDragging; }

  // Clamps v to the range and moves to the nearest position (halves to even).
  // A value that lands on the current position changes nothing.
  virtual void SetValue(double v);
  // Store the bound and recompute Step; position and Value stay until the next move.
  virtual void SetMaxValue(double v);
  virtual void SetMinValue(double v);

  TNotifyEvent OnChange;

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CancelMode() override;

private:
  // Moves to p clamped to 0…127; when that differs from the current position
  // the knob repaints at once, Value follows and OnChange fires.
  void SetPosition(int p);
  void UpdateStep();

  int FPosition = 0;
  int FDragAnchor = 0;
  bool FDragging = false;
  double FMaxValue = 1.0;
  double FMinValue = 0.0;
  double FValue = 0.0;
  double FStep = 1.0 / 127.0;
};
