// The font interface that text drawing goes through. A backend installs its
// engine (FreeType on Linux); without one a built-in fallback face is used.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/uTypes.h"

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4 };
using TFontStyles = std::uint8_t;

// The font of a canvas or control. Height follows the framework's rule:
// negative = character height in pixels (the em), positive = cell height
// (ascent + descent); 0 means the default -11.
struct TFont {
  std::string Name = "Tahoma";
  int Height = -11;
  TColor Color = clBlack;
  TFontStyles Style = 0;
  friend bool operator==(const TFont&, const TFont&) = default;
};

namespace qvt {

// One rendered glyph: an 8-bit coverage map placed at (pen x + Left,
// baseline − Top), and the pen advance in whole pixels.
struct TGlyph {
  int Width = 0;
  int Height = 0;
  int Left = 0;
  int Top = 0;
  int Advance = 0;
  std::vector<std::uint8_t> Coverage;
};

class TFontFace {
public:
  virtual ~TFontFace() = default;
  virtual int Ascent() const = 0;  // pixels above the baseline
  virtual int Descent() const = 0; // pixels below it
  virtual const TGlyph& Glyph(char32_t code) = 0;
  virtual int Kerning(char32_t, char32_t) { return 0; }
};

// A face that renders each glyph once, when it is first asked for, and keeps it.
class TCachedFontFace : public TFontFace {
public:
  int Ascent() const override { return FAscent; }
  int Descent() const override { return FDescent; }
  const TGlyph& Glyph(char32_t code) override {
    const auto found = FGlyphs.find(code);
    if (found != FGlyphs.end()) return found->second;
    return FGlyphs.emplace(code, Render(code)).first->second;
  }

protected:
  // The glyph of `code`; an empty one with no advance when the face has none.
  virtual TGlyph Render(char32_t code) = 0;
  int FAscent = 0;
  int FDescent = 0;

private:
  std::unordered_map<char32_t, TGlyph> FGlyphs;
};

class TFontEngine {
public:
  virtual ~TFontEngine() = default;
  // Never null: an unknown name gives a substitute face.
  virtual std::shared_ptr<TFontFace> Face(const TFont& font) = 0;
  // Whether a family of that name is installed (rather than substituted).
  virtual bool HasFamily(const std::string& name) = 0;
};

// A plain outline-box face that needs no font files.
TFontEngine& FallbackFontEngine();

// The engine text drawing uses; null restores the fallback.
void SetFontEngine(TFontEngine* engine);
TFontEngine& CurrentFontEngine();

// The em size in pixels that a font height asks for, given the face's
// cell/em ratio (used for positive heights).
int EmPixels(int height, double cellPerEm);

} // namespace qvt
