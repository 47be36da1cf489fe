// A small RGB raster with the few drawing operations the render picture needs, and its PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvt {

struct TRgb {
  std::uint8_t R = 0, G = 0, B = 0;
  bool operator==(const TRgb&) const = default;
};

class TRaster {
public:
  TRaster(int width, int height, TRgb background);

  int Width() const { return Width_; }
  int Height() const { return Height_; }
  TRgb At(int x, int y) const { return Pixels[Index(x, y)]; }

  // All drawing clips to the raster.
  void Set(int x, int y, TRgb colour);
  void FillRect(int left, int top, int right, int bottom, TRgb colour); // right/bottom exclusive
  void HLine(int left, int right, int y, TRgb colour);
  void VLine(int x, int top, int bottom, TRgb colour);
  // Text in a 3 × 5 pixel font (digits, '.', '-', ':', and the letters of "dBHkszms"),
  // `scale` pixels per font pixel; answers the x after the text.
  int Text(int x, int y, std::string_view text, TRgb colour, int scale = 2);

  // Writes an 8-bit RGB PNG; throws std::runtime_error naming the file and the reason.
  void WritePng(const std::string& path) const;

private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(Width_) +
           static_cast<std::size_t>(x);
  }
  int Width_;
  int Height_;
  std::vector<TRgb> Pixels;
};

} // namespace qvt
