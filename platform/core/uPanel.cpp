#include "platform/core/uPanel.h"

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
  SetBounds(0, 0, 185, 41);
}

void TPanel::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = Color;
  canvas.FillRect(ClientRect());
  if (BevelOuter != bvNone && Width() > 1 && Height() > 1) {
    const TColor light = clWhite, dark = RGBColor(160, 160, 160);
    const TColor topLeft = BevelOuter == bvRaised ? light : dark;
    const TColor bottomRight = BevelOuter == bvRaised ? dark : light;
    canvas.Pen.Color = topLeft;
    canvas.MoveTo(0, Height() - 1);
    canvas.LineTo(0, 0);
    canvas.LineTo(Width() - 1, 0);
    canvas.Pen.Color = bottomRight;
    canvas.LineTo(Width() - 1, Height() - 1);
    canvas.LineTo(0, Height() - 1);
  }
  if (!Caption.empty()) {
    canvas.Font = Font;
    canvas.Brush.Style = bsClear;
    canvas.TextRect(ClientRect(), Caption, tfCenter | tfVerticalCenter | tfEndEllipsis);
  }
}
