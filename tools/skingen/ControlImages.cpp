// The faces and strips of the skinned controls.
#include <cmath>
#include <numbers>

#include "tools/skingen/PixelFonts.h"
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"

namespace qvt::skin {

namespace {

constexpr double kPi = std::numbers::pi;

// The knob's sweep: position 0 at 135° left of top, 127 at 135° right of it.
constexpr double kKnobSweep = 270.0;

TBitmap Blank(int width, int height, TColor c) {
  TBitmap b(width, height);
  Fill(b, b.BoundsRect(), c);
  return b;
}

// Up arrow (5 wide, 3 high) with its point at (cx, top).
void UpArrow(TBitmap& b, int cx, int top, TColor c) {
  for (int row = 0; row < 3; ++row) HLine(b, cx - row, cx + row, top + row, c);
}
void DownArrow(TBitmap& b, int cx, int top, TColor c) {
  for (int row = 0; row < 3; ++row) HLine(b, cx - 2 + row, cx + 2 - row, top + row, c);
}

// A spin button cell: a small raised face with its arrow.
void SpinCell(TBitmap& b, const TRect& r, bool up, int cx, int arrowTop) {
  Fill(b, r, kFace);
  Edge(b, r, kFaceLight, kFaceShade);
  if (up)
    UpArrow(b, cx, arrowTop, kInkDim);
  else
    DownArrow(b, cx, arrowTop, kInkDim);
}

// The face shared by the numeric editors: raised body, display well on the
// left, three columns of increment and decrement buttons on the right.
TBitmap NumericFace(int pointX) {
  TBitmap b = Blank(78, 19, Mix(kPlate, kFace, 0.4));
  Edge(b, b.BoundsRect(), kFaceLight, kPlateShade);
  SunkenWell(b, {2, 2, 46, 17});
  Put(b, pointX, 13, kInk);
  for (int column = 0; column < 3; ++column) {
    const int left = 46 + 10 * column;
    SpinCell(b, {left, 1, left + 10, 9}, true, left + 4, 3);
    SpinCell(b, {left, 9, left + 10, 17}, false, left + 4, 12);
  }
  return b;
}

// Greys a face out: colours move towards a dim grey of their own brightness.
void Disable(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = ColorOfPixel(b.Pixel(x, y));
      const int grey = (RedOf(c) * 3 + GreenOf(c) * 6 + BlueOf(c)) / 10;
      Put(b, x, y, Mix(Mix(c, RGBColor(grey, grey, grey), 0.75), kBackdrop, 0.35));
    }
}

// An unpowered display: every segment of the six digit cells in ghost colour.
void GhostDigits(TBitmap& b, const int (&lefts)[6]) {
  for (int left : lefts) SegmentDigit(b, left, 5, 8, Mix(kLcd, kInk, 0.18), kInkGhost);
}

} // namespace

TBitmap DrawKnobStrip() {
  TBitmap strip(25, 25 * 128);
  for (int p = 0; p < 128; ++p) {
    const double pointer = (-kKnobSweep / 2 + kKnobSweep * p / 127.0) * kPi / 180.0;
    const double limit = kKnobSweep / 2 * kPi / 180.0;
    const int top = 25 * p;
    const double cx = 12.5, cy = top + 12.5;
    const TShader knob = [&](double x, double y) {
      const double dx = x - cx, dy = y - cy, r = std::hypot(dx, dy);
      const double angle = std::atan2(dx, -dy); // clockwise from the top
      // Pointer line from near the centre towards the rim.
      const double sx = std::sin(pointer), sy = -std::cos(pointer);
      if (SegmentDistance(dx, dy, 2.2 * sx, 2.2 * sy, 7.0 * sx, 7.0 * sy) <= 0.8)
        return TPaint::Of(kInk);
      const double light = std::clamp(0.5 - (dx + dy) / 24.0, 0.0, 1.0); // lit from top left
      if (r <= 6.8) return TPaint::Of(Mix(RGBColor(52, 76, 64), RGBColor(82, 114, 96), light));
      if (r <= 8.7) return TPaint::Of(Mix(RGBColor(34, 50, 42), RGBColor(112, 152, 126), light));
      if (r <= 9.6) return TPaint::Of(kPlateShade);
      if (r >= 10.4 && r <= 12.1 && std::fabs(angle) <= limit)
        return TPaint::Of(angle <= pointer + 1e-9 ? kInk : Mix(kPlate, kInk, 0.22));
      return TPaint{};
    };
    const TRect frame{0, top, 25, top + 25};
    Fill(strip, frame, kPlate);
    const std::vector<double> coverage = Shade(strip, frame, knob);
    // Pixels the knob does not reach let the panel show through.
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x)
        if (coverage[static_cast<std::size_t>(y * 25 + x)] < 0.04)
          Put(strip, x, top + y, kKeyGreen);
  }
  return strip;
}

