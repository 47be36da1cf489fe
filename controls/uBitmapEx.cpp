#include "controls/uBitmapEx.h"

#include <cmath>

namespace {

struct TPixelTables {
  std::uint8_t Gamma[256];
  std::uint8_t Mul[256][256];
  TPixelTables() {
    for (int i = 0; i < 256; ++i)
      Gamma[i] = static_cast<std::uint8_t>(std::nearbyint(255.0 * std::pow(i / 255.0, 0.7)));
    for (int a = 0; a < 256; ++a)
      for (int b = 0; b < 256; ++b)
        Mul[a][b] = static_cast<std::uint8_t>(std::nearbyint(a * b / 255.0));
  }
};

const TPixelTables GTables;

constexpr std::uint32_t ByteOf(std::uint32_t value, int index) {
  return (value >> (8 * index)) & 0xFF;
}

} // namespace

const std::uint8_t (&GammaTable)[256] = GTables.Gamma;
const std::uint8_t (&MulTable)[256][256] = GTables.Mul;

TBitmapEx::TBitmapEx() { PixelFormat = pf32bit; }

void TBitmapEx::SetPenColor(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t alpha) {
  FPenValue =
      c0 | (std::uint32_t{c1} << 8) | (std::uint32_t{c2} << 16) | (std::uint32_t{alpha} << 24);
  FPenAlpha = alpha;
}

void TBitmapEx::SetSize(int width, int height) {
  TBitmap::SetSize(width, Height());
  TBitmap::SetSize(width, height);
  PixelFormat = pf32bit;
}

void TBitmapEx::BlendPixel(std::uint8_t* pixel, int coverage, std::uint32_t penValue) const {
  if (coverage <= 0) return;
  if (coverage >= 255) {
    for (int i = 0; i < 4; ++i) pixel[i] = static_cast<std::uint8_t>(ByteOf(penValue, i));
    return;
  }
  for (int i = 0; i < 3; ++i)
    pixel[i] = static_cast<std::uint8_t>(MulTable[255 - coverage][pixel[i]] +
                                         MulTable[coverage][ByteOf(penValue, i)]);
  pixel[3] = static_cast<std::uint8_t>(ByteOf(penValue, 3));
}

void TBitmapEx::BlendAt(int column, int row, int coverage, std::uint32_t penValue) {
  // Pixels outside the bitmap are left out rather than written past its memory.
  if (column < 0 || row < 0 || column >= Width() || row >= Height()) return;
  BlendPixel(ScanLine(row) + 4 * column, coverage, penValue);
}

void TBitmapEx::PlotAA(int x, int y, std::uint32_t penValue) {
  const int column = x / 256, row = y / 256;
  const int fx = x & 255, fy = y & 255;
  const int a = static_cast<int>(ByteOf(penValue, 3));
  const int wl = a * GammaTable[255 - fx], wr = a * GammaTable[fx];
  const int wt = GammaTable[255 - fy], wb = GammaTable[fy];
  BlendAt(column, row, (wl * wt) >> 16, penValue);
  BlendAt(column + 1, row, (wt * wr) >> 16, penValue);
  BlendAt(column + 1, row + 1, (wb * wr) >> 16, penValue);
  BlendAt(column, row + 1, (wl * wb) >> 16, penValue);
}

void TBitmapEx::LineAA(int x1, int y1, int x2, int y2) {
  int dx = x2 - x1, dy = y2 - y1;
  x1 += 127;
  y1 += 127;
  x2 += 127;
  y2 += 127;
  const auto length = static_cast<int>(std::nearbyint(std::hypot(double(dx), double(dy))));
  if (length < 256) return;
  const int n = length >> 16;
  int x = x1, y = y1;
  if (n > 0) {
    const double s = 65536.0 / length;
    dx = static_cast<int>(std::nearbyint(dx * s));
    dy = static_cast<int>(std::nearbyint(dy * s));
    for (int i = 0; i < n; ++i) {
      PlotAA(x >> 8, y >> 8, FPenValue);
      x += dx;
      y += dy;
    }
  }
  const int r = length - (n << 16);
  const std::uint32_t alpha = static_cast<std::uint32_t>((FPenAlpha * r) >> 16);
  const std::uint32_t last = (FPenValue & 0x00FFFFFFu) | (alpha << 24);
  PlotAA((x2 + x - dx) >> 9, (y2 + y - dy) >> 9, last);
}

void TBitmapEx::LineF(double x1, double y1, double x2, double y2) {
  auto fixed = [](double v) { return static_cast<int>(std::nearbyint(v * 65536.0)); };
  LineAA(fixed(x1), fixed(y1), fixed(x2), fixed(y2));
}
