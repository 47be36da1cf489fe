// The tool-button glyphs and the pictures of the nine generator schemes.
#include <map>
#include <stdexcept>

#include "tools/skingen/PixelFonts.h"
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"

namespace qvt::skin {

namespace {

using TArt = std::vector<std::string_view>;

const std::map<std::string, TArt>& Icons() {
  static const std::map<std::string, TArt> icons = {
      {"ZBTN_SEQ_DDM",
       {".............", // pattern steps over a menu arrow
        "..........#..", //
        "..#.......#..", //
        "..#...#...#..", //
        "..#.#.#...#.#", //
        "#.#.#.#.#.#.#", //
        "#.#.#.#.#.#.#", //
        "#.#.#.#.#.#.#", //
        ".............", //
        "....+++++....", //
        ".....+++.....", //
        "......+......", //
        "............."}},
      {"ZBTN_FLT_DDM",
       {".............", // a low-pass response over a menu arrow
        ".######......", //
        ".......#.....", //
        "........#....", //
        ".........#...", //
        ".........#...", //
        "..........#..", //
        "++++++++++#++", //
        ".............", //
        "....+++++....", //
        ".....+++.....", //
        "......+......", //
        "............."}},
      {"ZBTN_OPEN",
       {".............", // folder
        ".............", //
        ".####........", //
        "#....#.......", //
        "#.....#####..", //
        "#.........#..", //
        "#..#########.", //
        "#.#........#.", //
        "#.#.......#..", //
        "##........#..", //
        "##.......#...", //
        "##########...", //
        "............."}},
      {"ZBTN_SAVE",
       {".............", // floppy disk
        ".##########..", //
        ".#.+++++.#.#.", //
        ".#.+++++.#..#", //
        ".#.+++++....#", //
        ".#..........#", //
        ".#..........#", //
        ".#.#######..#", //
        ".#.#.....#..#", //
        ".#.#.###.#..#", //
        ".#.#.....#..#", //
        ".############", //
        "............."}},
      {"ZBTN_PANIC",
       {"....#####....", // stop sign with an exclamation mark
        "...#.....#...", //
        "..#...#...#..", //
        ".#....#....#.", //
        "#.....#.....#", //
        "#.....#.....#", //
        "#.....#.....#", //
        "#.....#.....#", //
        "#...........#", //
        ".#....#....#.", //
        "..#.......#..", //
        "...#.....#...", //
        "....#####...."}},
      {"ZBTN_PEN",
       {"..........##.", // pencil: store
        ".........#..#", //
        "........#..#.", //
        ".......#..#..", //
        "......#..#...", //
        ".....#..#....", //
        "....#..#.....", //
        "...#..#......", //
        "..#..#.......", //
        "..##.........", //
        ".###.........", //
        ".............", //
        "+++++++++++++"}},
      {"ZBTN_RETURN",
       {".............", // arrow turning back: restore
        "...#.........", //
        "..##.........", //
        ".#########...", //
        "..##......#..", //
        "...#.......#.", //
        "...........#.", //
        "...........#.", //
        "..........#..", //
        "....######...", //
        ".............", //
        ".............", //
        "............."}},
      {"ZBTN_DELETE",
       {".............", // cross: delete
        ".............", //
        "..##.....##..", //
        "...##...##...", //
        "....##.##....", //
        ".....###.....", //
        "....##.##....", //
        "...##...##...", //
        "..##.....##..", //
        ".............", //
        ".............", //
        ".............", //
        "............."}},
  };
  return icons;
}

// The random buttons: a die over the name of what they randomise.
const std::map<std::string, std::string_view>& DieCaptions() {
  static const std::map<std::string, std::string_view> captions = {
      {"ZBTN_RND_ALL", "ALL"}, {"ZBTN_RND_SEQ", "SEQ"}, {"ZBTN_RND_FRQ", "FRQ"},
      {"ZBTN_RND_GEN", "GEN"}, {"ZBTN_RND_FLT", "FLT"}, {"ZBTN_RND_FX", "FX"},
  };
  return captions;
}

// --- scheme pictures -----------------------------------------------------

// How one operator drives the next: phase offset (solid) or phase scale (dotted).
enum TLink { lOffset, lScale };

void LinkH(TBitmap& b, int x0, int x1, int y, TLink link) {
  for (int x = x0; x <= x1; ++x)
    if (link == lOffset || (x - x0) % 2 == 0) Put(b, x, y, kInkDim);
}
void LinkV(TBitmap& b, int x, int y0, int y1, TLink link) {
  if (y0 > y1) std::swap(y0, y1);
  for (int y = y0; y <= y1; ++y)
    if (link == lOffset || (y - y0) % 2 == 0) Put(b, x, y, kInkDim);
}

// An operator box (9×9) with its number.
void Operator(TBitmap& b, int x, int y, int number) {
  Fill(b, {x, y, x + 9, y + 9}, kLcd);
  Frame(b, {x, y, x + 9, y + 9}, kInk);
  MicroText(b, x + 3, y + 2, std::string(1, static_cast<char>('0' + number)), kInk);
}

// From the right side of one box to the left side of another, bending halfway.
void Connect(TBitmap& b, int fromX, int fromY, int toX, int toY, TLink link) {
  const int middle = (fromX + toX) / 2;
  LinkH(b, fromX, middle, fromY, link);
  LinkV(b, middle, fromY, toY, link);
  LinkH(b, middle, toX, toY, link);
}

// The output: a line to the right edge ending in an arrow head.
void Output(TBitmap& b, int fromX, int y) {
  HLine(b, fromX, 52, y, kInk);
  for (int i = 0; i < 3; ++i) VLine(b, 53 + i, y - 2 + i, y + 2 - i, kInk);
}

void Scheme(TBitmap& b, int n, int top) {
  const int rowY = top + 8; // boxes of a single row
  switch (n) {
  case 1: // three carriers mixed
    for (int i = 0; i < 3; ++i) {
      Operator(b, 3 + 14 * i, top + 2, i + 1);
      VLine(b, 7 + 14 * i, top + 11, top + 17, kInkDim);
    }
    HLine(b, 7, 43, top + 18, kInk);
    VLine(b, 43, top + 12, top + 18, kInk);
    Output(b, 43, top + 12);
    break;
  case 2: // 1 and 2 modulate 3 in parallel
  case 3: // 1 offsets, 2 scales 3
  case 4: // 1 and 2 scale 3
    Operator(b, 4, top + 2, 1);
    Operator(b, 4, top + 14, 2);
    Operator(b, 28, rowY, 3);
    Connect(b, 13, top + 6, 27, rowY + 4, n == 4 ? lScale : lOffset);
    Connect(b, 13, top + 18, 27, rowY + 4, n == 2 ? lOffset : lScale);
    Output(b, 37, rowY + 4);
    break;
  case 5: // chain 1→2→3 by offsets
  case 6: // 1 scales 2, 2 offsets 3
  case 7: // 1 offsets 2, 2 scales 3
  case 8: // chain 1→2→3 by scales
    Operator(b, 2, rowY, 1);
    Operator(b, 17, rowY, 2);
    Operator(b, 32, rowY, 3);
    LinkH(b, 11, 16, rowY + 4, (n == 6 || n == 8) ? lScale : lOffset);
    LinkH(b, 26, 31, rowY + 4, (n == 7 || n == 8) ? lScale : lOffset);
    Output(b, 41, rowY + 4);
    break;
  case 9: // 1 scales 2 and 3; 2 and 3 mixed
    Operator(b, 3, rowY, 1);
    Operator(b, 24, top + 2, 2);
    Operator(b, 24, top + 14, 3);
    Connect(b, 12, rowY + 4, 23, top + 6, lScale);
    Connect(b, 12, rowY + 4, 23, top + 18, lScale);
    HLine(b, 33, 39, top + 6, kInkDim);
    HLine(b, 33, 39, top + 18, kInkDim);
    VLine(b, 40, top + 6, top + 18, kInk);
    Output(b, 40, rowY + 4);
    break;
  default: break;
  }
}

} // namespace

TBitmap DrawGlyph(const std::string& name) {
  TBitmap b(13, 13);
  Fill(b, b.BoundsRect(), kFace);
  if (auto icon = Icons().find(name); icon != Icons().end()) {
    Sprite(b, 0, 0, icon->second, kInk, kInkDim);
    return b;
  }
  auto caption = DieCaptions().find(name);
  if (caption == DieCaptions().end()) throw std::invalid_argument("no glyph " + name);
  Sprite(b, 3, 0,
         {"#######", //
          "#+...+#", //
          "#..+..#", //
          "#+...+#", //
          "#######"},
         kInkDim, kInk);
  MicroText(b, (13 - MicroWidth(caption->second) + 1) / 2, 7, caption->second, kInk);
  return b;
}

TBitmap DrawSchemes() {
  TBitmap b(58, 25 * 9);
  Fill(b, b.BoundsRect(), kLcd);
  for (int n = 1; n <= 9; ++n) Scheme(b, n, 25 * (n - 1));
  return b;
}

} // namespace qvt::skin
