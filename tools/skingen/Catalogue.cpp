#include "tools/skingen/SkinImages.h"

namespace qvt::skin {

std::vector<TSkinImage> SkinCatalogue() {
  std::vector<TSkinImage> images = {
      {"KNOB128", DrawKnobStrip},
      {"CH_BUTTON0", [] { return DrawCheckButton(false); }},
      {"CH_BUTTON1", [] { return DrawCheckButton(true); }},
      {"WAVE_SWITCH", DrawWaveSwitch},
      {"ZBUTTON", DrawToolButton},
      {"ZSBUTTON", DrawPushButton},
      {"ZCLOSEBUTTON", DrawCloseButton},
  };
  for (const char* glyph :
       {"ZBTN_SEQ_DDM", "ZBTN_FLT_DDM", "ZBTN_OPEN", "ZBTN_SAVE", "ZBTN_PANIC", "ZBTN_PEN",
        "ZBTN_RETURN", "ZBTN_DELETE", "ZBTN_RND_ALL", "ZBTN_RND_SEQ", "ZBTN_RND_FRQ",
        "ZBTN_RND_GEN", "ZBTN_RND_FLT", "ZBTN_RND_FX"})
    images.push_back({glyph, [name = std::string(glyph)] { return DrawGlyph(name); }});
  const std::vector<TSkinImage> rest = {
      {"FONT1", DrawFont1},
      {"DIGITS-9", DrawDigits9},
      {"SPIN-BTN-DN", DrawSpinPressed},
      {"WAVESELECTOR", DrawWaveSelector},
      {"ZSPINEDITRATIO", [] { return DrawRatioFace(true); }},
      {"ZSPINERATIODISABLED", [] { return DrawRatioFace(false); }},
      {"ZSPINEDITOFFSET", [] { return DrawOffsetFace(true); }},
      {"ZSPINEDITOFFSETDISABLED", [] { return DrawOffsetFace(false); }},
      {"SCHEMES", DrawSchemes},
      {"SCHEMEDIT", DrawSchemeEdit},
      {"ZSHAPER", DrawShaper},
      {"FONT_BG", DrawListRow},
      {"PRESETEDIT_BG", DrawPresetEdit},
      {"PRESETEDIT_BTNPRESSED", DrawPresetEditPressed},
      {"FRMMAIN", DrawMainForm},
      {"FRMPATEDIT", DrawPatternForm},
      {"FRMABOUT", DrawAboutForm},
  };
  images.insert(images.end(), rest.begin(), rest.end());
  return images;
}

} // namespace qvt::skin
