// The wave-shape display: its curve, its picture, the drag and the double click.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "controls/uZShaper.h"
#include "dsp/uOsc.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class ShapeBox : public HeadlessTest {
protected:
  static void SetUpTestSuite() { LoadWaveTable(); }

  TShapeBox* Box = nullptr;
  std::vector<std::string> Events;

  void SetUp() override {
    HeadlessTest::SetUp();
    Box = new TShapeBox(Form);
    Box->SetParent(Form);
    Box->SetBounds(20, 10, 100, 100);
    Box->OnShapeChange = [this](TObject*) { Events.push_back("shape"); };
    Box->OnReductionChange = [this](TObject*) { Events.push_back("reduction"); };
  }
  // The curve's rows at the 32 phases it is drawn through.
  std::set<double> Rows() const {
    std::set<double> rows;
    for (int i = 0; i <= 31; ++i) rows.insert(Box->CurveY(i * 2 * std::numbers::pi / 31));
    return rows;
  }
  void Move(int x, int y) { Platform.MouseMove(*Form, 20 + x, 10 + y); }
};

TEST_F(ShapeBox, TheCurveFollowsTheWaveThroughTheShaperAndTheReductionSetSilently) {
  EXPECT_EQ(Box->Width(), 38) << "the background's size only";
  EXPECT_EQ(Box->Height(), 33);
  Box->SetWaveFormValue(0.9);
  EXPECT_EQ(Box->WaveForm(), otISw) << "the last wave";
  Box->SetWaveForm(otSin);
  EXPECT_DOUBLE_EQ(Box->CurveY(0), 16);
  EXPECT_DOUBLE_EQ(Box->CurveY(std::numbers::pi / 2), 3);
  EXPECT_DOUBLE_EQ(Box->CurveY(3 * std::numbers::pi / 2), 29);
  // sin(2π·64/2048) = 0.1951; Shape 1 shapes it with 0.99 to 0.9797, drawn
  // as 250/255; Shape 0 with the clamp −0.93 to 0.0087, drawn as 2/255.
  const double phase = 64 * 2 * std::numbers::pi / 2048;
  Box->SetShape(1.0f);
  EXPECT_NEAR(Box->CurveY(phase), 16 - 13 * 250.0 / 255, 1e-9);
  Box->SetShape(0.0f);
  EXPECT_NEAR(Box->CurveY(phase), 16 - 13 * 2.0 / 255, 1e-9);

  Box->SetReduction(1.0f); // every wave and shape drawn on three rows only
  for (const TOscType wave : {otSin, otTri, otSaw, otISw}) {
    SCOPED_TRACE(int(wave));
    Box->SetWaveForm(wave);
    for (const double row : Rows()) EXPECT_TRUE(row == 3 || row == 16 || row == 29) << row;
  }
  EXPECT_TRUE(Events.empty());
}

TEST_F(ShapeBox, TheCurveIsDrawnInThePenColourInsideTheDrawingAreaOverTheSkin) {
  Box->SetReduction(1.0f); // the sine becomes −1, 0, +1: flat runs on rows 3, 16 and 29
  const TBitmap picture = Platform.ControlPicture(*Box);
  const auto skin = LoadSkinBitmap("ZSHAPER");
  int changed = 0;
  for (int y = 0; y < 33; ++y)
    for (int x = 0; x < 38; ++x) {
      const bool same = ((picture.Pixel(x, y) ^ skin->Pixel(x, y)) & 0xFFFFFF) == 0;
      if (x < 3 || y < 3 || x > 35 || y > 30) {
        EXPECT_TRUE(same) << x << "," << y;
      }
      changed += !same;
    }
  EXPECT_GT(changed, 31);
  // A flat run covers its pixels by 253/255: red 173, green 255, blue 187 within 2.
  for (const TPoint p : {TPoint{10, 3}, TPoint{26, 29}}) {
    const TColor c = qvt::ColorOfPixel(picture.Pixel(p.X, p.Y));
    EXPECT_NEAR(RedOf(c), 173, 2) << p.X;
    EXPECT_NEAR(GreenOf(c), 255, 2) << p.X;
    EXPECT_NEAR(BlueOf(c), 187, 2) << p.X;
  }
}

TEST_F(ShapeBox, DraggingStepsOnePixelAtATimeAndAnnouncesOnlyRealChanges) {
  Platform.MouseDown(*Form, 20 + 10, 10 + 20);
  for (int dy = 1; dy <= 300; ++dy) Move(10, 20 - dy); // up, far beyond the top
  EXPECT_FLOAT_EQ(Box->Shape(), 1.0f);
  EXPECT_EQ(Events, std::vector<std::string>(100, "shape"));
  Events.clear();
  for (int dx = 1; dx <= 50; ++dx) Move(10 + dx, -280);
  EXPECT_FLOAT_EQ(Box->Reduction(), 0.25f);
  EXPECT_EQ(Events, std::vector<std::string>(50, "reduction"));
  Move(-100, -280); // left of the start: Reduction stops at 0
  EXPECT_FLOAT_EQ(Box->Reduction(), 0.0f);
  Platform.MouseUp(*Form, 20 - 100, 10 - 280);
  Events.clear();
  Move(10, 20);
  EXPECT_TRUE(Events.empty()) << "the drag ended with the release";
}

TEST_F(ShapeBox, ADoubleClickResetsBothAmountsAndDoesNotStartADrag) {
  Box->SetShape(0.2f);
  Box->SetReduction(0.6f);
  Platform.MouseDown(*Form, 30, 20);
  Platform.MouseUp(*Form, 30, 20);
  Platform.MouseDown(*Form, 30, 20); // the second press of a double click
  EXPECT_EQ(Events, (std::vector<std::string>{"reduction", "shape"}));
  EXPECT_FLOAT_EQ(Box->Shape(), 0.5f);
  EXPECT_EQ(Box->ReductionSteps(), 0);
  Move(40, 0);
  EXPECT_EQ(Events.size(), 2u);
  Platform.MouseUp(*Form, 60, 10);
}

} // namespace
