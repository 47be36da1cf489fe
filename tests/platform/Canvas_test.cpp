// The drawing operations the controls use, on known pixels, and text measurement.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/uCanvas.h"
#include "platform/freetype/uFreeTypeFonts.h"

namespace {

using qvt::ColorOfPixel;

std::uint32_t Bgra(int b, int g, int r, int a) {
  return static_cast<std::uint32_t>(b | (g << 8) | (r << 16) | (a << 24));
}

TBitmap Filled(int w, int h, std::uint32_t pixel) {
  TBitmap bitmap(w, h);
  std::fill_n(bitmap.Bits(), w * h, pixel);
  return bitmap;
}

// The rectangle holding every pixel that differs from `background`.
TRect InkBounds(const TBitmap& bitmap, std::uint32_t background) {
  TRect ink{bitmap.Width(), bitmap.Height(), 0, 0};
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.Pixel(x, y) != background) {
        ink.Left = std::min(ink.Left, x);
        ink.Top = std::min(ink.Top, y);
        ink.Right = std::max(ink.Right, x + 1);
        ink.Bottom = std::max(ink.Bottom, y + 1);
      }
  return ink;
}

TEST(CanvasCopy, APlainCopyMovesTheRectangleAndClipsAtTheEdges) {
  TBitmap source(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) source.SetPixel(x, y, Bgra(x, y, 7, 255));
  TBitmap dest = Filled(6, 6, Bgra(0, 0, 0, 255));

  dest.Canvas().Copy(4, 3, source, {1, 1, 4, 4}); // 3×3 at (4,3): one column falls off
  EXPECT_EQ(dest.Pixel(4, 3), Bgra(1, 1, 7, 255));
  EXPECT_EQ(dest.Pixel(5, 5), Bgra(2, 3, 7, 255));
  EXPECT_EQ(dest.Pixel(3, 3), Bgra(0, 0, 0, 255));

  dest.Canvas().Copy(-1, -1, source, source.BoundsRect());
  EXPECT_EQ(dest.Pixel(0, 0), Bgra(1, 1, 7, 255));
}

TEST(CanvasCopy, TheTransparentColourLeavesTheDestinationShowing) {
  TBitmap knob = Filled(3, 1, qvt::OpaquePixel(RGBColor(0, 255, 0)));
  knob.SetPixel(1, 0, qvt::OpaquePixel(RGBColor(200, 100, 50)));
  TBitmap dest = Filled(3, 1, qvt::OpaquePixel(RGBColor(34, 51, 43)));

  dest.Canvas().TransparentCopy(0, 0, knob, knob.BoundsRect(), RGBColor(0, 255, 0));
  EXPECT_EQ(ColorOfPixel(dest.Pixel(0, 0)), RGBColor(34, 51, 43));
  EXPECT_EQ(ColorOfPixel(dest.Pixel(1, 0)), RGBColor(200, 100, 50));
  EXPECT_EQ(ColorOfPixel(dest.Pixel(2, 0)), RGBColor(34, 51, 43));
}

TEST(CanvasCopy, AConstantAlphaMixesSourceAndDestination) {
  const TBitmap source = Filled(1, 1, Bgra(255, 0, 200, 255));
  TBitmap dest = Filled(1, 1, Bgra(0, 100, 0, 255));

  dest.Canvas().BlendCopy(0, 0, source, source.BoundsRect(), 64);
  // (s·64 + d·191) / 255, rounded: blue 64, green 75, red 50.
  EXPECT_EQ(dest.Pixel(0, 0), Bgra(64, 75, 50, 255));

  TBitmap none = Filled(1, 1, Bgra(1, 2, 3, 255));
  none.Canvas().BlendCopy(0, 0, source, source.BoundsRect(), 0);
  EXPECT_EQ(none.Pixel(0, 0), Bgra(1, 2, 3, 255));
  none.Canvas().BlendCopy(0, 0, source, source.BoundsRect(), 255);
  EXPECT_EQ(none.Pixel(0, 0), Bgra(255, 0, 200, 255));
}

