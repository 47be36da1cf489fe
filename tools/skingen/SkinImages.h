// Every image of the skin, by name, and the drawing function that makes it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/uBitmap.h"

namespace qvt::skin {

struct TSkinImage {
  std::string Name;
  std::function<TBitmap()> Draw;
};

// The whole catalogue in a fixed order.
std::vector<TSkinImage> SkinCatalogue();

// Control faces and strips.
TBitmap DrawKnobStrip();
TBitmap DrawCheckButton(bool checked);
TBitmap DrawWaveSwitch();
TBitmap DrawToolButton();
TBitmap DrawPushButton();
TBitmap DrawCloseButton();
TBitmap DrawFont1();
TBitmap DrawDigits9();
TBitmap DrawSpinPressed();
TBitmap DrawWaveSelector();
TBitmap DrawRatioFace(bool enabled);
TBitmap DrawOffsetFace(bool enabled);
TBitmap DrawSchemeEdit();
TBitmap DrawSchemes();
TBitmap DrawShaper();
TBitmap DrawListRow();
TBitmap DrawPresetEdit();
TBitmap DrawPresetEditPressed();
// The 13×13 tool-button glyphs, by image name.
TBitmap DrawGlyph(const std::string& name);
// The form backgrounds.
TBitmap DrawMainForm();
TBitmap DrawPatternForm();
TBitmap DrawAboutForm();

// A contact sheet of images at twice their size with their names; tall strips
// are folded into columns.
TBitmap DrawContactSheet(const std::vector<std::pair<std::string, TBitmap>>& images);

} // namespace qvt::skin
