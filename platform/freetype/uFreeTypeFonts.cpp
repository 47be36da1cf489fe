#include "platform/freetype/uFreeTypeFonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <unordered_map>

#include "lib/uCodePage.h"

namespace qvt {

struct TFreeTypeFontEngine::TLibrary {
  FT_Library Library = nullptr;
  FcConfig* Config = nullptr;
};

namespace {

class TFreeTypeFace : public TCachedFontFace {
public:
  explicit TFreeTypeFace(FT_Face face) : FFace(face) {
    FAscent = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0));
    FDescent = static_cast<int>(std::ceil(-face->size->metrics.descender / 64.0));
  }
  ~TFreeTypeFace() override { FT_Done_Face(FFace); }
  TFreeTypeFace(const TFreeTypeFace&) = delete;
  TFreeTypeFace& operator=(const TFreeTypeFace&) = delete;

  int Kerning(char32_t left, char32_t right) override {
    if (!FT_HAS_KERNING(FFace)) return 0;
    FT_Vector delta{};
    FT_Get_Kerning(FFace, FT_Get_Char_Index(FFace, left), FT_Get_Char_Index(FFace, right),
                   FT_KERNING_DEFAULT, &delta);
    return static_cast<int>(std::lround(delta.x / 64.0));
  }

private:
  TGlyph Render(char32_t code) override {
    TGlyph glyph;
    if (FT_Load_Char(FFace, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
      const FT_GlyphSlot slot = FFace->glyph;
      const FT_Bitmap& bitmap = slot->bitmap;
      glyph.Advance = static_cast<int>(std::lround(slot->advance.x / 64.0));
      if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        glyph.Width = static_cast<int>(bitmap.width);
        glyph.Height = static_cast<int>(bitmap.rows);
        glyph.Left = slot->bitmap_left;
        glyph.Top = slot->bitmap_top;
        glyph.Coverage.resize(static_cast<std::size_t>(glyph.Width * glyph.Height));
        for (int y = 0; y < glyph.Height; ++y)
          for (int x = 0; x < glyph.Width; ++x)
            glyph.Coverage[static_cast<std::size_t>(y * glyph.Width + x)] =
                bitmap.buffer[y * bitmap.pitch + x];
      }
    }
    return glyph;
  }

  FT_Face FFace;
};

} // namespace

TFreeTypeFontEngine::TFreeTypeFontEngine() : FLibrary(std::make_unique<TLibrary>()) {
  if (FT_Init_FreeType(&FLibrary->Library) != 0) FLibrary->Library = nullptr;
  FLibrary->Config = FcInitLoadConfigAndFonts();
}

TFreeTypeFontEngine::~TFreeTypeFontEngine() {
  FFaces.clear();
  if (FLibrary->Config) FcConfigDestroy(FLibrary->Config);
  if (FLibrary->Library) FT_Done_FreeType(FLibrary->Library);
}

std::string TFreeTypeFontEngine::MatchFile(const std::string& family, TFontStyles style,
                                           int* faceIndex, std::string* matchedFamily) {
  if (!FLibrary->Config) return {};
  const std::string name = Win1252ToUtf8(family.empty() ? "sans-serif" : family);
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, (style & fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, (style & fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(FLibrary->Config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(FLibrary->Config, pattern, &result);
  std::string file;
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (faceIndex) *faceIndex = index;
    FcChar8* matched = nullptr;
    if (matchedFamily && FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch &&
        matched)
      *matchedFamily = reinterpret_cast<const char*>(matched);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

std::shared_ptr<TFontFace> TFreeTypeFontEngine::Face(const TFont& font) {
  const auto key = std::make_tuple(font.Name, font.Height, font.Style);
  auto& cached = FFaces[key];
  if (cached) return cached;
  int index = 0;
  const std::string file = MatchFile(font.Name, font.Style, &index);
  FT_Face face = nullptr;
  if (FLibrary->Library && !file.empty() &&
      FT_New_Face(FLibrary->Library, file.c_str(), index, &face) == 0 && FT_IS_SCALABLE(face)) {
    const double cellPerEm =
        static_cast<double>(face->ascender - face->descender) / face->units_per_EM;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(EmPixels(font.Height, cellPerEm)));
    cached = std::make_shared<TFreeTypeFace>(face);
  } else {
    if (face) FT_Done_Face(face);
    cached = FallbackFontEngine().Face(font);
  }
  return cached;
}

bool TFreeTypeFontEngine::HasFamily(const std::string& name) {
  std::string matched;
  if (MatchFile(name, 0, nullptr, &matched).empty()) return false;
  return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(matched.c_str()),
                            reinterpret_cast<const FcChar8*>(Win1252ToUtf8(name).c_str())) == 0;
}

} // namespace qvt
