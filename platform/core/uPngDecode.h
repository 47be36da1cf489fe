// PNG decoding for the skin images and snapshots: libpng on Linux, the
// Windows Imaging Component on Windows (uPngDecode.cpp's twin in win32/).
#pragma once

#include <cstddef>
#include <cstdint>

class TBitmap;

namespace qvt {

enum TPngDecodeResult : std::uint8_t { pdOk, pdInvalid, pdOutOfMemory };

// Decodes a PNG image into `bitmap` as 8-bit blue, green, red, alpha bytes
// (16-bit samples keep their high byte). `alpha` tells whether the image has
// an alpha channel: grey or colour with alpha, or a palette with a partly
// transparent entry. Palettes whose entries are only fully transparent or
// opaque count as without one; their pixels keep the entry's alpha (0 or
// 255) and colour. Images without alpha have alpha 255. Sides above
// `maxSide` or more than `maxPixels` pixels are refused as invalid.
TPngDecodeResult DecodePng(const std::uint8_t* data, std::size_t size, TBitmap& bitmap,
                           bool& alpha, int maxSide, std::uint64_t maxPixels);

} // namespace qvt
