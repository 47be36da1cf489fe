// The skin images as the library packs them: stored scrambled, decodable, and
// with the geometry the controls and forms rely on (sizes, strips, frame
// counts, the knob's transparent colour and sweep, matching backgrounds under
// opaquely copied glyphs), and the shared images loaded with the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "controls/uBitmapEx.h"
#include "lib/uGlobals.h"

namespace {

// The catalogue, in the order the controls and forms are listed.
const std::vector<std::string> kCatalogue = [] {
  std::istringstream names(
      "KNOB128 CH_BUTTON0 CH_BUTTON1 WAVE_SWITCH ZBUTTON ZSBUTTON ZCLOSEBUTTON "
      "ZBTN_SEQ_DDM ZBTN_FLT_DDM ZBTN_OPEN ZBTN_SAVE ZBTN_PANIC ZBTN_PEN ZBTN_RETURN ZBTN_DELETE "
      "ZBTN_RND_ALL ZBTN_RND_SEQ ZBTN_RND_FRQ ZBTN_RND_GEN ZBTN_RND_FLT ZBTN_RND_FX "
      "FONT1 DIGITS-9 SPIN-BTN-DN WAVESELECTOR ZSPINEDITRATIO ZSPINERATIODISABLED "
      "ZSPINEDITOFFSET ZSPINEDITOFFSETDISABLED SCHEMES SCHEMEDIT ZSHAPER FONT_BG PRESETEDIT_BG "
      "PRESETEDIT_BTNPRESSED FRMMAIN FRMPATEDIT FRMABOUT");
  return std::vector<std::string>(std::istream_iterator<std::string>(names), {});
}();

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;
constexpr std::uint32_t kKeyGreen = 0x0000FF00u; // RGB(0,255,0) as 0x00RRGGBB

std::uint32_t Rgb(const TBitmap& b, int x, int y) { return b.Pixel(x, y) & kRgbMask; }

// The pixels of a rectangle, for comparing frames, cells and glyphs.
std::vector<std::uint32_t> Block(const TBitmap& b, int left, int top, int width, int height) {
  std::vector<std::uint32_t> pixels;
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) pixels.push_back(Rgb(b, x, y));
  return pixels;
}

struct TSize {
  int Width, Height;
};

TSize SizeOf(const std::string& name) {
  const auto bitmap = LoadSkinBitmap(name);
  return {bitmap->Width(), bitmap->Height()};
}

TEST(SkinCatalogue, EveryImageIsPackedScrambledAndDecodes) {
  for (const std::string& name : kCatalogue) {
    SCOPED_TRACE(name);
    const TResourceData packed = FindResourceData("PNG", name.c_str());
    ASSERT_NE(packed.Data, nullptr);
    ASSERT_GT(packed.Size, 8u);
    EXPECT_FALSE(std::equal(kSignature, kSignature + 8, packed.Data));
    const auto bitmap = LoadSkinBitmap(name);
    EXPECT_GT(bitmap->Width(), 0);
    EXPECT_GT(bitmap->Height(), 0);
  }
}

TEST(SkinCatalogue, FixedSizeFacesHaveTheirControlsSizes) {
  const struct {
    const char* Name;
    int Width, Height;
  } faces[] = {{"KNOB128", 25, 25 * 128},
               {"CH_BUTTON0", 13, 13},
               {"CH_BUTTON1", 13, 13},
               {"ZBUTTON", 2 * 22, 22},
               {"ZSBUTTON", 2 * 66, 22},
               {"ZCLOSEBUTTON", 2 * 16, 14},
               {"DIGITS-9", 12 * 6, 9},
               {"WAVESELECTOR", 78, 19},
               {"ZSPINEDITRATIO", 78, 19},
               {"ZSPINERATIODISABLED", 78, 19},
               {"ZSPINEDITOFFSET", 78, 19},
               {"ZSPINEDITOFFSETDISABLED", 78, 19},
               {"SCHEMEDIT", 79, 35},
               {"PRESETEDIT_BG", 157, 17},
               {"PRESETEDIT_BTNPRESSED", 15, 15},
               {"FRMMAIN", 587, 320}};
  for (const auto& face : faces) {
    SCOPED_TRACE(face.Name);
    const TSize size = SizeOf(face.Name);
    EXPECT_EQ(size.Width, face.Width);
    EXPECT_EQ(size.Height, face.Height);
  }
}

