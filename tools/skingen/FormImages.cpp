// The three form backgrounds: the main editor, the pattern editor and the about box.
// Each shows the seats, titles and labels of the controls that the forms place
// on it; the positions here are the forms' control positions.
#include <cmath>
#include <numbers>
#include <string>

#include "controls/uBitmapEx.h"
#include "tools/skingen/PixelFonts.h"
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"

namespace qvt::skin {

namespace {

const TLabelFont kTitleFont{"DejaVu Sans Condensed", 9, true};
const TLabelFont kLabelFont{"DejaVu Sans Condensed", 8, true};

// A fine, fixed grain so that large areas do not look flat.
void Grain(TBitmap& b, const TRect& r, TColor base, int strength) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      std::uint32_t h =
          static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
      h = (h ^ (h >> 13)) * 0x5bd1e995u;
      const int d =
          static_cast<int>((h >> 24) % static_cast<std::uint32_t>(2 * strength + 1)) - strength;
      Put(b, x, y, RGBColor(RedOf(base) + d, GreenOf(base) + d, BlueOf(base) + d));
    }
}

void Screw(TBitmap& b, int cx, int cy) {
  Shade(b, {cx - 4, cy - 4, cx + 5, cy + 5}, [&](double x, double y) {
    const double dx = x - cx - 0.5, dy = y - cy - 0.5, r = std::hypot(dx, dy);
    if (r > 3.6) return TPaint{};
    if (std::fabs(dx - dy) < 0.7 && r < 2.8) return TPaint::Of(kPlateShade);
    return TPaint::Of(Mix(RGBColor(100, 128, 110), RGBColor(36, 50, 43), (dx + dy) / 7.2 + 0.5));
  });
}

// A raised plate with its title at the top left and a rule after it.
void Plate(TBitmap& b, const TRect& r, std::string_view title, int titleBaseline) {
  Grain(b, r, kPlate, 1);
  Edge(b, r, kPlateLight, kPlateShade);
  if (title.empty()) return;
  Label(b, r.Left + 6, titleBaseline, title, kInk, 0, kTitleFont);
  const int after = r.Left + 6 + LabelWidth(title, kTitleFont) + 4;
  HLine(b, after, r.Right - 7, titleBaseline - 3, Mix(kPlate, kPlateLight, 0.7));
}

// The dark seat that a control sits in: a one-pixel outline around its rectangle.
void Seat(TBitmap& b, int left, int top, int width, int height) {
  Frame(b, {left - 1, top - 1, left + width + 1, top + height + 1}, kPlateShade);
}

void Caption(TBitmap& b, int x, int baseline, std::string_view text, int align = 0) {
  Label(b, x, baseline, text, kInkDim, align, kLabelFont);
}

// A label centred under a knob placed at (left, top).
void KnobLabel(TBitmap& b, int left, int top, std::string_view text) {
  Caption(b, left + 12, top + 33, text, 1);
}

// A bracket under a group of knobs with the group's name below it.
void Bracket(TBitmap& b, int left, int right, int y, std::string_view name) {
  const TColor c = Mix(kPlate, kPlateLight, 0.8);
  HLine(b, left, right, y, c);
  Put(b, left, y - 1, c);
  Put(b, right, y - 1, c);
  Label(b, (left + right + 1) / 2, y + 9, name, kInk, 1, kLabelFont);
}

// Small wave pictures beside the flanger's waveform switch.
void TriangleIcon(TBitmap& b, int x, int y) {
  Sprite(b, x, y, {"...#...", "..#.#..", ".#...#.", "#.....#"}, kInkDim, kInkDim);
}
void SineIcon(TBitmap& b, int x, int y) {
  Sprite(b, x, y, {".##....", "#..#...", "....#..#", ".....##."}, kInkDim, kInkDim);
}

void OscillatorColumn(TBitmap& b, int x0, std::string_view title) {
  Plate(b, {x0 - 8, 6, x0 + 86, 188}, title, 17);
  // Seq check, level knob, shape display.
  Seat(b, x0 + 3, 30, 13, 13);
  Caption(b, x0 + 19, 40, "SEQ");
  Caption(b, x0 + 77, 40, "SHAPE", 2);
  Seat(b, x0 + 39, 46, 38, 33);
  KnobLabel(b, x0 + 5, 46, "LEVEL");
  // The three spin editors.
  Caption(b, x0 + 1, 92, "WAVE");
  Seat(b, x0, 95, 78, 19);
  Caption(b, x0 + 1, 126, "RATIO");
  Seat(b, x0, 129, 78, 19);
  Caption(b, x0 + 1, 160, "OFFSET");
  Caption(b, x0 + 77, 160, "Hz", 2);
  Seat(b, x0, 163, 78, 19);
}

