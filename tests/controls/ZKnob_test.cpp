// The knob: value to position, the vertical drag, and the frame it paints at once.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/uBitmapEx.h"
#include "controls/uZKnob.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class ZKnob : public HeadlessTest {
protected:
  static constexpr int kLeft = 40, kTop = 60;
  TZKnob* Knob = nullptr;
  int Changes = 0;

  void SetUp() override {
    qvt::LoadSharedSkinImages();
    HeadlessTest::SetUp();
    Knob = new TZKnob(Form);
    Knob->SetBounds(kLeft, kTop, 25, 25);
    Knob->SetParent(Form);
    Knob->OnChange = [this](TObject*) { ++Changes; };
    Application->ProcessMessages();
  }
  void TearDown() override {
    HeadlessTest::TearDown();
    qvt::FreeSharedSkinImages();
  }
  // The knob's pixels on the form's back buffer as they are now, without painting.
  TColor ShownAt(int x, int y) {
    return qvt::ColorOfPixel(Form->BackBuffer().Pixel(kLeft + x, kTop + y));
  }
  // Frame p of the strip over the form's colour, its pure green dropped.
  TColor Expected(int p, int x, int y) {
    const TColor skin = qvt::ColorOfPixel(qvt::SharedSkinImages().Knob128->Pixel(x, 25 * p + y));
    return skin == RGBColor(0, 255, 0) ? Form->Color : skin;
  }
};

TEST_F(ZKnob, SetValueClampsRoundsHalvesToEvenAndMovesOnlyWhenThePositionChanges) {
  // {value, position}; a value landing on the current position changes nothing.
  const double cases[][2] = {{0.5, 64}, {64.2 / 127, 64}, {2.0, 127}, {-3.0, 0}};
  for (const auto& [value, position] : cases) {
    Knob->SetValue(value);
    EXPECT_EQ(Knob->Position(), position) << value;
    EXPECT_DOUBLE_EQ(Knob->Value(), position / 127) << "Value comes from the position";
  }
  EXPECT_EQ(Changes, 3) << "none at construction, none for 64.2/127";

  Knob->SetMaxValue(127); // Step 1: halves are exact
  EXPECT_EQ(Knob->Value(), 0.0) << "a new bound moves nothing";
  for (const auto& [value, position] : {std::pair{2.5, 2}, {3.5, 4}, {65.5, 66}, {2.51, 3}}) {
    Knob->SetValue(value);
    EXPECT_EQ(Knob->Position(), position) << value;
  }
}

// Minimum equal to maximum leaves no step to divide by: the one value sits at position 0.
TEST_F(ZKnob, AZeroRangeOrANonNumberNeverGivesAnUndefinedPosition) {
  Knob->SetValue(0.5);
  Knob->SetMinValue(0.25);
  Knob->SetMaxValue(0.25);
  Knob->SetValue(0.9);
  EXPECT_EQ(Knob->Position(), 0);
  Knob->SetMaxValue(1.0);
  Knob->SetValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(Knob->Position(), 0);
  Knob->SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(Knob->Position(), 127);
}

// Neither the right button nor the second press of a double click drags.
TEST_F(ZKnob, DraggingMovesOnePositionPerPixelUpToTheEndsButOnlyFromAPlainLeftPress) {
  const int x = kLeft + 12, y = kTop + 12;
  Platform.MouseDown(*Form, x, y, mbRight);
  EXPECT_FALSE(Knob->Dragging());
  Platform.MouseUp(*Form, x, y, mbRight);
  Platform.AdvanceTime(Application->DoubleClickTime + 1);
  Platform.Click(*Form, x, y);
  Platform.MouseDown(*Form, x, y); // within the double-click time: a double click
  Platform.MouseMove(*Form, x, y - 20);
  EXPECT_EQ(Knob->Position(), 0);
  Platform.MouseUp(*Form, x, y - 20);

  Platform.AdvanceTime(Application->DoubleClickTime + 1);
  Platform.MouseDown(*Form, x, y);
  for (int dy = 1; dy <= 200; ++dy) Platform.MouseMove(*Form, x, y - dy); // far above the form
  EXPECT_EQ(Knob->Position(), 127);
  EXPECT_EQ(Changes, 127);
  // The press point stays the anchor; sideways means nothing.
  Platform.MouseMove(*Form, x + 30, y - 117);
  EXPECT_EQ(Knob->Position(), 117);
  Platform.MouseMove(*Form, x, y + 500);
  EXPECT_EQ(Knob->Position(), 0);
  EXPECT_EQ(Changes, 129);
  Platform.MouseUp(*Form, x, y + 500);
  Platform.MouseMove(*Form, x, y - 50);
  EXPECT_EQ(Knob->Position(), 0) << "released, the knob no longer follows";
}

TEST_F(ZKnob, EachPositionShowsItsFrameOverTheBackgroundAndMovesRepaintAtOnce) {
  for (const int p : {0, 64, 127}) {
    SCOPED_TRACE(p);
    Knob->SetValue(p / 127.0);
    ASSERT_EQ(Knob->Position(), p);
    // No message handled since: the knob painted itself when it moved.
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) ASSERT_EQ(ShownAt(x, y), Expected(p, x, y)) << x << "," << y;
  }
  TZKnob loose(nullptr); // no parent: moves without painting
  loose.SetValue(1.0);
  EXPECT_EQ(loose.Position(), 127);
}

} // namespace
