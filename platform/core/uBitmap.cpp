#include "platform/core/uBitmap.h"

#include <algorithm>

#include "platform/core/uCanvas.h"

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::TBitmap(const TBitmap& other)
    : TObject(), PixelFormat(other.PixelFormat), AlphaFormat(other.AlphaFormat),
      Transparent(other.Transparent), TransparentColor(other.TransparentColor),
      FWidth(other.FWidth), FHeight(other.FHeight), FPixels(other.FPixels) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this == &other) return *this;
  PixelFormat = other.PixelFormat;
  AlphaFormat = other.AlphaFormat;
  Transparent = other.Transparent;
  TransparentColor = other.TransparentColor;
  FWidth = other.FWidth;
  FHeight = other.FHeight;
  FPixels = other.FPixels;
  if (FCanvas) FCanvas->ResetTarget(this);
  return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == FWidth && height == FHeight) return;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
  const int keepW = std::min(width, FWidth);
  const int keepH = std::min(height, FHeight);
  for (int y = 0; y < keepH; ++y)
    std::copy_n(&FPixels[Index(0, y)], keepW, &pixels[static_cast<std::size_t>(y) * width]);
  FPixels.swap(pixels);
  FWidth = width;
  FHeight = height;
  if (FCanvas) FCanvas->ResetTarget(this);
}

TCanvas& TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>(this);
  return *FCanvas;
}