TEST(SkinCatalogue, StripsAndCellsHoldWhatTheirReadersTakeFromThem) {
  const TSize sw = SizeOf("WAVE_SWITCH"); // frames 0…8 of 16×9
  EXPECT_EQ(sw.Width, 16);
  EXPECT_EQ(sw.Height % 9, 0);
  EXPECT_GE(sw.Height / 9, 9);
  for (const char* glyph :
       {"ZBTN_SEQ_DDM", "ZBTN_FLT_DDM", "ZBTN_OPEN", "ZBTN_SAVE", "ZBTN_PANIC", "ZBTN_PEN",
        "ZBTN_RETURN", "ZBTN_DELETE", "ZBTN_RND_ALL", "ZBTN_RND_SEQ", "ZBTN_RND_FRQ",
        "ZBTN_RND_GEN", "ZBTN_RND_FLT", "ZBTN_RND_FX"}) {
    SCOPED_TRACE(glyph);
    EXPECT_GE(SizeOf(glyph).Width, 13);
    EXPECT_GE(SizeOf(glyph).Height, 13);
  }
  const TSize font = SizeOf("FONT1"); // codes 32…255, 5×8 each
  EXPECT_EQ(font.Width, 5 * (256 - 32));
  EXPECT_EQ(font.Height, 8);
  const TSize arrows = SizeOf("SPIN-BTN-DN"); // 10×8 from y 0 and 7, 9×8 from y 8
  EXPECT_GE(arrows.Width, 10);
  EXPECT_GE(arrows.Height, 16);
  const TSize schemes = SizeOf("SCHEMES"); // nine pictures of 25 rows, drawn at x 5
  EXPECT_EQ(schemes.Height, 9 * 25);
  EXPECT_LE(5 + schemes.Width, 66);       // left of the scheme editor's digit and arrows
  const TSize shaper = SizeOf("ZSHAPER"); // curve inside (3,3)–(35,30), plotted a pixel further
  EXPECT_GE(shaper.Width, 37);
  EXPECT_GE(shaper.Height, 32);
  const TSize row = SizeOf("FONT_BG"); // one 13-pixel row across the 135-pixel list
  EXPECT_EQ(row.Height, 13);
  EXPECT_GE(row.Width, 157 - 17 - 5);
  const TSize pattern = SizeOf("FRMPATEDIT");
  EXPECT_GE(pattern.Width, 315);
  EXPECT_GE(pattern.Height, 246);
  const TSize about = SizeOf("FRMABOUT");
  EXPECT_GE(about.Width, 323);
  EXPECT_GE(about.Height, 222);
}

TEST(SkinCatalogue, EveryKnobFrameShowsTheTransparentGreen) {
  const auto knob = LoadSkinBitmap("KNOB128");
  for (int p = 0; p < 128; ++p) {
    const auto frame = Block(*knob, 0, 25 * p, 25, 25);
    EXPECT_NE(std::find(frame.begin(), frame.end(), kKeyGreen), frame.end()) << "frame " << p;
    EXPECT_EQ(Rgb(*knob, 12, 25 * p + 12) == kKeyGreen, false) << "the centre is solid";
  }
}

// The direction (degrees clockwise from the top) of the bright pointer inside the knob's body.
double PointerAngle(const TBitmap& knob, int p) {
  double sx = 0, sy = 0;
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 25; ++x) {
      const double dx = x + 0.5 - 12.5, dy = y + 0.5 - 12.5;
      const std::uint32_t c = Rgb(knob, x, 25 * p + y);
      const int red = (c >> 16) & 0xFF, green = (c >> 8) & 0xFF;
      if (std::hypot(dx, dy) < 8.0 && red > 140 && green > 200) sx += dx, sy += dy;
    }
  return std::atan2(sx, -sy) * 180.0 / std::numbers::pi;
}

TEST(SkinCatalogue, TheKnobPointerSweepsTwoHundredSeventyDegreesInEqualSteps) {
  const auto knob = LoadSkinBitmap("KNOB128");
  for (int p : {0, 16, 32, 48, 63, 64, 80, 96, 112, 127}) {
    const double expected = -135.0 + 270.0 * p / 127.0;
    EXPECT_NEAR(PointerAngle(*knob, p), expected, 6.0) << "position " << p;
  }
  EXPECT_NE(Block(*knob, 0, 0, 25, 25), Block(*knob, 0, 25, 25, 25));
}

