// Drawing on a bitmap: fills, frames, lines, polygons, the four copy modes and
// text. A canvas may be a window onto part of a bitmap (an origin and a clip
// rectangle), which is how controls draw on their form's back buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/uBitmap.h"
#include "platform/core/uFont.h"
#include "platform/core/uTypes.h"

struct TPen {
  TColor Color = clBlack;
};

enum TBrushStyle : std::uint8_t { bsSolid, bsClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid; // bsClear: text and shapes leave the background alone
};

// Text layout flags of TextRect (one line of text).
enum TTextFlag : std::uint16_t {
  tfLeft = 0,
  tfCenter = 1 << 0,
  tfRight = 1 << 1,
  tfTop = 0,
  tfVerticalCenter = 1 << 2,
  tfBottom = 1 << 3,
  tfEndEllipsis = 1 << 4, // a text too wide ends in "..." instead
  tfNoClip = 1 << 5,      // draw beyond the rectangle
};
using TTextFormat = std::uint16_t;

class TCanvas {
public:
  explicit TCanvas(TBitmap* target = nullptr) { ResetTarget(target); }

  TFont Font;
  TPen Pen;
  TBrush Brush;
  TPoint PenPos;

  // Draw on the whole of target.
  void ResetTarget(TBitmap* target);
  // Canvas (0, 0) is target's `origin`; nothing outside `clip` (target
  // coordinates) changes.
  void SetTarget(TBitmap* target, TPoint origin, const TRect& clip);
  TBitmap* Target() const { return FTarget; }
  TPoint Origin() const { return FOrigin; }
  // The clip rectangle in canvas coordinates.
  TRect ClipRect() const { return FClip.Offset(-FOrigin.X, -FOrigin.Y); }
  void IntersectClip(const TRect& r);

  std::uint32_t Pixel(int x, int y) const; // 0 outside the clip
  void SetPixel(int x, int y, TColor color);

  void FillRect(const TRect& r);  // with the brush
  void FrameRect(const TRect& r); // 1-pixel frame in the brush colour
  void Rectangle(const TRect& r); // brush inside, pen frame
  void MoveTo(int x, int y) { PenPos = {x, y}; }
  void LineTo(int x, int y);                       // the end point itself is not drawn
  void Polygon(const std::vector<TPoint>& points); // brush inside (even-odd), pen outline

  // Copy modes. x, y: destination of the source rectangle's top-left.
  // Draw picks by the source: Transparent → transparent colour, 32-bit
  // premultiplied → per-pixel alpha blend, otherwise a plain copy.
  void Draw(int x, int y, const TBitmap& source);
  void Copy(int x, int y, const TBitmap& source, const TRect& sourceRect);
  // Plain copy that stretches (nearest pixel) when the sizes differ.
  void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect);
  void TransparentCopy(int x, int y, const TBitmap& source, const TRect& sourceRect, TColor key);
  // dest = (source·opacity + dest·(255 − opacity)) / 255, every byte.
  void BlendCopy(int x, int y, const TBitmap& source, const TRect& sourceRect, int opacity);
  // Premultiplied source, scaled by opacity first: dest = s + dest·(255 − sa)/255.
  void AlphaBlendCopy(int x, int y, const TBitmap& source, const TRect& sourceRect,
                      int opacity = 255);

  // Text (Windows-1252) in Font. A text's box is TextWidth × TextHeight with
  // the baseline Ascent pixels below its top.
  int TextWidth(std::string_view text);
  int TextHeight(std::string_view text = {});
  int TextAscent();
  // Draws with its box's top-left at (x, y), on the brush unless bsClear.
  void TextOut(int x, int y, std::string_view text);
  // One line placed in r by the flags; answers the box the text occupies.
  TRect TextRect(const TRect& r, std::string_view text, TTextFormat format);
  // text itself when it fits in width, else the longest start of it + "...".
  std::string EllipsizeText(std::string_view text, int width);

private:
  template <class Blend>
  void CopyWith(int x, int y, const TBitmap& source, const TRect& sourceRect, Blend blend);
  void FillTarget(const TRect& targetRect, std::uint32_t pixel);
  void PlotTarget(int tx, int ty, std::uint32_t pixel);
  void Line(int x0, int y0, int x1, int y1, bool lastPoint);
  void DrawString(int x, int baseline, std::string_view text);

  TBitmap* FTarget = nullptr;
  TPoint FOrigin;
  TRect FClip;
};
