// The packed skin images with the geometry the controls rely on, and the shared images.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "controls/uBitmapEx.h"
#include "lib/uGlobals.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kKeyGreen = 0x0000FF00u; // RGB(0,255,0) as 0x00RRGGBB
constexpr int kAny = 1 << 20;

std::uint32_t Rgb(const TBitmap& b, int x, int y) { return b.Pixel(x, y) & 0x00FFFFFFu; }

// Exact sizes where a control takes the whole image, least sizes where it takes a part.
TEST(SkinCatalogue, EveryImageIsPackedScrambledDecodesAndHasItsReadersSize) {
  const struct {
    std::vector<std::string> Names;
    int MinWidth, MaxWidth, MinHeight, MaxHeight;
  } images[] = {
      {{"KNOB128"}, 25, 25, 25 * 128, 25 * 128},
      {{"CH_BUTTON0", "CH_BUTTON1"}, 13, 13, 13, 13},
      {{"WAVE_SWITCH"}, 16, 16, 9 * 9, kAny},
      {{"ZBUTTON"}, 2 * 22, 2 * 22, 22, 22},
      {{"ZSBUTTON"}, 2 * 66, 2 * 66, 22, 22},
      {{"ZCLOSEBUTTON"}, 2 * 16, 2 * 16, 14, 14},
      {{"ZBTN_SEQ_DDM", "ZBTN_FLT_DDM", "ZBTN_OPEN", "ZBTN_SAVE", "ZBTN_PANIC", "ZBTN_PEN",
        "ZBTN_RETURN", "ZBTN_DELETE", "ZBTN_RND_ALL", "ZBTN_RND_SEQ", "ZBTN_RND_FRQ",
        "ZBTN_RND_GEN", "ZBTN_RND_FLT", "ZBTN_RND_FX"},
       13,
       kAny,
       13,
       kAny},
      {{"FONT1"}, 5 * 224, 5 * 224, 8, 8},
      {{"DIGITS-9"}, 12 * 6, 12 * 6, 9, 9},
      {{"SPIN-BTN-DN"}, 10, kAny, 16, kAny},
      {{"WAVESELECTOR", "ZSPINEDITRATIO", "ZSPINERATIODISABLED", "ZSPINEDITOFFSET",
        "ZSPINEDITOFFSETDISABLED"},
       78,
       78,
       19,
       19},
      {{"SCHEMES"}, 1, 66 - 5, 9 * 25, 9 * 25},
      {{"SCHEMEDIT"}, 79, 79, 35, 35},
      {{"ZSHAPER"}, 37, kAny, 32, kAny},
      {{"FONT_BG"}, 157 - 17 - 5, kAny, 13, 13},
      {{"PRESETEDIT_BG"}, 157, 157, 17, 17},
      {{"PRESETEDIT_BTNPRESSED"}, 15, 15, 15, 15},
      {{"FRMMAIN"}, 587, 587, 320, 320},
      {{"FRMPATEDIT"}, 315, kAny, 246, kAny},
      {{"FRMABOUT"}, 323, kAny, 222, kAny},
  };
  for (const auto& group : images)
    for (const std::string& name : group.Names) {
      SCOPED_TRACE(name);
      const TResourceData packed = FindResourceData("PNG", name.c_str());
      ASSERT_NE(packed.Data, nullptr);
      ASSERT_GT(packed.Size, 8u);
      EXPECT_FALSE(std::equal(kSignature, kSignature + 8, packed.Data));
      const auto bitmap = LoadSkinBitmap(name);
      EXPECT_GE(bitmap->Width(), group.MinWidth);
      EXPECT_LE(bitmap->Width(), group.MaxWidth);
      EXPECT_GE(bitmap->Height(), group.MinHeight);
      EXPECT_LE(bitmap->Height(), group.MaxHeight);
    }
}

TEST(SkinCatalogue, EveryKnobFrameShowsTheGreenAroundASolidCentre) {
  const auto knob = LoadSkinBitmap("KNOB128");
  for (int p = 0; p < 128; ++p) {
    int green = 0;
    for (int y = 25 * p; y < 25 * p + 25; ++y)
      for (int x = 0; x < 25; ++x) green += Rgb(*knob, x, y) == kKeyGreen;
    EXPECT_GT(green, 0) << "frame " << p;
    EXPECT_NE(Rgb(*knob, 12, 25 * p + 12), kKeyGreen) << "frame " << p;
  }
}

