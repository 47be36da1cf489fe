// The review sheet: every image at twice its size under its name, followed by
// the main form with control faces laid on it at their places.
#include <algorithm>
#include <map>

#include "platform/core/uCanvas.h"
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"

namespace qvt::skin {

namespace {

constexpr int kSheetWidth = 1240;
constexpr int kGap = 12;

TBitmap Doubled(const TBitmap& source) {
  TBitmap b(source.Width() * 2, source.Height() * 2);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, source.Pixel(x / 2, y / 2) | 0xFF000000u);
  return b;
}

// Long strips become grids: the knob's 128 frames in 16 columns, the font in rows of 32 glyphs.
TBitmap Folded(const std::string& name, const TBitmap& source) {
  int cellWidth = 0, cellHeight = 0, columns = 0, count = 0;
  bool vertical = false;
  if (name == "KNOB128") {
    cellWidth = cellHeight = 25, columns = 16, count = 128, vertical = true;
  } else if (name == "FONT1") {
    cellWidth = 5, cellHeight = 8, columns = 32, count = 224;
  } else {
    return source;
  }
  const int rows = (count + columns - 1) / columns;
  const int pitchX = cellWidth + 1, pitchY = cellHeight + 1;
  TBitmap b(columns * pitchX + 1, rows * pitchY + 1);
  Fill(b, b.BoundsRect(), kBackdrop);
  for (int i = 0; i < count; ++i) {
    const int sx = vertical ? 0 : cellWidth * i, sy = vertical ? cellHeight * i : 0;
    b.Canvas().Copy(1 + (i % columns) * pitchX, 1 + (i / columns) * pitchY, source,
                    Bounds(sx, sy, cellWidth, cellHeight));
  }
  return b;
}

// The main form with the faces of its controls, as the editor will show it.
TBitmap MainFormPreview(const std::map<std::string, const TBitmap*>& images) {
  TBitmap form = *images.at("FRMMAIN");
  TCanvas& canvas = form.Canvas();
  auto copy = [&](const char* name, int x, int y, TRect source) {
    canvas.Copy(x, y, *images.at(name), source);
  };
  const TBitmap& knob = *images.at("KNOB128");
  int position = 0;
  auto knobAt = [&](int x, int y) {
    position = (position + 37) % 128;
    canvas.TransparentCopy(x, y, knob, Bounds(0, 25 * position, 25, 25), kKeyGreen);
  };
  for (int i = 0; i < 3; ++i) {
    const int x0 = 22 + 96 * i;
    copy(i == 1 ? "CH_BUTTON1" : "CH_BUTTON0", x0 + 3, 30, Bounds(0, 0, 13, 13));
    copy("ZSHAPER", x0 + 39, 46, Bounds(0, 0, 38, 33));
    knobAt(x0 + 5, 46);
    copy("WAVESELECTOR", x0, 95, Bounds(0, 0, 78, 19));
    copy("ZSPINEDITRATIO", x0, 129, Bounds(0, 0, 78, 19));
    copy("ZSPINEDITOFFSET", x0, 163, Bounds(0, 0, 78, 19));
  }
  for (auto [x, y] :
       {std::pair{313, 34}, {313, 52}, {353, 52}, {51, 209}, {84, 209}, {215, 209}, {311, 209}})
    copy("CH_BUTTON0", x, y, Bounds(0, 0, 13, 13));
  for (auto [x, y] : {std::pair{317, 74}, {356, 74}, {21, 217}}) knobAt(x, y);
  for (int x : {21, 49, 80, 108, 138, 166, 212, 240, 268, 308, 336, 364}) knobAt(x, 266);
  for (int x : {212, 240, 268, 308, 336, 364}) knobAt(x, 227);
  copy("ZSPINEDITRATIO", 310, 129, Bounds(0, 0, 78, 19));
  copy("ZSPINEDITOFFSET", 310, 163, Bounds(0, 0, 78, 19));
  copy("SCHEMEDIT", 116, 211, Bounds(0, 0, 79, 35));
  copy("SCHEMES", 121, 216, Bounds(0, 25 * 4, 58, 25));
  copy("WAVE_SWITCH", 263, 210, Bounds(0, 63, 16, 9));
  const struct {
    int X, Y;
    const char* Glyph;
  } buttons[] = {{55, 227, "ZBTN_SEQ_DDM"},  {85, 227, "ZBTN_FLT_DDM"},  {406, 31, "ZBTN_OPEN"},
                 {430, 31, "ZBTN_SAVE"},     {463, 31, "ZBTN_PANIC"},    {495, 31, "ZBTN_PEN"},
                 {519, 31, "ZBTN_RETURN"},   {543, 31, "ZBTN_DELETE"},   {405, 212, "ZBTN_RND_ALL"},
                 {429, 212, "ZBTN_RND_SEQ"}, {453, 212, "ZBTN_RND_FRQ"}, {405, 237, "ZBTN_RND_GEN"},
                 {429, 237, "ZBTN_RND_FLT"}, {453, 237, "ZBTN_RND_FX"}};
  for (const auto& button : buttons) {
    copy("ZBUTTON", button.X, button.Y, Bounds(0, 0, 22, 22));
    copy(button.Glyph, button.X + 4, button.Y + 4, Bounds(0, 0, 13, 13));
  }
  copy("PRESETEDIT_BG", 407, 58, Bounds(0, 0, 157, 17));
  Fill(form, Bounds(407, 82, 157, 97), kLcd);
  for (int row = 0; row < 7; ++row) copy("FONT_BG", 409, 84 + 13 * row, Bounds(0, 0, 135, 13));
  const TBitmap& font = *images.at("FONT1");
  auto text = [&](int x, int y, std::string_view s) {
    for (std::size_t k = 0; k < s.size(); ++k)
      canvas.Copy(x + 6 * static_cast<int>(k), y, font,
                  Bounds(5 * (static_cast<unsigned char>(s[k]) - 32), 0, 5, 8));
  };
  const TBitmap& digits = *images.at("DIGITS-9");
  auto number = [&](int x, int y, const int(&lefts)[6], const int(&values)[6]) {
    for (int i = 0; i < 6; ++i)
      canvas.Copy(x + lefts[i], y + 5, digits, Bounds(6 * values[i] + 6, 0, 6, 9));
  };
  for (int x : {22, 118, 214, 310}) {
    number(x, 129, {4, 10, 19, 25, 31, 37}, {-1, 1, 0, 0, 0, 0});
    number(x, 163, {4, 10, 16, 22, 31, 37}, {-1, -1, 10, 5, 5, 0});
  }
  text(22 + 5, 95 + 6, "1 Sine");
  text(118 + 5, 95 + 6, "2 Triangle");
  text(214 + 5, 95 + 6, "3 Sawtooth");
  text(407 + 5, 58 + 5, "Glass Bells");
  const char* names[] = {"Init",         "Glass Bells", "Deep Pipe", "Wobble Bass",
                         "Caf\xE9 Noir", "Metal Pad",   "Pluck"};
  for (int row = 0; row < 7; ++row) text(409 + 4, 84 + 13 * row + 3, names[row]);
  Frame(form, Bounds(409, 84 + 13, 135, 13), kInk);
  return form;
}

} // namespace

