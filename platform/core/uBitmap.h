// A 32-bit bitmap: pixels in memory as blue, green, red, alpha bytes, rows top down.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/uComponent.h"
#include "platform/core/uTypes.h"

class TCanvas;

// pf24bit bitmaps keep the same memory layout; their alpha bytes mean nothing
// and they count as opaque when blended.
enum TPixelFormat : std::uint8_t { pf24bit, pf32bit };
// afPremultiplied: colour bytes are already multiplied by alpha; Draw blends them.
enum TAlphaFormat : std::uint8_t { afIgnored, afPremultiplied };

class TBitmap : public TObject {
public:
  TBitmap();
  TBitmap(int width, int height);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  // Resizing keeps the pixels that stay inside; new pixels are 0.
  virtual void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }
  void Assign(const TBitmap& other) { *this = other; }

  TPixelFormat PixelFormat = pf32bit;
  TAlphaFormat AlphaFormat = afIgnored;
  // When set, Draw skips the pixels of TransparentColor.
  bool Transparent = false;
  TColor TransparentColor = clBlack;

  std::uint8_t* ScanLine(int row) {
    return reinterpret_cast<std::uint8_t*>(&FPixels[Index(0, row)]);
  }
  const std::uint8_t* ScanLine(int row) const {
    return reinterpret_cast<const std::uint8_t*>(&FPixels[Index(0, row)]);
  }
  // A pixel as 0xAARRGGBB (its four bytes in memory order B, G, R, A).
  std::uint32_t Pixel(int x, int y) const { return FPixels[Index(x, y)]; }
  void SetPixel(int x, int y, std::uint32_t bgra) { FPixels[Index(x, y)] = bgra; }
  std::uint32_t* Bits() { return FPixels.data(); }
  const std::uint32_t* Bits() const { return FPixels.data(); }
  TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

  TCanvas& Canvas();

private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) +
           static_cast<std::size_t>(x);
  }

  int FWidth = 0;
  int FHeight = 0;
  std::vector<std::uint32_t> FPixels;
  std::unique_ptr<TCanvas> FCanvas;
};

namespace qvt {

// An opaque pixel value (alpha 255) of a colour.
constexpr std::uint32_t OpaquePixel(TColor c) {
  return 0xFF000000u | (static_cast<std::uint32_t>(RedOf(c)) << 16) |
         (static_cast<std::uint32_t>(GreenOf(c)) << 8) | static_cast<std::uint32_t>(BlueOf(c));
}
constexpr TColor ColorOfPixel(std::uint32_t bgra) {
  return RGBColor((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

} // namespace qvt
