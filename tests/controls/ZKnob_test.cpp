// The knob: value to position (clamping, halves to even, zero range), the
// vertical drag, direct repaint and the frame it draws.
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
    Knob->OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, Knob);
      ++Changes;
    };
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

TEST_F(ZKnob, SetValueClampsAndRoundsToTheNearestPositionHalvesToEven) {
  EXPECT_EQ(Knob->Position(), 0);
  EXPECT_EQ(Knob->Value(), 0.0);
  EXPECT_DOUBLE_EQ(Knob->Step(), 1.0 / 127);
  EXPECT_EQ(Changes, 0) << "construction fires nothing";

  Knob->SetValue(0.5); // round(63.5) = 64
  EXPECT_EQ(Knob->Position(), 64);
  EXPECT_DOUBLE_EQ(Knob->Value(), 64.0 / 127);
  Knob->SetValue(2.0);
  EXPECT_EQ(Knob->Position(), 127);
  EXPECT_DOUBLE_EQ(Knob->Value(), 1.0);
  Knob->SetValue(-3.0);
  EXPECT_EQ(Knob->Position(), 0);
  EXPECT_EQ(Changes, 3);

  Knob->SetMaxValue(127); // Step 1: halves are exact
  const struct {
    double Value;
    int Position;
  } cases[] = {{2.5, 2}, {3.5, 4}, {64.5, 64}, {65.5, 66}, {126.5, 126}, {2.49, 2}, {2.51, 3}};
  for (const auto& c : cases) {
    Knob->SetValue(c.Value);
    EXPECT_EQ(Knob->Position(), c.Position) << c.Value;
    EXPECT_EQ(Knob->Value(), c.Position) << c.Value;
  }
}

TEST_F(ZKnob, AValueOnTheCurrentPositionOrABoundChangeMovesNothing) {
  Knob->SetValue(0.5);
  Changes = 0;
  Knob->SetValue(64.2 / 127);
  EXPECT_DOUBLE_EQ(Knob->Value(), 64.0 / 127) << "Value comes only from the position";
  EXPECT_EQ(Changes, 0);

  Knob->SetMaxValue(2.0);
  EXPECT_EQ(Knob->Position(), 64);
  EXPECT_DOUBLE_EQ(Knob->Value(), 64.0 / 127);
  EXPECT_DOUBLE_EQ(Knob->Step(), 2.0 / 127);
  EXPECT_EQ(Changes, 0);
  Knob->SetValue(1.0); // the new range from the next move on
  EXPECT_EQ(Knob->Position(), 64);
  Knob->SetValue(2.0);
  EXPECT_EQ(Knob->Position(), 127);
  EXPECT_DOUBLE_EQ(Knob->Value(), 2.0);
}

// Minimum equal to maximum leaves no step to divide by: the one value sits at position 0.
TEST_F(ZKnob, AZeroRangeOrANonNumberNeverGivesAnUndefinedPosition) {
  Knob->SetValue(0.5);
  Knob->SetMinValue(0.25);
  Knob->SetMaxValue(0.25);
  Changes = 0;
  Knob->SetValue(0.9);
  EXPECT_EQ(Knob->Position(), 0);
  EXPECT_EQ(Knob->Value(), 0.25);
  EXPECT_EQ(Changes, 1);

  Knob->SetMaxValue(1.0);
  Knob->SetValue(std::numeric_limits<double>::quiet_NaN());
  Knob->SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(Knob->Position(), 127);
  EXPECT_EQ(Changes, 2);
}

TEST_F(ZKnob, DraggingUpTwoHundredPixelsStopsAt127WithOneEventPerPosition) {
  const int x = kLeft + 12, y = kTop + 12;
  Platform.MouseDown(*Form, x, y);
  for (int dy = 1; dy <= 200; ++dy) Platform.MouseMove(*Form, x, y - dy); // far above the form
  EXPECT_EQ(Knob->Position(), 127);
  EXPECT_EQ(Changes, 127);
  EXPECT_DOUBLE_EQ(Knob->Value(), 1.0);

  // The press point stays the anchor: back down to 117 pixels above it, sideways meaning nothing.
  Platform.MouseMove(*Form, x, y - 150);
  EXPECT_EQ(Knob->Position(), 127);
  Platform.MouseMove(*Form, x + 30, y - 117);
  EXPECT_EQ(Knob->Position(), 117);
  Platform.MouseMove(*Form, x, y + 500);
  EXPECT_EQ(Knob->Position(), 0);
  EXPECT_EQ(Changes, 129);
  Platform.MouseUp(*Form, x, y + 500);
  EXPECT_FALSE(Knob->Dragging());
  Platform.MouseMove(*Form, x, y - 50);
  EXPECT_EQ(Knob->Position(), 0) << "released, the knob no longer follows";
}

TEST_F(ZKnob, TheDragStartsFromTheCurrentPositionAndOnlyTheLeftButtonDrags) {
  Knob->SetValue(0.5);
  const int x = kLeft + 5, y = kTop + 20;
  Platform.MouseDown(*Form, x, y, mbRight);
  Platform.MouseMove(*Form, x, y - 10);
  EXPECT_EQ(Knob->Position(), 64);
  Platform.MouseUp(*Form, x, y - 10, mbRight);

  Platform.MouseDown(*Form, x, y);
  Platform.MouseMove(*Form, x, y - 3);
  EXPECT_EQ(Knob->Position(), 67);
  Platform.MouseUp(*Form, x, y - 3);
}

TEST_F(ZKnob, TheSecondPressOfADoubleClickStartsNoDrag) {
  const int x = kLeft + 12, y = kTop + 12;
  Platform.Click(*Form, x, y);
  Platform.MouseDown(*Form, x, y); // within the double-click time: a double click
  EXPECT_FALSE(Knob->Dragging());
  Platform.MouseMove(*Form, x, y - 20);
  EXPECT_EQ(Knob->Position(), 0);
  Platform.MouseUp(*Form, x, y - 20);

  Platform.AdvanceTime(Application->DoubleClickTime + 1);
  Platform.MouseDown(*Form, x, y);
  EXPECT_TRUE(Knob->Dragging());
  Platform.MouseUp(*Form, x, y);
}

TEST_F(ZKnob, EachPositionShowsItsFrameOverTheBackgroundAndMovesRepaintAtOnce) {
  for (const int p : {0, 64, 127}) {
    SCOPED_TRACE(p);
    Knob->SetValue(p / 127.0);
    ASSERT_EQ(Knob->Position(), p);
    // No message handled since: the knob painted itself when it moved.
    int greens = 0;
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) {
        ASSERT_EQ(ShownAt(x, y), Expected(p, x, y)) << x << "," << y;
        greens += ShownAt(x, y) == Form->Color;
      }
    EXPECT_GT(greens, 0) << "the background shows around the knob";
  }
  EXPECT_EQ(PixelAt(kLeft - 1, kTop), Form->Color);
  EXPECT_EQ(PixelAt(kLeft + 25, kTop + 24), Form->Color);

  TZKnob loose(nullptr); // no parent: moves without painting
  loose.SetValue(1.0);
  EXPECT_EQ(loose.Position(), 127);
}

} // namespace