TBitmap DrawContactSheet(const std::vector<std::pair<std::string, TBitmap>>& images) {
  std::map<std::string, const TBitmap*> byName;
  for (const auto& [name, bitmap] : images) byName[name] = &bitmap;
  std::vector<std::pair<std::string, TBitmap>> tiles;
  for (const auto& [name, bitmap] : images) tiles.emplace_back(name, Doubled(Folded(name, bitmap)));
  tiles.emplace_back("FRMMAIN with controls", Doubled(MainFormPreview(byName)));

  // Shelf packing: left to right, a new shelf when the row is full.
  struct TPlace {
    int X, Y;
  };
  std::vector<TPlace> places;
  int x = kGap, y = kGap, shelf = 0;
  for (const auto& [name, tile] : tiles) {
    const int width = std::max(tile.Width(), LabelWidth(name));
    if (x + width + kGap > kSheetWidth && x > kGap) {
      x = kGap;
      y += shelf + kGap;
      shelf = 0;
    }
    places.push_back({x, y});
    x += width + kGap;
    shelf = std::max(shelf, tile.Height() + 14);
  }
  TBitmap sheet(kSheetWidth, y + shelf + kGap);
  Fill(sheet, sheet.BoundsRect(), RGBColor(12, 16, 14));
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    Label(sheet, places[i].X, places[i].Y + 9, tiles[i].first, kInkDim);
    sheet.Canvas().Copy(places[i].X, places[i].Y + 14, tiles[i].second,
                        tiles[i].second.BoundsRect());
  }
  return sheet;
}

} // namespace qvt::skin
