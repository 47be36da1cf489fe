// PNG decoding through libpng (Linux builds).
#include "platform/core/uPngDecode.h"

#include <png.h>

#include <cstring>
#include <new>
#include <vector>

#include "platform/core/uBitmap.h"

namespace qvt {

namespace {

// Frees the decoder's structures however the decoding ends.
struct TPngReadStructs {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  ~TPngReadStructs() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
};

struct TReader {
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Position = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<TReader*>(png_get_io_ptr(png));
  if (reader->Position + length > reader->Size) png_error(png, "truncated image");
  std::memcpy(out, reader->Data + reader->Position, length);
  reader->Position += length;
}

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

TPngDecodeResult DecodePng(const std::uint8_t* data, std::size_t size, TBitmap& bitmap,
                           bool& alpha, int maxSide, std::uint64_t maxPixels) {
  TPngReadStructs structs;
  structs.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  structs.Info = structs.Png ? png_create_info_struct(structs.Png) : nullptr;
  if (!structs.Info) return pdInvalid;
  png_structp png = structs.Png;
  png_infop info = structs.Info;
  std::vector<png_bytep> rows;
  TReader reader{data, size};
  // libpng reports errors by a jump back here, through C frames only.
  if (setjmp(png_jmpbuf(png))) return pdInvalid;
  png_set_user_limits(png, static_cast<png_uint_32>(maxSide), static_cast<png_uint_32>(maxSide));
  png_set_read_fn(png, &reader, &ReadBytes);
  png_read_info(png, info);
  const int colourType = png_get_color_type(png, info);
  alpha = colourType == PNG_COLOR_TYPE_GRAY_ALPHA || colourType == PNG_COLOR_TYPE_RGB_ALPHA ||
          (colourType == PNG_COLOR_TYPE_PALETTE && PaletteHasPartialAlpha(png, info));
  png_set_strip_16(png);
  png_set_packing(png);
  // Palettes expand with their transparency as the fourth byte.
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
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels)
    png_error(png, "image too large");
  try {
    bitmap.SetSize(width, height);
    rows.resize(static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return pdOutOfMemory;
  }
  for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = bitmap.ScanLine(y);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return pdOk;
}

} // namespace qvt
