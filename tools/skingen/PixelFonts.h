// The pixel fonts of the skin: the 5×8 text font (FONT1), the 6×9 LCD digits
// (DIGITS-9) and a 3×5 micro font for glyph captions.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/core/uBitmap.h"

namespace qvt::skin {

// Eight rows of five '#'/'.' characters for a Windows-1252 code (32…255).
// Codes without a drawing give a small box.
std::array<std::string, 8> Font1Glyph(unsigned char code);

// Draws text in the 3×5 micro font (upper-case letters, digits, a few signs),
// one character every 4 pixels; answers the width used.
int MicroText(TBitmap& b, int x, int y, std::string_view text, TColor ink);
int MicroWidth(std::string_view text);

// The seven-segment cell of a digit value: −1 blank, 0…9, 10 minus.
// Lit segments in `ink`, unlit ones in `ghost`; 5×9 pixels at (x, y).
void SegmentDigit(TBitmap& b, int x, int y, int value, TColor ink, TColor ghost);

} // namespace qvt::skin
