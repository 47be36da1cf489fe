// Bitmap copies on known pixels, drawing primitives and text measurement.
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

  // Draw honours the bitmap's own transparency settings.
  TBitmap again = Filled(3, 1, qvt::OpaquePixel(clWhite));
  knob.Transparent = true;
  knob.TransparentColor = RGBColor(0, 255, 0);
  again.Canvas().Draw(0, 0, knob);
  EXPECT_EQ(ColorOfPixel(again.Pixel(0, 0)), clWhite);
  EXPECT_EQ(ColorOfPixel(again.Pixel(1, 0)), RGBColor(200, 100, 50));
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

TEST(CanvasCopy, PremultipliedAlphaAddsTheSourceOverTheRemainderOfTheDestination) {
  TBitmap source(3, 1);
  source.PixelFormat = pf32bit;
  source.AlphaFormat = afPremultiplied;
  source.SetPixel(0, 0, Bgra(0, 0, 127, 128));  // red 255 at alpha 128, premultiplied
  source.SetPixel(1, 0, Bgra(0, 0, 0, 0));      // fully transparent
  source.SetPixel(2, 0, Bgra(10, 20, 30, 255)); // opaque
  TBitmap dest = Filled(3, 1, Bgra(200, 200, 200, 255));

  dest.Canvas().Draw(0, 0, source);
  // d·(255 − 128)/255 = 200·127/255 → 100 (rounded), plus the source.
  EXPECT_EQ(dest.Pixel(0, 0), Bgra(100, 100, 227, 255));
  EXPECT_EQ(dest.Pixel(1, 0), Bgra(200, 200, 200, 255));
  EXPECT_EQ(dest.Pixel(2, 0), Bgra(10, 20, 30, 255));

  // With a constant alpha too, the source is scaled first: 255·128/255 → alpha 128.
  TBitmap opaque(1, 1);
  opaque.AlphaFormat = afPremultiplied;
  opaque.SetPixel(0, 0, Bgra(0, 0, 255, 255));
  TBitmap half = Filled(1, 1, Bgra(0, 0, 0, 255));
  half.Canvas().AlphaBlendCopy(0, 0, opaque, opaque.BoundsRect(), 128);
  EXPECT_EQ(half.Pixel(0, 0), Bgra(0, 0, 128, 255));
}

TEST(CanvasCopy, CopyRectStretchesToTheDestinationSize) {
  TBitmap source(2, 1);
  source.SetPixel(0, 0, qvt::OpaquePixel(clBlack));
  source.SetPixel(1, 0, qvt::OpaquePixel(clWhite));
  TBitmap dest(4, 2);
  dest.Canvas().CopyRect({0, 0, 4, 2}, source, source.BoundsRect());
  EXPECT_EQ(ColorOfPixel(dest.Pixel(1, 1)), clBlack);
  EXPECT_EQ(ColorOfPixel(dest.Pixel(2, 0)), clWhite);
}

TEST(CanvasDrawing, FillFrameAndLinesLeaveTheRightAndBottomEdgesOut) {
  TBitmap bitmap = Filled(10, 10, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush.Color = clWhite;
  canvas.FrameRect({1, 1, 5, 5});
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(1, 1)), clWhite);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(4, 4)), clWhite);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(2, 2)), clBlack);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(5, 5)), clBlack);

  canvas.Pen.Color = RGBColor(1, 2, 3);
  canvas.MoveTo(0, 9);
  canvas.LineTo(9, 9);
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(0, 9)), RGBColor(1, 2, 3));
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(8, 9)), RGBColor(1, 2, 3));
  EXPECT_EQ(ColorOfPixel(bitmap.Pixel(9, 9)), clBlack);
  EXPECT_EQ(canvas.PenPos, (TPoint{9, 9}));
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

TEST(CanvasDrawing, AWindowedCanvasDrawsOnlyInsideItsClip) {
  TBitmap bitmap = Filled(20, 20, qvt::OpaquePixel(clBlack));
  TCanvas canvas;
  canvas.SetTarget(&bitmap, {5, 5}, {5, 5, 10, 10});
  canvas.Brush.Color = clWhite;
  canvas.FillRect({-100, -100, 100, 100});
  EXPECT_EQ(InkBounds(bitmap, qvt::OpaquePixel(clBlack)), (TRect{5, 5, 10, 10}));
  EXPECT_EQ(canvas.ClipRect(), (TRect{0, 0, 5, 5}));
  EXPECT_EQ(ColorOfPixel(canvas.Pixel(0, 0)), clWhite);
}

class CanvasText : public ::testing::TestWithParam<bool> {
protected:
  qvt::TFreeTypeFontEngine FreeType;
  void SetUp() override {
    if (GetParam()) qvt::SetFontEngine(&FreeType);
  }
  void TearDown() override { qvt::SetFontEngine(nullptr); }
};

TEST_P(CanvasText, TextStaysInsideTheBoxThatMeasuringAnswers) {
  TBitmap bitmap = Filled(200, 40, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font.Name = "Tahoma";
  canvas.Font.Height = -13;
  canvas.Font.Color = clWhite;
  canvas.Brush.Style = bsClear;
  const int width = canvas.TextWidth("Quivertone");
  const int height = canvas.TextHeight("Quivertone");
  EXPECT_GT(width, canvas.TextWidth("Quiver"));
  EXPECT_GE(height, 13);
  EXPECT_LE(height, 2 * 13);

  canvas.TextOut(10, 5, "Quivertone");
  const TRect ink = InkBounds(bitmap, qvt::OpaquePixel(clBlack));
  ASSERT_FALSE(ink.IsEmpty());
  EXPECT_GE(ink.Left, 10 - 1);
  EXPECT_LE(ink.Right, 10 + width + 1);
  EXPECT_GE(ink.Top, 5);
  EXPECT_LE(ink.Bottom, 5 + height);
  EXPECT_GT(ink.Width(), width / 2);
}

TEST_P(CanvasText, AnOpaqueBackgroundFillsTheTextBox) {
  TBitmap bitmap = Filled(100, 30, qvt::OpaquePixel(clBlack));
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush.Color = RGBColor(34, 51, 43);
  canvas.Font.Color = clWhite;
  canvas.TextOut(3, 4, "Ab");
  const TRect box = Bounds(3, 4, canvas.TextWidth("Ab"), canvas.TextHeight("Ab"));
  EXPECT_EQ(InkBounds(bitmap, qvt::OpaquePixel(clBlack)), box);
}

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
