#include "tools/qvt/PlotRaster.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <stdexcept>

namespace qvt {

namespace {

// Five rows of three bits each, the leftmost pixel in the highest bit.
struct TGlyph {
  char Character;
  std::uint8_t Rows[5];
};
constexpr TGlyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 3, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 2, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}},
    {':', {0, 2, 0, 2, 0}}, {'d', {1, 1, 7, 5, 7}}, {'B', {6, 5, 6, 5, 6}}, {'H', {5, 5, 7, 5, 5}},
    {'k', {4, 5, 6, 5, 5}}, {'s', {0, 3, 2, 1, 6}}, {'z', {0, 7, 1, 2, 7}}, {'m', {0, 7, 7, 5, 5}},
    {' ', {0, 0, 0, 0, 0}},
};

const TGlyph* FindGlyph(char c) {
  for (const auto& glyph : kGlyphs)
    if (glyph.Character == c) return &glyph;
  return nullptr;
}

} // namespace

TRaster::TRaster(int width, int height, TRgb background)
    : Width_(std::max(width, 1)), Height_(std::max(height, 1)),
      Pixels(static_cast<std::size_t>(Width_) * static_cast<std::size_t>(Height_), background) {}

void TRaster::Set(int x, int y, TRgb colour) {
  if (x >= 0 && y >= 0 && x < Width_ && y < Height_) Pixels[Index(x, y)] = colour;
}

void TRaster::FillRect(int left, int top, int right, int bottom, TRgb colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, Width_);
  bottom = std::min(bottom, Height_);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) Pixels[Index(x, y)] = colour;
}

void TRaster::HLine(int left, int right, int y, TRgb colour) {
  FillRect(left, y, right + 1, y + 1, colour);
}

void TRaster::VLine(int x, int top, int bottom, TRgb colour) {
  FillRect(x, top, x + 1, bottom + 1, colour);
}

int TRaster::Text(int x, int y, std::string_view text, TRgb colour, int scale) {
  for (char c : text) {
    if (const TGlyph* glyph = FindGlyph(c))
      for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 3; ++column)
          if (glyph->Rows[row] & (4 >> column))
            FillRect(x + column * scale, y + row * scale, x + (column + 1) * scale,
                     y + (row + 1) * scale, colour);
    x += 4 * scale;
  }
  return x;
}

void TRaster::WritePng(const std::string& path) const {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    throw std::runtime_error("cannot write " + path + ": PNG encoding failed");
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(Width_), static_cast<png_uint_32>(Height_), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  static_assert(sizeof(TRgb) == 3);
  for (int y = 0; y < Height_; ++y)
    png_write_row(png, reinterpret_cast<png_const_bytep>(&Pixels[Index(0, y)]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0)
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

} // namespace qvt
