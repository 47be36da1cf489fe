// Writes a bitmap as an 8-bit RGB or RGBA PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/uBitmap.h"

namespace qvt {

// With `withAlpha` the alpha bytes are written too (premultiplied bitmaps are
// turned back into straight alpha). Throws std::runtime_error on failure.
void WritePng(const TBitmap& bitmap, const std::string& path, bool withAlpha = false);
// The same PNG in memory.
std::vector<std::uint8_t> EncodePng(const TBitmap& bitmap, bool withAlpha = false);

} // namespace qvt
