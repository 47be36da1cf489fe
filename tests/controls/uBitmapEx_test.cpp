// Skin images (scrambling, premultiplication), the pixel tables, TBitmapEx's
// anti-aliased drawing and the bitmap fonts.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>

#include "controls/uBitmapEx.h"
#include "controls/uSkinKey.h"
#include "lib/uResourceError.h"
#include "platform/headless/uPngWriter.h"

namespace {

std::uint32_t Bgra(int b, int g, int r, int a) {
  return static_cast<std::uint32_t>(b | (g << 8) | (r << 16) | (a << 24));
}

TBitmap Picture(int w, int h, std::uint32_t pixel) {
  TBitmap bitmap(w, h);
  std::fill_n(bitmap.Bits(), w * h, pixel);
  return bitmap;
}

// A PNG of the given colour type written by libpng: one byte per sample,
// `samples` row after row; a palette of RGB triples with its transparency
// entries. With `headerOnly` only the signature and the header chunks.
std::vector<std::uint8_t> WritePng(int colourType, int width, int height,
                                   const std::vector<std::uint8_t>& samples,
                                   const std::vector<png_color>& palette = {},
                                   const std::vector<std::uint8_t>& transparency = {},
                                   bool headerOnly = false) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!transparency.empty())
    png_set_tRNS(png, info, transparency.data(), static_cast<int>(transparency.size()), nullptr);
  png_write_info(png, info);
  if (!headerOnly) {
    const std::size_t rowBytes = samples.size() / static_cast<std::size_t>(height);
    for (int y = 0; y < height; ++y)
      png_write_row(png, samples.data() + rowBytes * static_cast<std::size_t>(y));
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(SkinImages, PaletteAndGreyImagesDecodeWithTheirAlphaWhereItIsPartial) {
  const std::vector<png_color> palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  // Partly transparent entries: premultiplied 32-bit pixels.
  auto partial = qvt::DecodeSkinImage(
      WritePng(PNG_COLOR_TYPE_PALETTE, 3, 1, {0, 1, 2}, palette, {128, 255, 0}), "PAL");
  EXPECT_EQ(partial->PixelFormat, pf32bit);
  EXPECT_EQ(partial->AlphaFormat, afPremultiplied);
  EXPECT_EQ(partial->Pixel(0, 0), Bgra(0, 0, 127, 128));
  EXPECT_EQ(partial->Pixel(1, 0), Bgra(0, 254, 0, 255));
  EXPECT_EQ(partial->Pixel(2, 0), Bgra(0, 0, 0, 0));
  // Entries only fully transparent or opaque: read as a 24-bit image, the
  // transparent entry in its own colour (the fourth byte, which 24-bit drawing
  // ignores, keeps the entry's 0 or 255).
  auto binary = qvt::DecodeSkinImage(
      WritePng(PNG_COLOR_TYPE_PALETTE, 3, 1, {0, 1, 2}, palette, {255, 0, 255}), "PAL");
  EXPECT_EQ(binary->PixelFormat, pf24bit);
  EXPECT_EQ(binary->Pixel(1, 0) & 0xFFFFFFu, Bgra(0, 255, 0, 0));
  // Grey with alpha: the grey in all three colours, premultiplied.
  auto grey =
      qvt::DecodeSkinImage(WritePng(PNG_COLOR_TYPE_GRAY_ALPHA, 2, 1, {200, 128, 90, 255}), "GREY");
  EXPECT_EQ(grey->PixelFormat, pf32bit);
  EXPECT_EQ(grey->Pixel(0, 0), Bgra(100, 100, 100, 128)); // 200·128 >> 8
  EXPECT_EQ(grey->Pixel(1, 0), Bgra(89, 89, 89, 255));
}

TEST(SkinImages, AHeaderClaimingAHugeImageRaisesTheSkinError) {
  for (const auto& [width, height] : {std::pair{100000, 100000}, std::pair{16000, 16000}}) {
    const auto header =
        WritePng(PNG_COLOR_TYPE_RGB, width, height, {}, {}, {}, /*headerOnly=*/true);
    EXPECT_THROW(qvt::DecodeSkinImage(header, "HUGE"), ESkinImageError) << width;
  }
}

TEST(SkinImages, APlainPngAndItsScrambledFormDecodeToTheSamePixels) {
  TBitmap source = Picture(3, 2, Bgra(10, 20, 30, 255));
  source.SetPixel(2, 1, Bgra(0, 255, 0, 255));
  std::vector<std::uint8_t> png = qvt::EncodePng(source);
  std::vector<std::uint8_t> scrambled = png;
  qvt::ScrambleSkinBytes(scrambled.data(), scrambled.size());
  ASSERT_NE(scrambled[0], png[0]);

  for (const auto& stored : {png, scrambled}) {
    const auto bitmap = qvt::DecodeSkinImage(stored, "TEST");
    ASSERT_EQ(bitmap->Width(), 3);
    ASSERT_EQ(bitmap->Height(), 2);
    EXPECT_EQ(bitmap->PixelFormat, pf24bit); // no alpha channel: kept as decoded
    EXPECT_EQ(bitmap->Pixel(0, 0), Bgra(10, 20, 30, 255));
    EXPECT_EQ(bitmap->Pixel(2, 1), Bgra(0, 255, 0, 255));
  }
}

TEST(SkinImages, AlphaImagesArePremultipliedByShiftingRightEightBits) {
  TBitmap source = Picture(2, 1, Bgra(0, 0, 255, 128)); // red 255 at alpha 128, straight
  source.SetPixel(1, 0, Bgra(200, 100, 50, 255));
  const auto bitmap = qvt::DecodeSkinImage(qvt::EncodePng(source, true), "TEST");
  EXPECT_EQ(bitmap->PixelFormat, pf32bit);
  EXPECT_EQ(bitmap->AlphaFormat, afPremultiplied);
  EXPECT_EQ(bitmap->Pixel(0, 0), Bgra(0, 0, 127, 128));   // (255·128) >> 8 = 127
  EXPECT_EQ(bitmap->Pixel(1, 0), Bgra(199, 99, 49, 255)); // c·255 >> 8 loses one
}

TEST(SkinImages, MissingOrUndecodableImagesRaiseAnError) {
  try {
    LoadSkinBitmap("NO_SUCH_IMAGE");
    ADD_FAILURE() << "no error";
  } catch (const ESkinImageError& error) {
    EXPECT_NE(std::string(error.what()).find(qvt::ResourceErrorText("PNG", "NO_SUCH_IMAGE")),
              std::string::npos)
        << error.what();
  }
  EXPECT_THROW(qvt::DecodeSkinImage({1, 2, 3, 4, 5, 6, 7, 8, 9}, "JUNK"), ESkinImageError);
  std::vector<std::uint8_t> truncated = qvt::EncodePng(Picture(4, 4, Bgra(1, 2, 3, 255)));
  truncated.resize(truncated.size() / 2);
  EXPECT_THROW(qvt::DecodeSkinImage(truncated, "HALF"), ESkinImageError);
}

TEST(PixelTables, HoldTheGammaCurveAndTheProductsOfBytes) {
  EXPECT_EQ(GammaTable[0], 0);
  EXPECT_EQ(GammaTable[255], 255);
  EXPECT_EQ(GammaTable[128], 157); // 255·(128/255)^0.7 = 157.4
  EXPECT_TRUE(std::is_sorted(std::begin(GammaTable), std::end(GammaTable)));
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(MulTable[255][b], b);
    EXPECT_EQ(MulTable[0][b], 0);
    EXPECT_EQ(MulTable[b][255], b);
  }
  EXPECT_EQ(MulTable[128][128], 64); // 64.25
  EXPECT_EQ(MulTable[200][100], 78); // 78.43
}

