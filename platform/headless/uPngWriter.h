// Writes a bitmap as an 8-bit RGB or RGBA PNG file.
#pragma once

#include <string>

#include "platform/core/uBitmap.h"

namespace qvt {

// With `withAlpha` the alpha bytes are written too (premultiplied bitmaps are
// turned back into straight alpha). Throws std::runtime_error on failure.
void WritePng(const TBitmap& bitmap, const std::string& path, bool withAlpha = false);

} // namespace qvt
