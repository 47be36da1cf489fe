// A headless platform per test, and a form shown on it.
#pragma once

#include <gtest/gtest.h>

#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/core/uMenuLoop.h"
#include "platform/headless/uHeadlessPlatform.h"
#include "tests/platform/ProbeControl.h"

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

  // The open menu windows, the root level first.
  static std::vector<TMenuWindow*> MenuWindows() {
    std::vector<TMenuWindow*> out;
    for (TForm* form : Application->Forms())
      if (auto* w = dynamic_cast<TMenuWindow*>(form)) out.push_back(w);
    return out;
  }
  // The colour of a pixel of the form's back buffer after painting.
  TColor PixelAt(int x, int y) {
    Application->ProcessMessages();
    return qvt::ColorOfPixel(Form->BackBuffer().Pixel(x, y));
  }
};