TBitmap DrawCheckButton(bool checked) {
  TBitmap b = Blank(13, 13, kPlate);
  Edge(b, b.BoundsRect(), kSunkShade, kSunkLight);
  Frame(b, {1, 1, 12, 12}, kPlateShade);
  if (!checked) {
    Fill(b, {2, 2, 11, 11}, Mix(kLcd, kPlateShade, 0.3));
    HLine(b, 2, 10, 2, kInkGhost);
    return b;
  }
  Fill(b, {2, 2, 11, 11}, kLcd);
  Shade(b, {2, 2, 11, 11}, [](double x, double y) {
    const double r = std::hypot(x - 6.5, y - 6.5) / 6.4;
    return TPaint::Of(Mix(kInk, Mix(kInk, kLcd, 0.55), r * r));
  });
  Put(b, 4, 4, RGBColor(235, 255, 228));
  return b;
}

TBitmap DrawWaveSwitch() {
  constexpr int kFrames = 9;
  TBitmap b(16, 9 * kFrames);
  for (int f = 0; f < kFrames; ++f) {
    const int top = 9 * f;
    const int lever = std::min(f, 7); // the last frame repeats the resting "on" look
    Fill(b, {0, top, 16, top + 9}, Mix(kLcd, kPlateShade, 0.4));
    Edge(b, {0, top, 16, top + 9}, kSunkShade, kSunkLight);
    const TRect thumb{1 + lever, top + 1, 8 + lever, top + 8};
    Fill(b, thumb, kFace);
    Edge(b, thumb, kFaceLight, kFaceShade);
    VLine(b, thumb.Left + 3, top + 3, top + 5, Mix(kInkGhost, kInk, lever / 7.0));
  }
  return b;
}

TBitmap DrawToolButton() {
  TBitmap b(44, 22);
  RaisedFace(b, {0, 0, 22, 22}, false);
  RaisedFace(b, {22, 0, 44, 22}, true);
  return b;
}

TBitmap DrawPushButton() {
  TBitmap b(132, 22);
  for (int face = 0; face < 2; ++face) {
    const TRect r{66 * face, 0, 66 * face + 66, 22};
    for (int y = 1; y < 21; ++y)
      HLine(b, r.Left, r.Right - 1, y,
            Mix(Scale(kFace, face ? 0.8 : 1.2), Scale(kFace, face ? 1.0 : 0.8), y / 21.0));
    Frame(b, r, kPlateShade);
    const TRect inner{r.Left + 1, 1, r.Right - 1, 21};
    if (face)
      Edge(b, inner, kFaceShade, Mix(kFace, kFaceLight, 0.3));
    else
      Edge(b, inner, kFaceLight, kFaceShade);
  }
  return b;
}

TBitmap DrawCloseButton() {
  TBitmap b(32, 14);
  for (int face = 0; face < 2; ++face) {
    const int left = 16 * face;
    RaisedFace(b, {left, 0, left + 16, 14}, face == 1);
    for (int i = 0; i < 5; ++i) {
      Put(b, left + 6 + face + i, 5 + face + i - 1, kInk);
      Put(b, left + 10 + face - i, 5 + face + i - 1, kInk);
    }
  }
  return b;
}

TBitmap DrawFont1() {
  TBitmap b = Blank(5 * 224, 8, kLcd);
  for (int code = 32; code < 256; ++code) {
    const auto rows = Font1Glyph(static_cast<unsigned char>(code));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 5; ++x)
        if (rows[y][x] == '#') Put(b, 5 * (code - 32) + x, y, kInk);
  }
  return b;
}