void PipeColumn(TBitmap& b) {
  Plate(b, {302, 6, 396, 188}, "PIPE", 17);
  Seat(b, 313, 34, 13, 13);
  Caption(b, 329, 44, "ON");
  Seat(b, 313, 52, 13, 13);
  Caption(b, 329, 62, "SEQ");
  Seat(b, 353, 52, 13, 13);
  Caption(b, 369, 62, "INV");
  KnobLabel(b, 317, 74 + 2, "FDBK");
  KnobLabel(b, 356, 74 + 2, "SPREAD");
  Caption(b, 311, 126, "RATIO");
  Seat(b, 310, 129, 78, 19);
  Caption(b, 311, 160, "OFFSET");
  Caption(b, 387, 160, "Hz", 2);
  Seat(b, 310, 163, 78, 19);
}

void PresetSection(TBitmap& b) {
  Plate(b, {398, 6, 581, 188}, "", 0);
  const TColor rule = Mix(kPlate, kPlateLight, 0.7);
  Label(b, 429, 19, "BANK", kInk, 1, kTitleFont);
  HLine(b, 406, 451, 24, rule);
  Label(b, 474, 19, "PANIC", kInk, 1, kTitleFont);
  HLine(b, 463, 484, 24, rule);
  Label(b, 530, 19, "PRESET", kInk, 1, kTitleFont);
  HLine(b, 495, 564, 24, rule);
  for (int left : {406, 430, 463, 495, 519, 543}) Seat(b, left, 31, 22, 22);
  Seat(b, 407, 58, 157, 17);
  Seat(b, 407, 82, 157, 97);
}

void PatternSection(TBitmap& b) {
  Plate(b, {14, 191, 204, 315}, "PATTERN", 201);
  Seat(b, 51, 209, 13, 13);
  Caption(b, 66, 219, "A4");
  Seat(b, 84, 209, 13, 13);
  Caption(b, 91, 206, "LOOP", 1);
  KnobLabel(b, 21, 217 + 2, "GLIDE");
  Seat(b, 55, 227, 22, 22);
  Caption(b, 66, 258, "SEQ", 1);
  Seat(b, 85, 227, 22, 22);
  Caption(b, 96, 258, "FILTER", 1);
  Seat(b, 116, 211, 79, 35);
  Caption(b, 155, 256, "SCHEME", 1);
  const int knobs[6] = {21, 49, 80, 108, 138, 166};
  const char* names[6] = {"ATT", "REL", "LPF", "HPF", "3D", "UNISON"};
  for (int i = 0; i < 6; ++i) KnobLabel(b, knobs[i], 266, names[i]);
  Bracket(b, 21, 73, 302, "ENVELOPE");
  Bracket(b, 80, 132, 302, "FILTER");
  Bracket(b, 138, 190, 302, "SPACE");
}

void FlangerSection(TBitmap& b) {
  Plate(b, {206, 191, 300, 315}, "FLANGER", 201);
  Seat(b, 215, 209, 13, 13);
  Caption(b, 231, 219, "ON");
  TriangleIcon(b, 253, 212);
  Seat(b, 263, 210, 16, 9);
  SineIcon(b, 282, 212);
  const char* top[3] = {"RATE", "DEPTH", "LPF"};
  const char* bottom[3] = {"TIME", "FDBK", "LEVEL"};
  for (int i = 0; i < 3; ++i) {
    KnobLabel(b, 212 + 28 * i, 227, top[i]);
    KnobLabel(b, 212 + 28 * i, 266, bottom[i]);
  }
}

void ReverbSection(TBitmap& b) {
  Plate(b, {302, 191, 396, 315}, "REVERB", 201);
  Seat(b, 311, 209, 13, 13);
  Caption(b, 327, 219, "ON");
  const char* top[3] = {"HPF", "LPF", "TIME"};
  const char* bottom[3] = {"DRY", "WET", "WIDTH"};
  for (int i = 0; i < 3; ++i) {
    KnobLabel(b, 308 + 28 * i, 227, top[i]);
    KnobLabel(b, 308 + 28 * i, 266, bottom[i]);
  }
}

// Random buttons, the help/about/web links at their hot rectangles, and the name plate.
void RandomSection(TBitmap& b) {
  Plate(b, {398, 191, 581, 315}, "", 0);
  Label(b, 404, 201, "RANDOM", kInk, 0, kTitleFont);
  Label(b, 495, 201, "INFO", kInk, 0, kTitleFont);
  for (int top : {212, 237})
    for (int left : {405, 429, 453}) Seat(b, left, top, 22, 22);
  const struct {
    int Left, Top;
    const char* Text;
  } links[3] = {{495, 214, "HELP"}, {495, 231, "ABOUT"}, {495, 248, "WEB PAGE"}};
  for (const auto& link : links) {
    Sprite(b, link.Left, link.Top + 2, {"#..", "##.", "###", "##.", "#.."}, kInk, kInk);
    Label(b, link.Left + 6, link.Top + 8, link.Text, kInk, 0, kLabelFont);
  }
  // Name plate.
  SunkenWell(b, {404, 266, 575, 309}, Mix(kLcd, kBackdrop, 0.5));
  const TLabelFont logo{"DejaVu Sans", 15, true};
  Label(b, 490, 288, "QUIVERTONE", kInk, 1, logo);
  Label(b, 490, 302, "PHASE MODULATION SYNTHESIZER", kInkDim, 1,
        TLabelFont{"DejaVu Sans Condensed", 7, true});
}

