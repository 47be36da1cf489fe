// Plain value types of the framework: geometry, colours, input states, cursors.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

class TObject;

// Notification event: the sender is the object that fires it.
using TNotifyEvent = std::function<void(TObject* Sender)>;

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Left/top inclusive, right/bottom exclusive.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  TRect Intersect(const TRect& o) const {
    return {std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
            std::min(Bottom, o.Bottom)};
  }
  // The smallest rectangle holding both; an empty side is ignored.
  TRect Union(const TRect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right),
            std::max(Bottom, o.Bottom)};
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

// Colour as 0x00BBGGRR: red in the lowest byte.
using TColor = std::uint32_t;

constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(TColor c) { return c & 0xFF; }
constexpr int GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(TColor c) { return (c >> 16) & 0xFF; }

inline constexpr TColor clBlack = RGBColor(0, 0, 0);
inline constexpr TColor clWhite = RGBColor(255, 255, 255);
inline constexpr TColor clBtnFace = RGBColor(240, 240, 240);

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// Keyboard modifiers, held mouse buttons and the double-click flag of a press.
enum TShiftFlag : std::uint16_t {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6,
};
using TShiftState = std::uint16_t;

inline TShiftState ButtonFlag(TMouseButton b) {
  return b == mbLeft ? ssLeft : b == mbRight ? ssRight : ssMiddle;
}

enum TCursor : std::uint8_t { crDefault, crArrow, crHandPoint, crIBeam };

// Virtual key codes (the numbering of the system the framework stands in for).
enum TVirtualKey : std::uint16_t {
  vkBack = 0x08,
  vkTab = 0x09,
  vkReturn = 0x0D,
  vkShift = 0x10,
  vkControl = 0x11,
  vkMenu = 0x12,
  vkEscape = 0x1B,
  vkSpace = 0x20,
  vkPrior = 0x21,
  vkNext = 0x22,
  vkEnd = 0x23,
  vkHome = 0x24,
  vkLeft = 0x25,
  vkUp = 0x26,
  vkRight = 0x27,
  vkDown = 0x28,
  vkInsert = 0x2D,
  vkDelete = 0x2E,
  // '0'..'9' and 'A'..'Z' are their ASCII codes.
  vkF1 = 0x70,
};