TBitmap DrawDigits9() {
  TBitmap b = Blank(72, 9, kLcd);
  for (int cell = 0; cell < 12; ++cell) SegmentDigit(b, 6 * cell, 0, cell - 1, kInk, kInkGhost);
  return b;
}

TBitmap DrawSpinPressed() {
  const TColor pressed = Mix(kFace, kFaceShade, 0.55);
  TBitmap b = Blank(10, 16, pressed);
  HLine(b, 0, 9, 0, kSunkShade);
  VLine(b, 0, 0, 6, kSunkShade);
  UpArrow(b, 4, 2, kInk);
  HLine(b, 0, 9, 7, kSunkShade);
  HLine(b, 0, 9, 8, Mix(pressed, kSunkShade, 0.5));
  VLine(b, 0, 7, 15, kSunkShade);
  DownArrow(b, 4, 10, kInk);
  return b;
}

TBitmap DrawWaveSelector() {
  TBitmap b = Blank(78, 19, Mix(kPlate, kFace, 0.4));
  Edge(b, b.BoundsRect(), kFaceLight, kPlateShade);
  SunkenWell(b, {2, 2, 66, 17});
  SpinCell(b, {66, 1, 77, 10}, true, 70, 3);
  SpinCell(b, {66, 10, 77, 18}, false, 70, 11);
  return b;
}

TBitmap DrawRatioFace(bool enabled) {
  TBitmap b = NumericFace(17);
  if (!enabled) {
    GhostDigits(b, {4, 10, 19, 25, 31, 37});
    Disable(b);
  }
  return b;
}

TBitmap DrawOffsetFace(bool enabled) {
  TBitmap b = NumericFace(29);
  if (!enabled) {
    GhostDigits(b, {4, 10, 16, 22, 31, 37});
    Disable(b);
  }
  return b;
}

TBitmap DrawSchemeEdit() {
  TBitmap b = Blank(79, 35, Mix(kPlate, kFace, 0.4));
  Edge(b, b.BoundsRect(), kFaceLight, kPlateShade);
  SunkenWell(b, {2, 2, 65, 33});
  SunkenWell(b, {65, 3, 77, 16});
  SpinCell(b, {66, 17, 78, 26}, true, 70, 19);
  SpinCell(b, {66, 26, 78, 34}, false, 70, 28);
  return b;
}

TBitmap DrawShaper() {
  TBitmap b = Blank(38, 33, kLcd);
  Edge(b, b.BoundsRect(), kSunkShade, kSunkLight);
  HLine(b, 1, 36, 1, Mix(kLcd, kSunkShade, 0.45));
  // A faint grid: the zero line and the quarters of the cycle.
  DottedHLine(b, 3, 34, 16, kInkGhost);
  for (int x : {11, 19, 27})
    for (int y = 4; y <= 29; y += 2) Put(b, x, y, Mix(kLcd, kInkGhost, 0.6));
  return b;
}

TBitmap DrawListRow() {
  TBitmap b = Blank(140, 13, kLcd);
  DottedHLine(b, 1, 139, 12, Mix(kLcd, kInkGhost, 0.5));
  return b;
}

TBitmap DrawPresetEdit() {
  TBitmap b = Blank(157, 17, kLcd);
  Edge(b, {0, 0, 141, 17}, kSunkShade, kSunkLight);
  HLine(b, 1, 139, 1, Mix(kLcd, kSunkShade, 0.45));
  Fill(b, {141, 0, 157, 17}, kPlate);
  RaisedFace(b, {141, 1, 156, 16}, false);
  HLine(b, 146, 150, 8, kInk);
  VLine(b, 148, 6, 10, kInk);
  return b;
}

TBitmap DrawPresetEditPressed() {
  TBitmap b(15, 15);
  RaisedFace(b, b.BoundsRect(), true);
  HLine(b, 6, 10, 8, kInk);
  VLine(b, 8, 6, 10, kInk);
  return b;
}

} // namespace qvt::skin
