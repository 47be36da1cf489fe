#include "platform/core/uCanvas.h"

#include <algorithm>
#include <cmath>

#include "platform/core/uText.h"

using qvt::OpaquePixel;

namespace {

constexpr std::uint32_t Byte(std::uint32_t v, int shift) { return (v >> shift) & 0xFF; }

// (a·x + b·y) / 255 rounded, for bytes with a + b = 255.
constexpr std::uint32_t Mix(std::uint32_t x, std::uint32_t y, std::uint32_t a) {
  return (x * a + y * (255 - a) + 127) / 255;
}

std::uint32_t MixPixel(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= Mix(Byte(s, shift), Byte(d, shift), a) << shift;
  return out;
}

} // namespace

void TCanvas::ResetTarget(TBitmap* target) {
  FTarget = target;
  FOrigin = {};
  FClip = target ? target->BoundsRect() : TRect{};
}

void TCanvas::SetTarget(TBitmap* target, TPoint origin, const TRect& clip) {
  FTarget = target;
  FOrigin = origin;
  FClip = target ? clip.Intersect(target->BoundsRect()) : TRect{};
}

void TCanvas::IntersectClip(const TRect& r) {
  FClip = FClip.Intersect(r.Offset(FOrigin.X, FOrigin.Y));
}

std::uint32_t TCanvas::Pixel(int x, int y) const {
  const TPoint t{x + FOrigin.X, y + FOrigin.Y};
  return FTarget && FClip.Contains(t) ? FTarget->Pixel(t.X, t.Y) : 0;
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  PlotTarget(x + FOrigin.X, y + FOrigin.Y, OpaquePixel(color));
}

void TCanvas::PlotTarget(int tx, int ty, std::uint32_t pixel) {
  if (FTarget && FClip.Contains({tx, ty})) FTarget->SetPixel(tx, ty, pixel);
}

void TCanvas::FillTarget(const TRect& targetRect, std::uint32_t pixel) {
  if (!FTarget) return;
  const TRect r = targetRect.Intersect(FClip);
  for (int y = r.Top; y < r.Bottom; ++y)
    std::fill_n(FTarget->Bits() + static_cast<std::size_t>(y) * FTarget->Width() + r.Left,
                std::max(0, r.Width()), pixel);
}

void TCanvas::FillRect(const TRect& r) {
  if (Brush.Style == bsClear) return;
  FillTarget(r.Offset(FOrigin.X, FOrigin.Y), OpaquePixel(Brush.Color));
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty() || Brush.Style == bsClear) return;
  const TRect t = r.Offset(FOrigin.X, FOrigin.Y);
  const std::uint32_t pixel = OpaquePixel(Brush.Color);
  FillTarget({t.Left, t.Top, t.Right, t.Top + 1}, pixel);
  FillTarget({t.Left, t.Bottom - 1, t.Right, t.Bottom}, pixel);
  FillTarget({t.Left, t.Top, t.Left + 1, t.Bottom}, pixel);
  FillTarget({t.Right - 1, t.Top, t.Right, t.Bottom}, pixel);
}

void TCanvas::Rectangle(const TRect& r) {
  if (r.IsEmpty()) return;
  FillRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1});
  const TRect t = r.Offset(FOrigin.X, FOrigin.Y);
  const std::uint32_t pixel = OpaquePixel(Pen.Color);
  FillTarget({t.Left, t.Top, t.Right, t.Top + 1}, pixel);
  FillTarget({t.Left, t.Bottom - 1, t.Right, t.Bottom}, pixel);
  FillTarget({t.Left, t.Top, t.Left + 1, t.Bottom}, pixel);
  FillTarget({t.Right - 1, t.Top, t.Right, t.Bottom}, pixel);
}

