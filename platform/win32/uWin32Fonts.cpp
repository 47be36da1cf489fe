// Text through GDI: each glyph is rendered anti-aliased (GetGlyphOutline's
// 65-level grey bitmaps) and handed to the framework as a coverage map, so
// that text is drawn into the forms' back buffers like everything else.
#include <windows.h>

#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "lib/uCodePage.h"
#include "lib/win32/uWideText.h"
#include "platform/core/uFont.h"
#include "platform/win32/uWin32Platform.h"

namespace qvt {

namespace {

constexpr MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

class TGdiFace : public TCachedFontFace {
public:
  TGdiFace(HDC dc, const TFont& font) : FDc(dc) {
    LOGFONTW logFont{};
    // The framework's heights follow GDI's rule: negative = em, positive = cell.
    logFont.lfHeight = font.Height == 0 ? -11 : font.Height;
    logFont.lfWeight = font.Style & fsBold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = font.Style & fsItalic ? TRUE : FALSE;
    logFont.lfUnderline = font.Style & fsUnderline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_TT_PRECIS;
    logFont.lfQuality = ANTIALIASED_QUALITY;
    const std::wstring name = Widen(Win1252ToUtf8(font.Name)).substr(0, LF_FACESIZE - 1);
    std::copy(name.begin(), name.end(), logFont.lfFaceName);
    FFont = CreateFontIndirectW(&logFont);
    HGDIOBJ old = SelectObject(FDc, FFont);
    TEXTMETRICW metrics{};
    GetTextMetricsW(FDc, &metrics);
    SelectObject(FDc, old);
    FAscent = metrics.tmAscent;
    FDescent = metrics.tmDescent;
  }
  ~TGdiFace() override {
    if (FFont) DeleteObject(FFont);
  }
  TGdiFace(const TGdiFace&) = delete;
  TGdiFace& operator=(const TGdiFace&) = delete;

private:
  TGlyph Render(char32_t code) override {
    TGlyph glyph;
    if (code <= 0xFFFF && FFont) {
      HGDIOBJ old = SelectObject(FDc, FFont);
      GLYPHMETRICS metrics{};
      const UINT unit = static_cast<UINT>(code);
      const DWORD size = GetGlyphOutlineW(FDc, unit, GGO_GRAY8_BITMAP, &metrics, 0, nullptr, &kIdentity);
      if (size != GDI_ERROR) {
        glyph.Advance = metrics.gmCellIncX;
        if (size > 0) {
          std::vector<std::uint8_t> grey(size);
          GetGlyphOutlineW(FDc, unit, GGO_GRAY8_BITMAP, &metrics, size, grey.data(), &kIdentity);
          glyph.Width = static_cast<int>(metrics.gmBlackBoxX);
          glyph.Height = static_cast<int>(metrics.gmBlackBoxY);
          glyph.Left = metrics.gmptGlyphOrigin.x;
          glyph.Top = metrics.gmptGlyphOrigin.y;
          const int pitch = (glyph.Width + 3) & ~3; // rows are DWORD-aligned
          glyph.Coverage.resize(static_cast<std::size_t>(glyph.Width * glyph.Height));
          for (int y = 0; y < glyph.Height; ++y)
            for (int x = 0; x < glyph.Width; ++x) {
              const std::size_t at = static_cast<std::size_t>(y * pitch + x);
              const int level = at < grey.size() ? grey[at] : 0; // 0 … 64
              glyph.Coverage[static_cast<std::size_t>(y * glyph.Width + x)] =
                  static_cast<std::uint8_t>(level >= 64 ? 255 : level * 4);
            }
        }
      }
      SelectObject(FDc, old);
    }
    return glyph;
  }

  HDC FDc;
  HFONT FFont = nullptr;
};

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

class TGdiFontEngine : public TFontEngine {
public:
  TGdiFontEngine() : FDc(CreateCompatibleDC(nullptr)) {}
  ~TGdiFontEngine() override {
    FFaces.clear();
    if (FDc) DeleteDC(FDc);
  }
  TGdiFontEngine(const TGdiFontEngine&) = delete;
  TGdiFontEngine& operator=(const TGdiFontEngine&) = delete;

  std::shared_ptr<TFontFace> Face(const TFont& font) override {
    auto& face = FFaces[std::make_tuple(font.Name, font.Height, font.Style)];
    if (!face) face = std::make_shared<TGdiFace>(FDc, font);
    return face;
  }

  bool HasFamily(const std::string& name) override {
    LOGFONTW logFont{};
    logFont.lfCharSet = DEFAULT_CHARSET;
    const std::wstring wide = Widen(Win1252ToUtf8(name)).substr(0, LF_FACESIZE - 1);
    std::copy(wide.begin(), wide.end(), logFont.lfFaceName);
    bool found = false;
    EnumFontFamiliesExW(FDc, &logFont, &NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
    return found;
  }

private:
  HDC FDc;
  std::map<std::tuple<std::string, int, TFontStyles>, std::shared_ptr<TFontFace>> FFaces;
};

} // namespace

std::unique_ptr<TFontEngine> CreateGdiFontEngine() { return std::make_unique<TGdiFontEngine>(); }

} // namespace qvt