TEST(BitmapEx, ANewBitmapHasAnOpaqueBlackPenAndThirtyTwoBits) {
  TBitmapEx bitmap;
  bitmap.SetSize(4, 3);
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.PixelFormat, pf32bit);
  EXPECT_EQ(bitmap.PenValue(), Bgra(0, 0, 0, 255));
  EXPECT_EQ(bitmap.PenAlpha(), 255);
  bitmap.SetPenColor(187, 255, 173, 255);
  EXPECT_EQ(bitmap.PenValue(), Bgra(187, 255, 173, 255)); // c0 is blue
}

TEST(BitmapEx, BlendPixelLeavesThePixelAtZeroAndStoresThePenAtFull) {
  TBitmapEx bitmap;
  bitmap.SetPenColor(10, 20, 30, 200);
  std::uint8_t pixel[4] = {100, 150, 250, 7};
  bitmap.BlendPixel(pixel, 0);
  EXPECT_EQ(std::vector<int>(pixel, pixel + 4), (std::vector<int>{100, 150, 250, 7}));
  bitmap.BlendPixel(pixel, 255);
  EXPECT_EQ(std::vector<int>(pixel, pixel + 4), (std::vector<int>{10, 20, 30, 200}));
  bitmap.BlendPixel(pixel, 300);
  EXPECT_EQ(std::vector<int>(pixel, pixel + 4), (std::vector<int>{10, 20, 30, 200}));

  std::uint8_t mixed[4] = {0, 255, 100, 0};
  bitmap.BlendPixel(mixed, 51); // a fifth of the pen
  EXPECT_EQ(mixed[0], MulTable[204][0] + MulTable[51][10]);
  EXPECT_EQ(mixed[1], MulTable[204][255] + MulTable[51][20]);
  EXPECT_EQ(mixed[2], MulTable[204][100] + MulTable[51][30]);
  EXPECT_EQ(mixed[3], 200);
}

