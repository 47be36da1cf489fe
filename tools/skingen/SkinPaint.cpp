#include "tools/skingen/SkinPaint.h"

#include <algorithm>
#include <cmath>

#include "platform/core/uText.h"
#include "platform/freetype/uFreeTypeFonts.h"

namespace qvt::skin {

namespace {

int Channel(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); }

TFreeTypeFontEngine& Fonts() {
  static TFreeTypeFontEngine engine;
  return engine;
}

std::shared_ptr<TFontFace> FaceOf(const TLabelFont& font) {
  TFont f;
  f.Name = font.Family;
  f.Height = -font.Pixels;
  f.Style = font.Bold ? fsBold : 0;
  return Fonts().Face(f);
}

} // namespace

TColor Mix(TColor a, TColor b, double t) {
  return RGBColor(Channel(RedOf(a) + (RedOf(b) - RedOf(a)) * t),
                  Channel(GreenOf(a) + (GreenOf(b) - GreenOf(a)) * t),
                  Channel(BlueOf(a) + (BlueOf(b) - BlueOf(a)) * t));
}

TColor Scale(TColor c, double factor) {
  return RGBColor(Channel(RedOf(c) * factor), Channel(GreenOf(c) * factor),
                  Channel(BlueOf(c) * factor));
}

void Put(TBitmap& b, int x, int y, TColor c) {
  if (x >= 0 && y >= 0 && x < b.Width() && y < b.Height()) b.SetPixel(x, y, OpaquePixel(c));
}

void Fill(TBitmap& b, const TRect& r, TColor c) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) Put(b, x, y, c);
}

void HLine(TBitmap& b, int x0, int x1, int y, TColor c) {
  for (int x = x0; x <= x1; ++x) Put(b, x, y, c);
}

void VLine(TBitmap& b, int x, int y0, int y1, TColor c) {
  for (int y = y0; y <= y1; ++y) Put(b, x, y, c);
}

void Frame(TBitmap& b, const TRect& r, TColor c) { Edge(b, r, c, c); }

void Edge(TBitmap& b, const TRect& r, TColor topLeft, TColor bottomRight) {
  HLine(b, r.Left, r.Right - 1, r.Top, topLeft);
  VLine(b, r.Left, r.Top, r.Bottom - 1, topLeft);
  HLine(b, r.Left + 1, r.Right - 1, r.Bottom - 1, bottomRight);
  VLine(b, r.Right - 1, r.Top + 1, r.Bottom - 1, bottomRight);
}

void Blend(TBitmap& b, int x, int y, TColor c, double amount) {
  if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height()) return;
  Put(b, x, y, Mix(ColorOfPixel(b.Pixel(x, y)), c, std::clamp(amount, 0.0, 1.0)));
}

void DottedHLine(TBitmap& b, int x0, int x1, int y, TColor c) {
  for (int x = x0; x <= x1; x += 2) Put(b, x, y, c);
}

void SunkenWell(TBitmap& b, const TRect& r, TColor inside) {
  Fill(b, r, inside);
  Edge(b, r, kSunkShade, kSunkLight);
  // A soft inner shadow along the top and left.
  HLine(b, r.Left + 1, r.Right - 2, r.Top + 1, Mix(inside, kSunkShade, 0.45));
  VLine(b, r.Left + 1, r.Top + 2, r.Bottom - 2, Mix(inside, kSunkShade, 0.3));
}

void RaisedFace(TBitmap& b, const TRect& r, bool pressed, TColor face) {
  Fill(b, r, face);
  Frame(b, r, kPlateShade);
  const TRect inner{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  if (pressed)
    Edge(b, inner, kFaceShade, Mix(face, kFaceLight, 0.35));
  else
    Edge(b, inner, kFaceLight, kFaceShade);
}

TPaint TPaint::Of(TColor c, double alpha) {
  return {double(RedOf(c)), double(GreenOf(c)), double(BlueOf(c)), alpha};
}

std::vector<double> Shade(TBitmap& b, const TRect& r, const TShader& shader, int n) {
  std::vector<double> coverage;
  coverage.reserve(static_cast<std::size_t>(r.Width() * r.Height()));
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      double red = 0, green = 0, blue = 0, alpha = 0;
      for (int sy = 0; sy < n; ++sy)
        for (int sx = 0; sx < n; ++sx) {
          const TPaint p = shader(x + (sx + 0.5) / n, y + (sy + 0.5) / n);
          red += p.R * p.A;
          green += p.G * p.A;
          blue += p.B * p.A;
          alpha += p.A;
        }
      const double samples = n * n;
      alpha /= samples;
      coverage.push_back(alpha);
      if (alpha <= 0 || x < 0 || y < 0 || x >= b.Width() || y >= b.Height()) continue;
      const TColor under = ColorOfPixel(b.Pixel(x, y));
      Put(b, x, y,
          RGBColor(Channel(red / samples + RedOf(under) * (1 - alpha)),
                   Channel(green / samples + GreenOf(under) * (1 - alpha)),
                   Channel(blue / samples + BlueOf(under) * (1 - alpha))));
    }
  return coverage;
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  const double t =
      length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

void Sprite(TBitmap& b, int x, int y, const std::vector<std::string_view>& rows, TColor ink,
            TColor dim, TColor ghost) {
  for (std::size_t row = 0; row < rows.size(); ++row)
    for (std::size_t col = 0; col < rows[row].size(); ++col) {
      const int px = x + static_cast<int>(col), py = y + static_cast<int>(row);
      switch (rows[row][col]) {
      case '#': Put(b, px, py, ink); break;
      case '+': Put(b, px, py, dim); break;
      case '-': Put(b, px, py, ghost); break;
      default: break;
      }
    }
}

int LabelWidth(std::string_view text, const TLabelFont& font) {
  auto face = FaceOf(font);
  int width = 0;
  char32_t previous = 0;
  for (char32_t c : Win1252ToCodePoints(text)) {
    if (previous) width += face->Kerning(previous, c);
    width += face->Glyph(c).Advance;
    previous = c;
  }
  return width;
}

std::string MissingLabelFamily() {
  // A family's own files carry its name without spaces (DejaVuSansCondensed-Bold.ttf).
  for (std::string family : {"DejaVu Sans", "DejaVu Sans Condensed"}) {
    std::string fileStem = family;
    std::erase(fileStem, ' ');
    for (TFontStyles style : {TFontStyles{0}, TFontStyles{fsBold}})
      if (Fonts().MatchFile(family, style).find(fileStem) == std::string::npos) return family;
  }
  return {};
}

void Label(TBitmap& b, int x, int y, std::string_view text, TColor c, int align,
           const TLabelFont& font) {
  auto face = FaceOf(font);
  if (align == 1) x -= LabelWidth(text, font) / 2;
  if (align == 2) x -= LabelWidth(text, font);
  char32_t previous = 0;
  for (char32_t code : Win1252ToCodePoints(text)) {
    if (previous) x += face->Kerning(previous, code);
    const TGlyph& g = face->Glyph(code);
    for (int gy = 0; gy < g.Height; ++gy)
      for (int gx = 0; gx < g.Width; ++gx) {
        const double coverage = g.Coverage[static_cast<std::size_t>(gy * g.Width + gx)] / 255.0;
        // Steeper than linear: faint fringes drop away, strokes stay solid.
        const double amount = std::clamp((coverage - 0.12) * 1.35, 0.0, 1.0);
        if (amount > 0) Blend(b, x + g.Left + gx, y - g.Top + gy, c, amount);
      }
    x += g.Advance;
    previous = code;
  }
}

} // namespace qvt::skin
