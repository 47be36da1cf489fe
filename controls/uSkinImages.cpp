#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "controls/uBitmapEx.h"
#include "controls/uSkinKey.h"
#include "lib/uGlobals.h"
#include "lib/uResourceError.h"
#include "platform/core/uPngDecode.h"

namespace qvt {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Far beyond any skin image; a header claiming more is refused before any
// pixel memory is claimed.
constexpr int kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

} // namespace

std::unique_ptr<TBitmap> DecodeSkinImage(std::vector<std::uint8_t> data, const std::string& name) {
  if (data.size() < 8 || !std::equal(kPngSignature, kPngSignature + 8, data.begin()))
    ScrambleSkinBytes(data.data(), data.size());
  if (data.size() < 8 || !std::equal(kPngSignature, kPngSignature + 8, data.begin()))
    throw ESkinImageError("Skin image " + name + " is not a PNG image");

  auto bitmap = std::make_unique<TBitmap>();
  bool alpha = false;
  switch (DecodePng(data.data(), data.size(), *bitmap, alpha, kMaxSide, kMaxPixels)) {
  case pdOk: break;
  case pdOutOfMemory:
    throw ESkinImageError("Skin image " + name + " cannot be decoded: out of memory");
  default: throw ESkinImageError("Skin image " + name + " cannot be decoded");
  }
  const int width = bitmap->Width();
  const int height = bitmap->Height();

  if (alpha) {
    for (int y = 0; y < height; ++y) {
      std::uint8_t* p = bitmap->ScanLine(y);
      for (int x = 0; x < width; ++x, p += 4)
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * p[3]) >> 8);
    }
    bitmap->PixelFormat = pf32bit;
    bitmap->AlphaFormat = afPremultiplied;
  } else {
    bitmap->PixelFormat = pf24bit;
  }
  return bitmap;
}

} // namespace qvt

std::unique_ptr<TBitmap> LoadSkinBitmap(const std::string& name) {
  const TResourceData resource = FindResourceData("PNG", name.c_str());
  if (!resource.Data)
    throw ESkinImageError("Skin image " + name + " not found. " +
                          qvt::ResourceErrorText("PNG", name.c_str()));
  return qvt::DecodeSkinImage({resource.Data, resource.Data + resource.Size}, name);
}

namespace qvt {

void DrawFont1Text(TCanvas& canvas, const TBitmap& font1, std::string_view text, int x, int y) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    const int code = static_cast<unsigned char>(text[k]);
    const int glyphX = code < 32 ? 0 : 5 * (code - 32);
    canvas.Copy(x + 6 * static_cast<int>(k), y, font1, Bounds(glyphX, 0, 5, 8));
  }
}

void DrawDigit(TCanvas& canvas, const TBitmap& digits9, int d, int x, int y) {
  canvas.Copy(x, y, digits9, Bounds(6 * d + 6, 0, 6, 9));
}

namespace {
// The shared images live in storage that static destruction never touches:
// the plug-in frees them from its own unload hook, and the library's static
// destructors may run before or after that hook.
TSharedSkinImages& Shared() {
  alignas(TSharedSkinImages) static std::byte storage[sizeof(TSharedSkinImages)];
  static TSharedSkinImages* const images = new (storage) TSharedSkinImages;
  return *images;
}
} // namespace

const TSharedSkinImages& SharedSkinImages() { return Shared(); }

void CreateSkinCaret(TCustomControl& control) {
  if (const TBitmap* caret = Shared().Caret.get())
    control.CreateCaret(*caret);
  else
    control.CreateCaret(5, 1);
}

void LoadSharedSkinImages() {
  TSharedSkinImages images;
  images.Knob128 = LoadSkinBitmap("KNOB128");
  images.ChButton0 = LoadSkinBitmap("CH_BUTTON0");
  images.ChButton0->PixelFormat = pf32bit;
  images.ChButton1 = LoadSkinBitmap("CH_BUTTON1");
  images.ChButton1->PixelFormat = pf32bit;
  images.WaveSwitch = LoadSkinBitmap("WAVE_SWITCH");
  images.ZButton = LoadSkinBitmap("ZBUTTON");
  images.ZSButton = LoadSkinBitmap("ZSBUTTON");
  images.Font1 = LoadSkinBitmap("FONT1");
  images.Caret = std::make_unique<TBitmap>(5, 1);
  images.Caret->Canvas().Brush.Color = RGBColor(150, 200, 150);
  images.Caret->Canvas().FillRect(images.Caret->BoundsRect());
  Shared() = std::move(images);
}

void FreeSharedSkinImages() { Shared() = {}; }

} // namespace qvt