// Coverage of one pixel by a point at a fraction (fx, fy) of it, for alpha a.
int Coverage(int a, int gammaX, int gammaY) { return (a * gammaX * gammaY) >> 16; }

TEST(BitmapEx, ALineOfTwoAndAHalfPixelsPlotsTwoFullPointsAndAHalfOneMidwayToTheEnd) {
  TBitmapEx bitmap;
  bitmap.SetSize(8, 5);
  bitmap.SetPenColor(255, 255, 255, 255);
  bitmap.LineF(2.0, 2.0, 4.5, 2.0);
  // With a white pen on black, each colour byte shows the coverage blended in.
  const int full = Coverage(255, GammaTable[255], GammaTable[255]);
  EXPECT_EQ(bitmap.Pixel(2, 2) & 0xFF, static_cast<std::uint32_t>(full));
  // The third point lies at x = 3.75 with half the alpha: a quarter into
  // pixel 4, three quarters onto pixel 3 (which the second point filled).
  EXPECT_EQ(bitmap.Pixel(4, 2) & 0xFF,
            static_cast<std::uint32_t>(Coverage(127, GammaTable[192], GammaTable[255])));
  EXPECT_EQ(bitmap.Pixel(4, 2) >> 24, 127u);
  const int second = full;
  const int third = Coverage(127, GammaTable[63], GammaTable[255]);
  EXPECT_EQ(bitmap.Pixel(3, 2) & 0xFF,
            static_cast<std::uint32_t>(MulTable[255 - third][second] + MulTable[third][255]));
  EXPECT_EQ(bitmap.Pixel(5, 2), 0u);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(bitmap.Pixel(x, 3), 0u) << x;
}

TEST(BitmapEx, LineEndsOffTheFineGridRoundToTheNearest256thOfAPixel) {
  // 200/65536 of a pixel is 0.78 of a 256th: the point lands one 256th right
  // of pixel 2's corner, so pixel 3 gets a trace of it.
  TBitmapEx bitmap;
  bitmap.SetSize(6, 4);
  bitmap.SetPenColor(255, 255, 255, 255);
  const double off = 200.0 / 65536.0;
  bitmap.LineF(2.0 + off, 2.0, 3.0 + off, 2.0); // one point, then a last one of no alpha
  EXPECT_EQ(bitmap.Pixel(2, 2) & 0xFF,
            static_cast<std::uint32_t>(Coverage(255, GammaTable[254], GammaTable[255])));
  EXPECT_EQ(bitmap.Pixel(3, 2) & 0xFF,
            static_cast<std::uint32_t>(Coverage(255, GammaTable[1], GammaTable[255])));
  EXPECT_GT(bitmap.Pixel(3, 2) & 0xFF, 0u);
}

