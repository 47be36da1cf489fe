#include <png.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "controls/uBitmapEx.h"
#include "controls/uSkinKey.h"
#include "lib/uGlobals.h"
#include "lib/uResourceError.h"

namespace qvt {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Far beyond any skin image; a header claiming more is refused before any
// pixel memory is claimed.
constexpr png_uint_32 kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

// Frees the decoder's structures however the decoding ends.
struct TPngReadStructs {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  ~TPngReadStructs() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
};

struct TReader {
  const std::vector<std::uint8_t>* Data;
  std::size_t Position = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<TReader*>(png_get_io_ptr(png));
  if (reader->Position + length > reader->Data->size()) png_error(png, "truncated image");
  std::memcpy(out, reader->Data->data() + reader->Position, length);
  reader->Position += length;
}

// Palette images count as having alpha when some palette entry is partly
// transparent. Entries that are only fully transparent (0) or opaque (255)
// leave the image 24-bit: its transparent entries show their colour (the
// fourth byte keeps the entry, and 24-bit drawing ignores it).
bool PaletteHasPartialAlpha(png_structp png, png_infop info) {
  png_bytep alphas = nullptr;
  int count = 0;
  png_color_16p colour = nullptr;
  if (!png_get_valid(png, info, PNG_INFO_tRNS)) return false;
  png_get_tRNS(png, info, &alphas, &count, &colour);
  for (int i = 0; i < count; ++i)
    if (alphas[i] != 0 && alphas[i] != 255) return true;
  return false;
}

} // namespace

std::unique_ptr<TBitmap> DecodeSkinImage(std::vector<std::uint8_t> data, const std::string& name) {
  if (data.size() < 8 || !std::equal(kPngSignature, kPngSignature + 8, data.begin()))
    ScrambleSkinBytes(data.data(), data.size());
  if (data.size() < 8 || !std::equal(kPngSignature, kPngSignature + 8, data.begin()))
    throw ESkinImageError("Skin image " + name + " is not a PNG image");

  TPngReadStructs structs;
  structs.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  structs.Info = structs.Png ? png_create_info_struct(structs.Png) : nullptr;
  if (!structs.Info) throw ESkinImageError("Skin image " + name + " cannot be decoded");
  png_structp png = structs.Png;
  png_infop info = structs.Info;
  auto bitmap = std::make_unique<TBitmap>();
  std::vector<png_bytep> rows;
  TReader reader{&data};
  // libpng reports errors by a jump back here, through C frames only.
  if (setjmp(png_jmpbuf(png))) throw ESkinImageError("Skin image " + name + " cannot be decoded");
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_set_read_fn(png, &reader, &ReadBytes);
  png_read_info(png, info);
  const int colourType = png_get_color_type(png, info);
  const bool alpha = colourType == PNG_COLOR_TYPE_GRAY_ALPHA ||
                     colourType == PNG_COLOR_TYPE_RGB_ALPHA ||
                     (colourType == PNG_COLOR_TYPE_PALETTE && PaletteHasPartialAlpha(png, info));
  png_set_strip_16(png);
  png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (alpha && colourType == PNG_COLOR_TYPE_PALETTE) png_set_tRNS_to_alpha(png);
  if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const int width = static_cast<int>(png_get_image_width(png, info));
  const int height = static_cast<int>(png_get_image_height(png, info));
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4)
    png_error(png, "unexpected pixel layout");
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels)
    png_error(png, "image too large");
  try {
    bitmap->SetSize(width, height);
    rows.resize(static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    throw ESkinImageError("Skin image " + name + " cannot be decoded: out of memory");
  }
  for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = bitmap->ScanLine(y);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);

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
