// Skin image decoding, the pixel tables, TBitmapEx's anti-aliased drawing and the bitmap fonts.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <map>

#include "controls/uBitmapEx.h"
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

// A PNG written by libpng, one byte per sample; with `headerOnly` no image data.
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

// Images with alpha become premultiplied 32-bit pixels, c·a >> 8; the others keep 24 bits.
TEST(SkinImages, EachKindOfPngDecodesToItsFormatAndPixels) {
  TBitmap rgb = Picture(3, 1, Bgra(10, 20, 30, 255)), rgba = Picture(2, 1, Bgra(0, 0, 255, 128));
  rgb.SetPixel(2, 0, Bgra(0, 255, 0, 255));
  rgba.SetPixel(1, 0, Bgra(200, 100, 50, 255)); // straight alpha
  const auto plain = qvt::EncodePng(rgb), straight = qvt::EncodePng(rgba, true);
  const std::vector<png_color> palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const auto partial = WritePng(PNG_COLOR_TYPE_PALETTE, 3, 1, {0, 1, 2}, palette, {128, 255, 0});
  const auto binary = WritePng(PNG_COLOR_TYPE_PALETTE, 3, 1, {0, 1, 2}, palette, {255, 0, 255});
  const auto grey = WritePng(PNG_COLOR_TYPE_GRAY_ALPHA, 2, 1, {200, 128, 90, 255});
  const std::uint32_t base = Bgra(10, 20, 30, 0), green = Bgra(0, 255, 0, 0);
  const struct {
    const char* Kind;
    const std::vector<std::uint8_t>& Png;
    TPixelFormat Format;
    std::vector<std::uint32_t> Row; // 24-bit images: colour bytes only
  } cases[] = {
      {"RGB", plain, pf24bit, {base, base, green}},
      // 255·128 >> 8 = 127; c·255 >> 8 loses one
      {"RGBA", straight, pf32bit, {Bgra(0, 0, 127, 128), Bgra(199, 99, 49, 255)}},
      {"palette, partial alpha", partial, pf32bit, {Bgra(0, 0, 127, 128), Bgra(0, 254, 0, 255), 0}},
      {"palette, alpha 0 or 255", binary, pf24bit, {Bgra(0, 0, 255, 0), green, Bgra(255, 0, 0, 0)}},
      {"grey with alpha", grey, pf32bit, {Bgra(100, 100, 100, 128), Bgra(89, 89, 89, 255)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Kind);
    const auto bitmap = qvt::DecodeSkinImage(c.Png, "TEST");
    EXPECT_EQ(bitmap->PixelFormat, c.Format);
    EXPECT_EQ(bitmap->AlphaFormat == afPremultiplied, c.Format == pf32bit);
    const std::uint32_t mask = c.Format == pf32bit ? 0xFFFFFFFFu : 0xFFFFFFu;
    for (int x = 0; x < static_cast<int>(c.Row.size()); ++x)
      EXPECT_EQ(bitmap->Pixel(x, 0) & mask, c.Row[x]) << x;
  }
}

TEST(SkinImages, MissingUndecodableTruncatedOrHugeImagesRaiseTheSkinError) {
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
  for (const auto& [width, height] : {std::pair{100000, 100000}, std::pair{16000, 16000}}) {
    const auto header =
        WritePng(PNG_COLOR_TYPE_RGB, width, height, {}, {}, {}, /*headerOnly=*/true);
    EXPECT_THROW(qvt::DecodeSkinImage(header, "HUGE"), ESkinImageError) << width;
  }
}

TEST(PixelTables, HoldTheGammaCurveAndTheProductsOfBytes) {
  EXPECT_EQ(GammaTable[0], 0);
  EXPECT_EQ(GammaTable[255], 255);
  EXPECT_EQ(GammaTable[128], 157); // 255·(128/255)^0.7 = 157.4
  for (int b = 0; b < 256; ++b) EXPECT_EQ(MulTable[255][b], b);
  EXPECT_EQ(MulTable[200][100], 78); // 78.43
}

// A new bitmap's pen is opaque black; the pen keeps pixel order, c0 first (blue).
TEST(BitmapEx, BlendPixelLeavesThePixelAtZeroStoresThePenAtFullAndMixesBetween) {
  TBitmapEx bitmap;
  EXPECT_EQ(bitmap.PenValue(), Bgra(0, 0, 0, 255));
  EXPECT_EQ(bitmap.PenAlpha(), 255);
  bitmap.SetPenColor(10, 20, 30, 200);
  const struct {
    std::array<std::uint8_t, 4> Pixel;
    int Coverage;
    std::array<std::uint8_t, 4> Blended;
  } cases[] = {
      {{100, 150, 250, 7}, 0, {100, 150, 250, 7}},
      {{100, 150, 250, 7}, 255, {10, 20, 30, 200}},
      {{100, 150, 250, 7}, 300, {10, 20, 30, 200}},
      {{0, 255, 100, 0}, 51, {2, 208, 86, 200}}}; // four fifths of the pixel, a fifth of the pen
  for (auto c : cases) {
    bitmap.BlendPixel(c.Pixel.data(), c.Coverage);
    EXPECT_EQ(c.Pixel, c.Blended) << "coverage " << c.Coverage;
  }
}

// With a white pen on black each pixel shows the coverage blended in: a full
// point on the grid covers one pixel by 255·255·255 >> 16 = 253.
TEST(BitmapEx, LinesPlotAPointPerPixelAndAPartOneMidwayToTheEnd) {
  const double off = 200.0 / 65536.0; // 0.78 of a 256th: rounds to one 256th
  const struct {
    const char* Line;
    double X1, X2;
    std::map<int, std::uint32_t> Row2; // x → pixel; all others stay 0
  } cases[] = {
      // Two full points, then one at half alpha at x 3.75: a quarter into pixel 4
      // (127·Gamma[192] >> 8 = 103), three quarters over pixel 3.
      {"2.5 pixels", 2.0, 4.5, {{2, 0xFFFDFDFD}, {3, 0x7FFDFDFD}, {4, 0x7F676767}}},
      {"off the fine grid", 2.0 + off, 3.0 + off, {{2, 0xFFFCFCFC}, {3, 0xFF040404}}},
      {"197/65536 of a pixel", 2.0, 2.003, {}},
      {"655/65536 of a pixel", 2.0, 2.01, {{2, 0x02010101}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    TBitmapEx bitmap;
    bitmap.SetSize(8, 5);
    bitmap.SetPenColor(255, 255, 255, 255);
    bitmap.LineF(c.X1, 2.0, c.X2, 2.0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 8; ++x)
        EXPECT_EQ(bitmap.Pixel(x, y), y == 2 && c.Row2.count(x) ? c.Row2.at(x) : 0u)
            << x << "," << y;
  }
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
}

} // namespace