// The artwork is drawn by our skin generator: each position, state, glyph and
// digit of a strip must come out as a picture of its own.
TEST(SkinCatalogue, TheCellsOfEachStripAreAllDifferent) {
  const struct {
    const char* Name;
    int Width, Height, Count;
    bool Vertical;
  } strips[] = {
      {"KNOB128", 25, 25, 128, true}, {"WAVE_SWITCH", 16, 9, 8, true},
      {"ZBUTTON", 22, 22, 2, false},  {"FONT1", 5, 8, 127 - 32, false},
      {"DIGITS-9", 6, 9, 12, false},
  };
  for (const auto& strip : strips) {
    SCOPED_TRACE(strip.Name);
    const auto b = LoadSkinBitmap(strip.Name);
    std::set<std::vector<std::uint32_t>> cells;
    for (int i = 0; i < strip.Count; ++i) {
      const int left = strip.Vertical ? 0 : strip.Width * i,
                top = strip.Vertical ? strip.Height * i : 0;
      std::vector<std::uint32_t> cell;
      for (int y = top; y < top + strip.Height; ++y)
        for (int x = left; x < left + strip.Width; ++x) cell.push_back(Rgb(*b, x, y));
      cells.insert(cell);
    }
    EXPECT_EQ(cells.size(), static_cast<std::size_t>(strip.Count));
  }
}

// Glyphs and digits are copied opaquely, so their background must be the one they land on.
TEST(SkinCatalogue, OpaqueGlyphsShareTheBackgroundsTheyAreCopiedOnto) {
  const auto font1 = LoadSkinBitmap("FONT1");
  const std::uint32_t text = Rgb(*font1, 0, 0); // the space glyph
  const auto rowBg = LoadSkinBitmap("FONT_BG");
  const auto selector = LoadSkinBitmap("WAVESELECTOR");
  const auto nameEdit = LoadSkinBitmap("PRESETEDIT_BG");
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 8; ++y) {
      EXPECT_EQ(Rgb(*rowBg, 4 + x, 3 + y), text);
      EXPECT_EQ(Rgb(*selector, 5 + x, 6 + y), text);
      EXPECT_EQ(Rgb(*nameEdit, 5 + x, 5 + y), text);
    }
  const auto digits = LoadSkinBitmap("DIGITS-9");
  const std::uint32_t digitBg = Rgb(*digits, 0, 0);
  for (const char* face : {"ZSPINEDITRATIO", "ZSPINEDITOFFSET"}) {
    const auto b = LoadSkinBitmap(face);
    for (int left : {4, 10, 31, 37}) EXPECT_EQ(Rgb(*b, left, 5), digitBg) << face;
  }
  const auto zbutton = LoadSkinBitmap("ZBUTTON");
  for (const char* name : {"ZBTN_OPEN", "ZBTN_RND_FX"}) {
    const auto glyph = LoadSkinBitmap(name);
    EXPECT_EQ(Rgb(*glyph, 0, 12), Rgb(*zbutton, 4, 16)) << name << " released";
    EXPECT_EQ(Rgb(*glyph, 0, 12), Rgb(*zbutton, 22 + 5, 17)) << name << " pressed";
  }
}

// A failing load records its error and leaves no shared image.
TEST(SharedSkinImages, TheGuardedLoadFillsThemOrRecordsItsErrorAndFreeEmptiesThem) {
  ASSERT_TRUE(qvt::LoadSharedSkinImagesGuarded());
  EXPECT_STREQ(qvt::SharedSkinImagesError(), "");
  const auto& shared = qvt::SharedSkinImages();
  ASSERT_TRUE(shared.Knob128 && shared.ChButton0 && shared.Caret);
  EXPECT_EQ(shared.ChButton0->PixelFormat, pf32bit);
  EXPECT_EQ(shared.Caret->Width(), 5);
  qvt::FreeSharedSkinImages();
  EXPECT_EQ(shared.Knob128, nullptr);

  ASSERT_TRUE(qvt::LoadSharedSkinImagesGuarded());
  EXPECT_FALSE(qvt::LoadSharedSkinImagesGuarded([] { throw ESkinImageError("lost"); }));
  EXPECT_STREQ(qvt::SharedSkinImagesError(), "lost");
  EXPECT_EQ(shared.Knob128, nullptr);
  EXPECT_FALSE(qvt::LoadSharedSkinImagesGuarded([] { throw 42; }));
  EXPECT_STRNE(qvt::SharedSkinImagesError(), "");
}

} // namespace
