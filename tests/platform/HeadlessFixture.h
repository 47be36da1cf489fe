// A headless platform per test, and a form shown on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/headless/uHeadlessPlatform.h"

class HeadlessTest : public ::testing::Test {
protected:
  qvt::THeadlessPlatform Platform;
  TForm* Form = nullptr;

  void SetUp() override {
    Form = new TForm(nullptr);
    Form->BorderStyle = bsNone;
    Form->SetBounds(0, 0, 200, 100);
    Form->Color = RGBColor(10, 20, 30);
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    delete Form;
    Application->ProcessMessages();
  }

  // The colour of a pixel of the form's back buffer after painting.
  TColor PixelAt(int x, int y) {
    Application->ProcessMessages();
    return qvt::ColorOfPixel(Form->BackBuffer().Pixel(x, y));
  }
};

// A graphic control that fills itself and records what it receives.
class ProbeControl : public TGraphicControl {
public:
  explicit ProbeControl(TComponent* owner, TColor fill = clWhite)
      : TGraphicControl(owner), Fill(fill) {}
  TColor Fill;
  int Paints = 0;
  std::vector<std::string> Log;

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
  void Click() override { Log.push_back("click"); }
  void DblClick() override { Log.push_back("dblclick"); }
};