TEST(CanvasDrawing, AFrameLeavesTheRightAndBottomEdgesOut) {
  TBitmap bitmap = Filled(10, 10, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush.Color = clWhite;
  canvas.FrameRect({1, 1, 5, 5});
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(1, 1)), clWhite);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(4, 4)), clWhite);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(2, 2)), clBlack);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(5, 5)), clBlack);
}

TEST(CanvasDrawing, APolygonIsFilledWithTheBrushAndOutlinedWithThePen) {
  TBitmap bitmap = Filled(12, 12, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush.Color = RGBColor(232, 236, 238);
  canvas.Pen.Color = RGBColor(232, 236, 238);
  canvas.Polygon({{1, 8}, {9, 8}, {5, 4}}); // an upward arrow
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(5, 6)), RGBColor(232, 236, 238));
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(5, 4)), RGBColor(232, 236, 238));
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(2, 4)), clBlack);
  EXPECT_EQ(InkBounds(bitmap, qvt::OpaquePixel(clBlack)), (TRect{1, 4, 10, 9}));
}

class CanvasText : public ::testing::TestWithParam<bool> {
protected:
  qvt::TFreeTypeFontEngine FreeType;
  void SetUp() override {
    if (GetParam()) qvt::SetFontEngine(&FreeType);
  }
  void TearDown() override { qvt::SetFontEngine(nullptr); }
};

TEST_P(CanvasText, CentredTextWithAnEllipsisFitsItsRectangle) {
  TBitmap bitmap = Filled(120, 22, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font.Color = clWhite;
  canvas.Brush.Style = bsClear;
  const TRect button{0, 0, 66, 22};
  const std::string caption = "Apply pitch to all sixteen steps";

  const std::string shown = canvas.EllipsizeText(caption, button.Width());
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_EQ(caption.rfind(shown.substr(0, shown.size() - 3), 0), 0u);
  EXPECT_LE(canvas.TextWidth(shown), button.Width());

  const TRect box = canvas.TextRect(button, caption, tfCenter | tfVerticalCenter | tfEndEllipsis);
  EXPECT_EQ(box.Width(), canvas.TextWidth(shown));
  EXPECT_LE(std::abs((box.Left + box.Right) - (button.Left + button.Right)), 1);
  EXPECT_LE(std::abs((box.Top + box.Bottom) - (button.Top + button.Bottom)), 1);
  const TRect ink = InkBounds(bitmap, qvt::OpaquePixel(clBlack));
  EXPECT_GE(ink.Left, button.Left);
  EXPECT_LE(ink.Right, button.Right);

  // A short caption is kept whole and centred.
  EXPECT_EQ(canvas.EllipsizeText("Close", button.Width()), "Close");
}

TEST_P(CanvasText, EightBitCharactersAreDrawn) {
  TBitmap bitmap = Filled(60, 30, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font.Color = clWhite;
  canvas.Brush.Style = bsClear;
  canvas.TextOut(2, 2, "\xAB\xBB"); // « »
  EXPECT_FALSE(InkBounds(bitmap, qvt::OpaquePixel(clBlack)).IsEmpty());
  EXPECT_GT(canvas.TextWidth("\xAB"), 0);
}

TEST(FontEngines, TellInstalledFamiliesFromSubstitutes) {
  qvt::TFreeTypeFontEngine engine;
  EXPECT_FALSE(engine.HasFamily("No Such Family Q7"));
  EXPECT_FALSE(qvt::FallbackFontEngine().HasFamily("Tahoma"));
  std::string family;
  if (engine.MatchFile("sans-serif", 0, nullptr, &family).empty())
    GTEST_SKIP() << "no fonts installed";
  EXPECT_TRUE(engine.HasFamily(family)) << family;
}

INSTANTIATE_TEST_SUITE_P(FreeTypeAndFallback, CanvasText, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "FreeType" : "Fallback"; });

} // namespace