void TCanvas::Line(int x0, int y0, int x1, int y1, bool lastPoint) {
  const std::uint32_t pixel = OpaquePixel(Pen.Color);
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (x0 != x1 || y0 != y1) {
    PlotTarget(x0 + FOrigin.X, y0 + FOrigin.Y, pixel);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  if (lastPoint) PlotTarget(x1 + FOrigin.X, y1 + FOrigin.Y, pixel);
}

void TCanvas::LineTo(int x, int y) {
  Line(PenPos.X, PenPos.Y, x, y, false);
  PenPos = {x, y};
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  if (Brush.Style != bsClear && points.size() >= 3) {
    int top = points[0].Y, bottom = points[0].Y;
    for (const TPoint& p : points) {
      top = std::min(top, p.Y);
      bottom = std::max(bottom, p.Y);
    }
    const std::uint32_t pixel = OpaquePixel(Brush.Color);
    std::vector<double> crossings;
    for (int y = top; y < bottom; ++y) {
      const double yc = y + 0.5;
      crossings.clear();
      for (std::size_t i = 0; i < points.size(); ++i) {
        const TPoint a = points[i], b = points[(i + 1) % points.size()];
        if ((a.Y <= yc && yc < b.Y) || (b.Y <= yc && yc < a.Y))
          crossings.push_back(a.X + (yc - a.Y) * (b.X - a.X) / (b.Y - a.Y));
      }
      std::sort(crossings.begin(), crossings.end());
      for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        const int from = static_cast<int>(std::ceil(crossings[i] - 0.5));
        const int to = static_cast<int>(std::ceil(crossings[i + 1] - 0.5));
        FillTarget({from + FOrigin.X, y + FOrigin.Y, to + FOrigin.X, y + 1 + FOrigin.Y}, pixel);
      }
    }
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TPoint a = points[i], b = points[(i + 1) % points.size()];
    Line(a.X, a.Y, b.X, b.Y, true);
  }
}

template <class Blend>
void TCanvas::CopyWith(int x, int y, const TBitmap& source, const TRect& sourceRect, Blend blend) {
  if (!FTarget) return;
  const TRect from = sourceRect.Intersect(source.BoundsRect());
  // Destination of the clipped source rectangle, then clipped to the canvas.
  const int dx = x + FOrigin.X + (from.Left - sourceRect.Left);
  const int dy = y + FOrigin.Y + (from.Top - sourceRect.Top);
  const TRect dest = Bounds(dx, dy, from.Width(), from.Height()).Intersect(FClip);
  for (int ty = dest.Top; ty < dest.Bottom; ++ty) {
    const int sy = from.Top + (ty - dy);
    for (int tx = dest.Left; tx < dest.Right; ++tx) {
      const int sx = from.Left + (tx - dx);
      std::uint32_t& d = FTarget->Bits()[static_cast<std::size_t>(ty) * FTarget->Width() + tx];
      d = blend(source.Pixel(sx, sy), d);
    }
  }
}

void TCanvas::Draw(int x, int y, const TBitmap& source) {
  if (source.Transparent)
    TransparentCopy(x, y, source, source.BoundsRect(), source.TransparentColor);
  else if (source.PixelFormat == pf32bit && source.AlphaFormat == afPremultiplied)
    AlphaBlendCopy(x, y, source, source.BoundsRect());
  else
    Copy(x, y, source, source.BoundsRect());
}

void TCanvas::Copy(int x, int y, const TBitmap& source, const TRect& sourceRect) {
  const bool opaque = source.PixelFormat == pf24bit;
  CopyWith(x, y, source, sourceRect,
           [opaque](std::uint32_t s, std::uint32_t) { return opaque ? s | 0xFF000000u : s; });
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) {
  if (dest.Width() == sourceRect.Width() && dest.Height() == sourceRect.Height()) {
    Copy(dest.Left, dest.Top, source, sourceRect);
    return;
  }
  if (!FTarget || dest.IsEmpty() || sourceRect.IsEmpty()) return;
  const TRect t = dest.Offset(FOrigin.X, FOrigin.Y).Intersect(FClip);
  const TRect sourceBounds = source.BoundsRect();
  for (int ty = t.Top; ty < t.Bottom; ++ty) {
    const int sy =
        sourceRect.Top + (ty - FOrigin.Y - dest.Top) * sourceRect.Height() / dest.Height();
    for (int tx = t.Left; tx < t.Right; ++tx) {
      const int sx =
          sourceRect.Left + (tx - FOrigin.X - dest.Left) * sourceRect.Width() / dest.Width();
      if (sourceBounds.Contains({sx, sy})) FTarget->SetPixel(tx, ty, source.Pixel(sx, sy));
    }
  }
}

void TCanvas::TransparentCopy(int x, int y, const TBitmap& source, const TRect& sourceRect,
                              TColor key) {
  const std::uint32_t keyRgb = OpaquePixel(key) & 0xFFFFFF;
  CopyWith(x, y, source, sourceRect, [keyRgb](std::uint32_t s, std::uint32_t d) {
    return (s & 0xFFFFFF) == keyRgb ? d : s | 0xFF000000u;
  });
}

