#include "platform/headless/uPngWriter.h"

#include <png.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace qvt {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

} // namespace

std::vector<std::uint8_t> EncodePng(const TBitmap& bitmap, bool withAlpha) {
  if (bitmap.Empty()) throw std::runtime_error("cannot encode an empty bitmap as PNG");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng could not start");
  }
  std::vector<std::uint8_t> encoded;
  const int channels = withAlpha ? 4 : 3;
  std::vector<png_byte> row(static_cast<std::size_t>(bitmap.Width() * channels));
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("PNG encoding failed");
  }
  png_set_write_fn(png, &encoded, &AppendBytes, &FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.Width()),
               static_cast<png_uint_32>(bitmap.Height()), 8,
               withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const bool premultiplied = bitmap.AlphaFormat == afPremultiplied;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const std::uint32_t p = bitmap.Pixel(x, y);
      unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF, a = p >> 24;
      if (withAlpha && premultiplied && a > 0 && a < 255) {
        r = std::min(255u, (r * 255 + a / 2) / a);
        g = std::min(255u, (g * 255 + a / 2) / a);
        b = std::min(255u, (b * 255 + a / 2) / a);
      }
      png_byte* out = &row[static_cast<std::size_t>(x * channels)];
      out[0] = static_cast<png_byte>(r);
      out[1] = static_cast<png_byte>(g);
      out[2] = static_cast<png_byte>(b);
      if (withAlpha) out[3] = static_cast<png_byte>(a);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return encoded;
}

void WritePng(const TBitmap& bitmap, const std::string& path, bool withAlpha) {
  const std::vector<std::uint8_t> encoded = EncodePng(bitmap, withAlpha);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(encoded.data()),
             static_cast<std::streamsize>(encoded.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

} // namespace qvt
