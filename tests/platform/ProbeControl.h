// A graphic control that fills itself and records what it receives; shared by
// the headless and the X11 tests.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/uForms.h"

class ProbeControl : public TGraphicControl {
public:
  explicit ProbeControl(TComponent* owner, TColor fill = clWhite)
      : TGraphicControl(owner), Fill(fill) {}
  // Owned by its parent, placed at `bounds`.
  ProbeControl(TWinControl* parent, const TRect& bounds, TColor fill = clWhite)
      : ProbeControl(static_cast<TComponent*>(parent), fill) {
    SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    SetParent(parent);
  }
  TColor Fill;
  int Paints = 0, Clicks = 0;
  std::vector<std::string> Log;

  bool Logged(const std::string& entry) const {
    return std::find(Log.begin(), Log.end(), entry) != Log.end();
  }
  void Paint() override {
    ++Paints;
    Canvas().Brush.Color = Fill;
    Canvas().FillRect({-50, -50, Width() + 50, Height() + 50}); // clipping keeps it inside
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    Log.push_back("down " + std::to_string(x) + "," + std::to_string(y) +
                  ((s & ssDouble) ? " double" : ""));
    TGraphicControl::MouseDown(b, s, x, y);
  }
  void MouseMove(TShiftState s, int x, int y) override {
    Log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    TGraphicControl::MouseMove(s, x, y);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    Log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    TGraphicControl::MouseUp(b, s, x, y);
  }
  void MouseEnter() override { Log.push_back("enter"); }
  void MouseLeave() override { Log.push_back("leave"); }
  void Click() override {
    ++Clicks;
    Log.push_back("click");
  }
  void DblClick() override { Log.push_back("dblclick"); }
};