// The header strip of a pop-up form: where it is dragged, with its title.
void TitleStrip(TBitmap& b, std::string_view title) {
  Fill(b, {1, 1, b.Width() - 1, 21}, Mix(kBackdrop, kPlate, 0.4));
  HLine(b, 1, b.Width() - 2, 21, kPlateShade);
  Label(b, 8, 15, title, kInk, 0, kTitleFont);
  Frame(b, b.BoundsRect(), kPlateLight);
  Put(b, 0, 0, kBackdrop);
  Put(b, b.Width() - 1, 0, kBackdrop);
  Put(b, 0, b.Height() - 1, kBackdrop);
  Put(b, b.Width() - 1, b.Height() - 1, kBackdrop);
}

} // namespace

TBitmap DrawMainForm() {
  TBitmap b(587, 320);
  Grain(b, b.BoundsRect(), kBackdrop, 1);
  Screw(b, 6, 11);
  Screw(b, 6, 308);
  for (int i = 0; i < 3; ++i)
    OscillatorColumn(b, 22 + 96 * i, std::string("OSC ") + static_cast<char>('1' + i));
  PipeColumn(b);
  PresetSection(b);
  PatternSection(b);
  FlangerSection(b);
  ReverbSection(b);
  RandomSection(b);
  return b;
}

TBitmap DrawPatternForm() {
  TBitmap b(320, 252);
  Grain(b, b.BoundsRect(), kPlate, 1);
  TitleStrip(b, "PATTERN EDITOR");
  Seat(b, 299, 5, 16, 14);
  Caption(b, 31, 36, "STEPS 1-8");
  Caption(b, 135, 36, "STEPS 9-16");
  for (int i = 0; i < 16; ++i) {
    const int left = i < 8 ? 31 : 135, top = 41 + 23 * (i % 8);
    Seat(b, left, top, 78, 19);
    Label(b, left - 4, top + 13, std::to_string(i + 1), kInkDim, 2, kLabelFont);
  }
  Caption(b, 131, 238, "TRANSPOSE", 2);
  Seat(b, 135, 225, 78, 19);
  VLine(b, 222, 30, 244, Mix(kPlate, kPlateShade, 0.6));
  VLine(b, 223, 30, 244, Mix(kPlate, kPlateLight, 0.4));
  for (int i = 0; i < 9; ++i) Seat(b, 231, 40 + 23 * i, 66, 22);
  return b;
}

TBitmap DrawAboutForm() {
  TBitmap b(328, 228);
  Grain(b, b.BoundsRect(), kPlate, 1);
  TitleStrip(b, "ABOUT QUIVERTONE");
  Seat(b, 307, 5, 16, 14);
  // A phase-modulated wave across a display, drawn with anti-aliased lines.
  SunkenWell(b, {20, 32, 308, 104});
  TBitmapEx wave;
  wave.SetSize(286, 70);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 286; ++x) wave.SetPixel(x, y, OpaquePixel(kLcd));
  for (int y = 9; y < 70; y += 12)
    for (int x = 1; x < 285; x += 2) wave.SetPixel(x, y, OpaquePixel(kInkGhost));
  wave.SetPenColor(BlueOf(kInk), GreenOf(kInk), RedOf(kInk), 255);
  auto level = [](double t) {
    const double envelope = std::sin(std::numbers::pi * t);
    return 33.0 - 26.0 * envelope *
                      std::sin(2 * std::numbers::pi * 9 * t +
                               2.6 * std::sin(2 * std::numbers::pi * 18 * t));
  };
  for (int x = 2; x < 282; ++x)
    wave.LineF(x, level((x - 2) / 280.0), x + 1, level((x - 1) / 280.0));
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 286; ++x) Put(b, 21 + x, 33 + y, ColorOfPixel(wave.Pixel(x, y)));
  const TLabelFont logo{"DejaVu Sans", 17, true};
  Label(b, 20, 130, "QUIVERTONE", kInk, 0, logo);
  Label(b, 20, 144, "Phase modulation synthesizer", kInkDim, 0,
        TLabelFont{"DejaVu Sans Condensed", 9, false});
  // The build text is set by the form at (25, 156); a quiet inset holds it.
  Fill(b, {22, 154, 144, 174}, Mix(kPlate, kBackdrop, 0.45));
  Sprite(b, 22, 186, {"#..", "##.", "###", "##.", "#.."}, kInk, kInk);
  Label(b, 28, 192, "Visit the web page", kInk, 0, TLabelFont{"DejaVu Sans Condensed", 9, true});
  Caption(b, 243, 194, "SUPPORT");
  Seat(b, 243, 200, 66, 22);
  return b;
}

} // namespace qvt::skin
