// PNG decoding through the Windows Imaging Component, present on every
// supported Windows: the DLL ships no image library of its own.
#include "platform/core/uPngDecode.h"

#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <new>

#include "platform/core/uBitmap.h"

namespace qvt {

namespace {

// An owned COM interface pointer.
template <class T> class TCom {
public:
  TCom() = default;
  ~TCom() {
    if (P) P->Release();
  }
  TCom(const TCom&) = delete;
  TCom& operator=(const TCom&) = delete;
  T* operator->() const { return P; }
  T** Out() { return &P; }
  T* Get() const { return P; }

private:
  T* P = nullptr;
};

// COM on this thread for as long as the object lives (nothing to undo when
// the thread had it already in another apartment model).
class TComScope {
public:
  TComScope() : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComScope() {
    if (SUCCEEDED(FResult)) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

private:
  HRESULT FResult;
};

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

constexpr int kColourTypePalette = 3;
constexpr int kColourTypeGreyAlpha = 4;
constexpr int kColourTypeRgbAlpha = 6;

// What the header and the transparency chunk say about alpha. The decoder
// checks the rest of the file.
struct TPngLayout {
  int ColourType = -1;
  bool PartialPaletteAlpha = false;
};

TPngLayout ReadLayout(const std::uint8_t* data, std::size_t size) {
  TPngLayout layout;
  std::size_t at = 8; // after the signature
  while (at + 12 <= size) {
    const std::uint32_t length = BigEndian32(data + at);
    const std::uint8_t* type = data + at + 4;
    const std::uint8_t* body = data + at + 8;
    if (length > size - at - 12) break;
    if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) layout.ColourType = body[9];
    if (std::memcmp(type, "tRNS", 4) == 0 && layout.ColourType == kColourTypePalette)
      for (std::uint32_t i = 0; i < length; ++i)
        layout.PartialPaletteAlpha |= body[i] != 0 && body[i] != 255;
    if (std::memcmp(type, "IDAT", 4) == 0) break; // tRNS comes before the image data
    at += 12 + length;
  }
  return layout;
}

} // namespace

TPngDecodeResult DecodePng(const std::uint8_t* data, std::size_t size, TBitmap& bitmap,
                           bool& alpha, int maxSide, std::uint64_t maxPixels) {
  if (size < 8 || size > 0x7FFFFFFF) return pdInvalid;
  const TPngLayout layout = ReadLayout(data, size);
  if (layout.ColourType < 0) return pdInvalid;
  alpha = layout.ColourType == kColourTypeGreyAlpha || layout.ColourType == kColourTypeRgbAlpha ||
          layout.PartialPaletteAlpha;

  TComScope com;
  TCom<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))))
    return pdInvalid;
  TCom<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
    return pdInvalid;
  TCom<IWICBitmapDecoder> decoder;
  GUID container{};
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Out())) ||
      FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatPng)
    return pdInvalid;
  TCom<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)))
    return pdInvalid;
  if (width == 0 || height == 0 || width > static_cast<UINT>(maxSide) ||
      height > static_cast<UINT>(maxSide) || std::uint64_t{width} * height > maxPixels)
    return pdInvalid;
  TCom<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return pdInvalid;
  try {
    bitmap.SetSize(static_cast<int>(width), static_cast<int>(height));
  } catch (const std::bad_alloc&) {
    return pdOutOfMemory;
  }
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(bitmap.Bits()))))
    return pdInvalid;
  // Without an alpha channel every pixel is opaque, except a palette's fully
  // transparent entries, which keep their alpha beside their colour.
  if (!alpha && layout.ColourType != kColourTypePalette) {
    std::uint32_t* p = bitmap.Bits();
    for (std::uint64_t i = 0, n = std::uint64_t{width} * height; i < n; ++i) p[i] |= 0xFF000000u;
  }
  return pdOk;
}

} // namespace qvt