TEST(SkinCatalogue, SwitchFramesSlideTowardsOnAndRestOnTheSeventh) {
  const auto sw = LoadSkinBitmap("WAVE_SWITCH");
  for (int f = 0; f < 7; ++f)
    EXPECT_NE(Block(*sw, 0, 9 * f, 16, 9), Block(*sw, 0, 9 * (f + 1), 16, 9)) << "frame " << f;
}

TEST(SkinCatalogue, TwoFacedImagesDifferBetweenReleasedAndPressed) {
  const auto check0 = LoadSkinBitmap("CH_BUTTON0"), check1 = LoadSkinBitmap("CH_BUTTON1");
  EXPECT_NE(Block(*check0, 0, 0, 13, 13), Block(*check1, 0, 0, 13, 13));
  const struct {
    const char* Name;
    int Width, Height;
  } pairs[] = {{"ZBUTTON", 22, 22}, {"ZSBUTTON", 66, 22}, {"ZCLOSEBUTTON", 16, 14}};
  for (const auto& pair : pairs) {
    const auto b = LoadSkinBitmap(pair.Name);
    EXPECT_NE(Block(*b, 0, 0, pair.Width, pair.Height),
              Block(*b, pair.Width, 0, pair.Width, pair.Height))
        << pair.Name;
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

TEST(SkinCatalogue, FontAndDigitCellsAreAllDifferent) {
  const auto font1 = LoadSkinBitmap("FONT1");
  std::set<std::vector<std::uint32_t>> glyphs;
  for (int code = 33; code < 127; ++code) glyphs.insert(Block(*font1, 5 * (code - 32), 0, 5, 8));
  EXPECT_EQ(glyphs.size(), 127u - 33u);
  EXPECT_EQ(glyphs.count(Block(*font1, 0, 0, 5, 8)), 0u) << "no printable glyph is blank";

  const auto digits = LoadSkinBitmap("DIGITS-9");
  std::set<std::vector<std::uint32_t>> cells;
  for (int cell = 0; cell < 12; ++cell) cells.insert(Block(*digits, 6 * cell, 0, 6, 9));
  EXPECT_EQ(cells.size(), 12u);

  const auto schemes = LoadSkinBitmap("SCHEMES");
  std::set<std::vector<std::uint32_t>> pictures;
  for (int n = 0; n < 9; ++n) pictures.insert(Block(*schemes, 0, 25 * n, schemes->Width(), 25));
  EXPECT_EQ(pictures.size(), 9u);
}

class SharedSkinImagesTest : public ::testing::Test {
protected:
  void TearDown() override { qvt::FreeSharedSkinImages(); }
};

TEST_F(SharedSkinImagesTest, TheGuardedLoadFillsTheSharedImagesAndFreeEmptiesThem) {
  ASSERT_TRUE(qvt::LoadSharedSkinImagesGuarded());
  EXPECT_STREQ(qvt::SharedSkinImagesError(), "");
  const auto& shared = qvt::SharedSkinImages();
  ASSERT_TRUE(shared.Knob128 && shared.ChButton0 && shared.ChButton1 && shared.WaveSwitch &&
              shared.ZButton && shared.ZSButton && shared.Font1 && shared.Caret);
  EXPECT_EQ(shared.Knob128->Height(), 25 * 128);
  EXPECT_EQ(shared.ChButton0->PixelFormat, pf32bit);
  EXPECT_EQ(shared.Caret->Width(), 5);
  qvt::FreeSharedSkinImages();
  EXPECT_EQ(qvt::SharedSkinImages().Knob128, nullptr);
}

TEST_F(SharedSkinImagesTest, AFailingLoadIsRecordedAndLeavesNoImages) {
  ASSERT_TRUE(qvt::LoadSharedSkinImagesGuarded());
  const bool loaded = qvt::LoadSharedSkinImagesGuarded([] { throw ESkinImageError("lost"); });
  EXPECT_FALSE(loaded);
  EXPECT_STREQ(qvt::SharedSkinImagesError(), "lost");
  EXPECT_EQ(qvt::SharedSkinImages().Knob128, nullptr);
  EXPECT_FALSE(qvt::LoadSharedSkinImagesGuarded([] { throw 42; }));
  EXPECT_STRNE(qvt::SharedSkinImagesError(), "");
}

} // namespace
