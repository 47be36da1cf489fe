// The render picture: raster drawing, the spectrogram's frequency axis and the PNG file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <png.h>

#include "tools/qvt/PlotPicture.h"

namespace qvt {
namespace {

int Brightness(TRgb colour) { return colour.R + colour.G + colour.B; }

// The spectrogram row of column x that shines brightest.
int BrightestRow(const TRaster& raster, int x, int top, const TPlotLayout& layout) {
  int best = 0;
  for (int row = 0; row < layout.SpectrumHeight; ++row)
    if (Brightness(raster.At(x, top + row)) > Brightness(raster.At(x, top + best))) best = row;
  return best;
}

TEST(PlotPicture, ASineShinesAtItsFrequencyRow) {
  const double rate = 44100.0;
  TPlotLayout layout;
  layout.Width = 40;
  const int spectrumTop = 4 * 2 + layout.WaveHeight;
  for (const double hz : {110.0, 1000.0, 6000.0}) {
    std::vector<float> sine(44100);
    for (std::size_t i = 0; i < sine.size(); ++i)
      sine[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    const TRaster raster = DrawPlot(sine, rate, layout);
    const int expected = PlotHzRow(hz, rate, layout);
    EXPECT_NEAR(BrightestRow(raster, 36, spectrumTop, layout), expected, 2) << hz << " Hz";
    // Far from the tone the picture stays dark (column 36 lies clear of the axis labels).
    const int far = PlotHzRow(hz < 3000.0 ? hz * 8 : hz / 8, rate, layout);
    EXPECT_LT(Brightness(raster.At(36, spectrumTop + far)), 60);
  }
}

TEST(Raster, DrawingClipsToTheRaster) {
  TRaster raster(8, 6, {1, 2, 3});
  raster.FillRect(-5, -5, 3, 2, {9, 9, 9});
  raster.HLine(6, 20, 5, {7, 7, 7});
  raster.Set(100, 100, {5, 5, 5});
  EXPECT_EQ(raster.At(2, 1), (TRgb{9, 9, 9}));
  EXPECT_EQ(raster.At(3, 1), (TRgb{1, 2, 3}));
  EXPECT_EQ(raster.At(7, 5), (TRgb{7, 7, 7}));
}

TEST(Raster, WritesAPngOfItsSizeAndPixels) {
  TRaster raster(5, 3, {10, 20, 30});
  raster.Set(4, 2, {200, 100, 50});
  const std::string path = ::testing::TempDir() + "qvt_plot_test.png";
  raster.WritePng(path);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 5u);
  EXPECT_EQ(image.height, 3u);
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(pixels[2], 30);
  EXPECT_EQ(pixels[pixels.size() - 3], 200);
  std::remove(path.c_str());
  EXPECT_THROW(raster.WritePng("/nonexistent/folder/p.png"), std::runtime_error);
}

} // namespace
} // namespace qvt
