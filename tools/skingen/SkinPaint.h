// Drawing helpers of the skin generator: the palette, pixel-exact fills and
// bevels, supersampled shapes, pixel-art sprites and labels set with FreeType.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/uBitmap.h"
#include "platform/core/uTypes.h"

namespace qvt::skin {

// The panel palette, built around the dark LCD green and its bright ink.
inline constexpr TColor kLcd = RGBColor(34, 51, 43);       // displays, lists, bitmap fonts
inline constexpr TColor kInk = RGBColor(187, 255, 173);    // lit text and indicators
inline constexpr TColor kInkDim = RGBColor(150, 200, 150); // labels, caret
inline constexpr TColor kInkGhost = RGBColor(48, 72, 60);  // unlit LCD segments, grid
inline constexpr TColor kBackdrop = RGBColor(22, 33, 28);  // between the plates
inline constexpr TColor kPlate = RGBColor(44, 65, 54);     // section plates (knobs sit on it)
inline constexpr TColor kPlateLight = RGBColor(83, 117, 93);
inline constexpr TColor kPlateShade = RGBColor(14, 22, 18);
inline constexpr TColor kFace = RGBColor(62, 90, 75); // button faces
inline constexpr TColor kFaceLight = RGBColor(116, 160, 127);
inline constexpr TColor kFaceShade = RGBColor(26, 39, 33);
inline constexpr TColor kSunkShade = RGBColor(12, 19, 16);
inline constexpr TColor kSunkLight = RGBColor(93, 130, 104);
inline constexpr TColor kKeyGreen = RGBColor(0, 255, 0); // knob transparency

TColor Mix(TColor a, TColor b, double t); // a·(1 − t) + b·t
TColor Scale(TColor c, double factor);

// Opaque pixel drawing; everything is clipped to the bitmap.
void Put(TBitmap& b, int x, int y, TColor c);
void Fill(TBitmap& b, const TRect& r, TColor c);
void HLine(TBitmap& b, int x0, int x1, int y, TColor c); // x0..x1 inclusive
void VLine(TBitmap& b, int x, int y0, int y1, TColor c); // y0..y1 inclusive
void Frame(TBitmap& b, const TRect& r, TColor c);
// A 1-pixel edge: `topLeft` along the top and left, `bottomRight` opposite.
void Edge(TBitmap& b, const TRect& r, TColor topLeft, TColor bottomRight);
// Mixes c into one pixel by `amount` 0…1.
void Blend(TBitmap& b, int x, int y, TColor c, double amount);
// A dotted horizontal line, every other pixel.
void DottedHLine(TBitmap& b, int x0, int x1, int y, TColor c);

// A sunken display window: dark outer edge, LCD inside.
void SunkenWell(TBitmap& b, const TRect& r, TColor inside = kLcd);
// A raised button face with a dark outline.
void RaisedFace(TBitmap& b, const TRect& r, bool pressed, TColor face = kFace);

// Straight-alpha colour that shaders answer per sample point.
struct TPaint {
  double R = 0, G = 0, B = 0, A = 0;
  static TPaint Of(TColor c, double alpha = 1.0);
};
using TShader = std::function<TPaint(double x, double y)>;
// Renders `shader` over r with n×n samples per pixel (pixel centres at
// integer + 0.5) and composites it over what is there. Answers the coverage
// per pixel of r, row by row.
std::vector<double> Shade(TBitmap& b, const TRect& r, const TShader& shader, int n = 5);
// Distance from p to the segment a–b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by);

// Pixel art: one string per row; '#' ink, '+' dim ink, '-' ghost, other characters untouched.
void Sprite(TBitmap& b, int x, int y, const std::vector<std::string_view>& rows, TColor ink,
            TColor dim, TColor ghost = kInkGhost);

// Text in a FreeType face with slightly steepened coverage for crisp small sizes.
struct TLabelFont {
  const char* Family = "DejaVu Sans Condensed";
  int Pixels = 9; // em height
  bool Bold = true;
};
int LabelWidth(std::string_view text, const TLabelFont& font = {});
// Draws text with its baseline at y; align 0 left of x, 1 centred on x, 2 right of x.
void Label(TBitmap& b, int x, int y, std::string_view text, TColor c, int align = 0,
           const TLabelFont& font = {});
// The first label family that is not installed (fontconfig would substitute
// another face and the artwork would change), or empty.
std::string MissingLabelFamily();

} // namespace qvt::skin