void TCanvas::BlendCopy(int x, int y, const TBitmap& source, const TRect& sourceRect, int opacity) {
  const auto a = static_cast<std::uint32_t>(std::clamp(opacity, 0, 255));
  const bool opaque = source.PixelFormat == pf24bit;
  CopyWith(x, y, source, sourceRect, [a, opaque](std::uint32_t s, std::uint32_t d) {
    return MixPixel(opaque ? s | 0xFF000000u : s, d, a);
  });
}

void TCanvas::AlphaBlendCopy(int x, int y, const TBitmap& source, const TRect& sourceRect,
                             int opacity) {
  const auto ca = static_cast<std::uint32_t>(std::clamp(opacity, 0, 255));
  const bool opaque = source.PixelFormat == pf24bit;
  CopyWith(x, y, source, sourceRect, [ca, opaque](std::uint32_t s, std::uint32_t d) {
    if (opaque) s |= 0xFF000000u;
    std::uint32_t scaled = 0;
    for (int shift = 0; shift < 32; shift += 8)
      scaled |= ((Byte(s, shift) * ca + 127) / 255) << shift;
    const std::uint32_t keep = 255 - Byte(scaled, 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const std::uint32_t v = Byte(scaled, shift) + (Byte(d, shift) * keep + 127) / 255;
      out |= std::min<std::uint32_t>(v, 255) << shift;
    }
    return out;
  });
}

int TCanvas::TextWidth(std::string_view text) {
  auto face = qvt::CurrentFontEngine().Face(Font);
  int width = 0;
  char32_t previous = 0;
  for (char32_t c : qvt::Win1252ToCodePoints(text)) {
    if (previous) width += face->Kerning(previous, c);
    width += face->Glyph(c).Advance;
    previous = c;
  }
  return width;
}

int TCanvas::TextHeight(std::string_view) {
  auto face = qvt::CurrentFontEngine().Face(Font);
  return face->Ascent() + face->Descent();
}

int TCanvas::TextAscent() { return qvt::CurrentFontEngine().Face(Font)->Ascent(); }

void TCanvas::DrawString(int x, int baseline, std::string_view text) {
  if (!FTarget) return;
  auto face = qvt::CurrentFontEngine().Face(Font);
  const std::uint32_t color = OpaquePixel(Font.Color);
  char32_t previous = 0;
  for (char32_t c : qvt::Win1252ToCodePoints(text)) {
    if (previous) x += face->Kerning(previous, c);
    const qvt::TGlyph& g = face->Glyph(c);
    const int left = x + g.Left + FOrigin.X, top = baseline - g.Top + FOrigin.Y;
    const TRect area = Bounds(left, top, g.Width, g.Height).Intersect(FClip);
    for (int ty = area.Top; ty < area.Bottom; ++ty)
      for (int tx = area.Left; tx < area.Right; ++tx) {
        const std::uint32_t coverage =
            g.Coverage[static_cast<std::size_t>((ty - top) * g.Width + (tx - left))];
        if (coverage == 0) continue;
        std::uint32_t& d = FTarget->Bits()[static_cast<std::size_t>(ty) * FTarget->Width() + tx];
        d = MixPixel(color, d | 0xFF000000u, coverage);
      }
    x += g.Advance;
    previous = c;
  }
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  FillRect(Bounds(x, y, TextWidth(text), TextHeight(text)));
  DrawString(x, y + TextAscent(), text);
  PenPos = {x + TextWidth(text), y};
}

std::string TCanvas::EllipsizeText(std::string_view text, int width) {
  if (TextWidth(text) <= width) return std::string(text);
  std::string shown(text);
  while (!shown.empty() && TextWidth(shown + "...") > width) shown.pop_back();
  return shown + "...";
}

TRect TCanvas::TextRect(const TRect& r, std::string_view text, TTextFormat format) {
  const std::string shown =
      (format & tfEndEllipsis) ? EllipsizeText(text, r.Width()) : std::string(text);
  const int width = TextWidth(shown), height = TextHeight(shown);
  int x = r.Left, y = r.Top;
  if (format & tfCenter)
    x = r.Left + (r.Width() - width) / 2;
  else if (format & tfRight)
    x = r.Right - width;
  if (format & tfVerticalCenter)
    y = r.Top + (r.Height() - height) / 2;
  else if (format & tfBottom)
    y = r.Bottom - height;
  const TRect box = Bounds(x, y, width, height);

  const TRect savedClip = FClip;
  if (!(format & tfNoClip)) IntersectClip(r);
  FillRect(box);
  DrawString(x, y + TextAscent(), shown);
  FClip = savedClip;
  return box;
}
