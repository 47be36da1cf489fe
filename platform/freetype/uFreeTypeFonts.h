// Fonts through fontconfig (finding a file for a family name) and FreeType
// (rendering anti-aliased glyphs). A family that is not installed gets
// fontconfig's substitute, normally a sans-serif face.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "platform/core/uFont.h"

namespace qvt {

class TFreeTypeFontEngine : public TFontEngine {
public:
  TFreeTypeFontEngine();
  ~TFreeTypeFontEngine() override;
  TFreeTypeFontEngine(const TFreeTypeFontEngine&) = delete;
  TFreeTypeFontEngine& operator=(const TFreeTypeFontEngine&) = delete;

  std::shared_ptr<TFontFace> Face(const TFont& font) override;
  bool HasFamily(const std::string& name) override;
  // The font file chosen for a family and style; empty when none was found.
  std::string MatchFile(const std::string& family, TFontStyles style, int* faceIndex = nullptr,
                        std::string* matchedFamily = nullptr);

private:
  struct TLibrary;
  std::unique_ptr<TLibrary> FLibrary;
  std::map<std::tuple<std::string, int, TFontStyles>, std::shared_ptr<TFontFace>> FFaces;
};

} // namespace qvt