TEST(BitmapEx, LinesShorterThanAFractionOfAPixelDrawNothing) {
  TBitmapEx bitmap;
  bitmap.SetSize(6, 6);
  bitmap.SetPenColor(255, 255, 255, 255);
  bitmap.LineF(2.0, 2.0, 2.003, 2.0); // 197/65536 of a pixel
  EXPECT_TRUE(
      std::all_of(bitmap.Bits(), bitmap.Bits() + 36, [](std::uint32_t p) { return p == 0; }));
  bitmap.LineF(2.0, 2.0, 2.01, 2.0); // 655/65536: one faint point
  EXPECT_FALSE(
      std::all_of(bitmap.Bits(), bitmap.Bits() + 36, [](std::uint32_t p) { return p == 0; }));
}

TEST(BitmapEx, PointsOutsideTheBitmapAreDropped) {
  TBitmapEx bitmap;
  bitmap.SetSize(4, 4);
  bitmap.SetPenColor(255, 255, 255, 255);
  bitmap.PlotAA(3 * 256 + 128, 3 * 256 + 128, bitmap.PenValue()); // spills right and down
  EXPECT_NE(bitmap.Pixel(3, 3), 0u);
  bitmap.PlotAA(-128, 128, bitmap.PenValue()); // half a pixel left: column 0 all the same
  EXPECT_NE(bitmap.Pixel(0, 0), 0u);
  EXPECT_NE(bitmap.Pixel(1, 0), 0u);
}

TEST(BitmapFonts, Font1CopiesAGlyphEverySixPixels) {
  // A font whose glyph for code c is filled with red = c.
  TBitmap font(5 * 96, 8);
  for (int c = 32; c < 128; ++c) {
    font.Canvas().Brush.Color = RGBColor(c, 0, 0);
    font.Canvas().FillRect(Bounds(5 * (c - 32), 0, 5, 8));
  }
  TBitmap target = Picture(40, 20, Bgra(0, 0, 0, 255));
  qvt::DrawFont1Text(target.Canvas(), font, std::string("Ab") + '\x07', 5, 6);
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(5, 6)), RGBColor('A', 0, 0));
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(9, 13)), RGBColor('A', 0, 0));
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(10, 6)), RGBColor(0, 0, 0)); // the gap column
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(11, 6)), RGBColor('b', 0, 0));
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(17, 6)), RGBColor(' ', 0, 0)); // below 32: first glyph
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(5, 14)), RGBColor(0, 0, 0));
}

TEST(BitmapFonts, DigitCellsAreBlankDigitsAndMinus) {
  TBitmap digits(72, 9);
  for (int cell = 0; cell < 12; ++cell) {
    digits.Canvas().Brush.Color = RGBColor(cell * 10, 1, 2);
    digits.Canvas().FillRect(Bounds(6 * cell, 0, 6, 9));
  }
  TBitmap target = Picture(20, 10, Bgra(0, 0, 0, 255));
  qvt::DrawDigit(target.Canvas(), digits, -1, 0, 0);
  qvt::DrawDigit(target.Canvas(), digits, 7, 6, 0);
  qvt::DrawDigit(target.Canvas(), digits, 10, 12, 1);
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(0, 0)), RGBColor(0, 1, 2));    // cell 0, blank
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(11, 8)), RGBColor(80, 1, 2));  // cell 8, digit 7
  EXPECT_EQ(qvt::ColorOfPixel(target.Pixel(12, 1)), RGBColor(110, 1, 2)); // cell 11, minus
}

} // namespace
