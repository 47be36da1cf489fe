#include "platform/core/uLabel.h"

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csReplicatable;
  SetBounds(0, 0, 65, 17);
}

void TLabel::SetCaption(const std::string& value) {
  if (value == FCaption) return;
  FCaption = value;
  Invalidate();
}

void TLabel::Paint() {
  TCanvas& canvas = Canvas();
  if (!Transparent) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = Color;
    canvas.FillRect(ClientRect());
  }
  canvas.Font = Font;
  canvas.Brush.Style = bsClear;
  canvas.TextRect(ClientRect(), FCaption, Alignment);
}
