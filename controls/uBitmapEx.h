// Skin bitmaps: loading the named skin images, the two bitmap fonts, the
// caret bitmap, the images every control shares, and TBitmapEx, a 32-bit
// bitmap with anti-aliased point and line drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/uBitmap.h"
#include "platform/core/uCanvas.h"
#include "platform/core/uControls.h"

// A skin image is missing or does not decode.
class ESkinImageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A new bitmap (owned by the caller) holding the "PNG" resource `name`:
// unscrambled unless it begins with the PNG signature, decoded, and for
// images with an alpha channel premultiplied as c·a >> 8. Throws ESkinImageError.
std::unique_ptr<TBitmap> LoadSkinBitmap(const std::string& name);

// gamma: entry i = round(255·(i/255)^0.7); mul: [a][b] = round(a·b/255).
// Built once when the library loads.
extern const std::uint8_t (&GammaTable)[256];
extern const std::uint8_t (&MulTable)[256][256];

class TBitmapEx : public TBitmap {
public:
  TBitmapEx();

  // Pen value in pixel byte order: c0 = blue, c1 = green, c2 = red.
  void SetPenColor(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t alpha);
  std::uint32_t PenValue() const { return FPenValue; }
  int PenAlpha() const { return FPenAlpha; }
  // Width first, then height.
  void SetSize(int width, int height) override;

  // Mixes the pen into one pixel (4 bytes in memory order) by coverage 0…255.
  void BlendPixel(std::uint8_t* pixel, int coverage) const {
    BlendPixel(pixel, coverage, FPenValue);
  }
  // One anti-aliased point at (x, y) in 24.8 fixed point, spread over the
  // pixel at (x/256, y/256) and its right, lower and lower-right neighbours.
  // Those of the four that lie outside the bitmap are left out, so nothing is
  // written past its memory. The division truncates towards zero: a point
  // between −1 and 0 pixel still draws into column (or row) 0 and 1.
  void PlotAA(int x, int y, std::uint32_t penValue);
  // An anti-aliased line between points in 16.16 fixed point, with the pen.
  void LineAA(int x1, int y1, int x2, int y2);
  // The same in pixels: each coordinate becomes round(v·65536).
  void LineF(double x1, double y1, double x2, double y2);

private:
  void BlendPixel(std::uint8_t* pixel, int coverage, std::uint32_t penValue) const;
  void BlendAt(int column, int row, int coverage, std::uint32_t penValue);

  std::uint32_t FPenValue = 0xFF000000u; // (0, 0, 0, 255)
  int FPenAlpha = 255;
};

namespace qvt {

// FONT1: 5×8 glyphs side by side from code 32; character k (from 0) of
// `text` is copied opaquely to (x + 6k, y). Codes below 32 use the first glyph.
void DrawFont1Text(TCanvas& canvas, const TBitmap& font1, std::string_view text, int x, int y);
// DIGITS-9: the 6×9 cell of digit value d (−1 blank, 0…9, 10 minus) to (x, y).
void DrawDigit(TCanvas& canvas, const TBitmap& digits9, int d, int x, int y);

// The images that all controls share, loaded once with LoadSharedSkinImages
// (when the library loads) and freed with FreeSharedSkinImages.
struct TSharedSkinImages {
  std::unique_ptr<TBitmap> Knob128;
  std::unique_ptr<TBitmap> ChButton0; // forced to 32 bits per pixel
  std::unique_ptr<TBitmap> ChButton1; // forced to 32 bits per pixel
  std::unique_ptr<TBitmap> WaveSwitch;
  std::unique_ptr<TBitmap> ZButton;
  std::unique_ptr<TBitmap> ZSButton;
  std::unique_ptr<TBitmap> Font1;
  std::unique_ptr<TBitmap> Caret; // 5×1, RGB(150,200,150)
};

// Throws ESkinImageError when an image is missing; nothing stays loaded then.
void LoadSharedSkinImages();
void FreeSharedSkinImages();
// Null members until loaded.
const TSharedSkinImages& SharedSkinImages();

// Gives `control` the numeric editors' 5×1 caret (a plain block without the skin).
void CreateSkinCaret(TCustomControl& control);

// The load made when the library loads: runs `load` (LoadSharedSkinImages
// unless a test gives another), catches every error and keeps its text, so
// that nothing reaches the host. Controls then find null images and draw none.
bool LoadSharedSkinImagesGuarded(void (*load)() = LoadSharedSkinImages) noexcept;
// Empty after a successful guarded load.
const char* SharedSkinImagesError();

// Decodes PNG bytes (scrambled or not) as LoadSkinBitmap does; `name` is for messages.
std::unique_ptr<TBitmap> DecodeSkinImage(std::vector<std::uint8_t> data, const std::string& name);

} // namespace qvt
