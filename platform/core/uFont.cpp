#include "platform/core/uFont.h"

#include <cmath>
#include <map>
#include <utility>

namespace qvt {
namespace {

// Every visible character is a hollow box, about half an em wide; the
// space is empty. Metrics follow the em like a real sans-serif face.
class TBoxFace : public TFontFace {
public:
  explicit TBoxFace(int em) : FEm(std::max(1, em)) {
    FAscent = static_cast<int>(std::lround(FEm * 0.93));
    FDescent = std::max(1, static_cast<int>(std::lround(FEm * 0.24)));
  }
  int Ascent() const override { return FAscent; }
  int Descent() const override { return FDescent; }
  const TGlyph& Glyph(char32_t code) override {
    auto found = FGlyphs.find(code);
    if (found != FGlyphs.end()) return found->second;
    TGlyph glyph;
    glyph.Advance = std::max(2, static_cast<int>(std::lround(FEm * 0.55)));
    if (code > 32 && code != 0xA0) {
      glyph.Width = std::max(1, glyph.Advance - 1);
      glyph.Height = std::max(1, static_cast<int>(std::lround(FEm * 0.72)));
      glyph.Left = 0;
      glyph.Top = glyph.Height;
      glyph.Coverage.assign(static_cast<std::size_t>(glyph.Width * glyph.Height), 0);
      for (int y = 0; y < glyph.Height; ++y)
        for (int x = 0; x < glyph.Width; ++x)
          if (x == 0 || y == 0 || x == glyph.Width - 1 || y == glyph.Height - 1)
            glyph.Coverage[static_cast<std::size_t>(y * glyph.Width + x)] = 255;
    }
    return FGlyphs.emplace(code, std::move(glyph)).first->second;
  }

private:
  int FEm;
  int FAscent;
  int FDescent;
  std::map<char32_t, TGlyph> FGlyphs;
};

class TBoxEngine : public TFontEngine {
public:
  bool HasFamily(const std::string&) override { return false; }
  std::shared_ptr<TFontFace> Face(const TFont& font) override {
    const int em = EmPixels(font.Height, 1.17);
    auto& face = FFaces[em];
    if (!face) face = std::make_shared<TBoxFace>(em);
    return face;
  }

private:
  std::map<int, std::shared_ptr<TFontFace>> FFaces;
};

TFontEngine* GEngine = nullptr;

} // namespace

TFontEngine& FallbackFontEngine() {
  static TBoxEngine engine;
  return engine;
}

void SetFontEngine(TFontEngine* engine) { GEngine = engine; }

TFontEngine& CurrentFontEngine() { return GEngine ? *GEngine : FallbackFontEngine(); }

int EmPixels(int height, double cellPerEm) {
  if (height == 0) height = -11;
  if (height < 0) return -height;
  return std::max(1, static_cast<int>(std::lround(height / cellPerEm)));
}

} // namespace qvt
