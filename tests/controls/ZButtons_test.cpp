// The skinned buttons against the skin images they draw from.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "controls/uBitmapEx.h"
#include "controls/uZButtons.h"
#include "platform/core/uMenuLoop.h"
#include "platform/core/uMenus.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

TColor At(const TBitmap& b, int x, int y) { return qvt::ColorOfPixel(b.Pixel(x, y)); }

// Pixels of the picture that differ from `expected` (x, y in the picture).
int Mismatches(const TBitmap& picture, const std::function<TColor(int, int)>& expected) {
  int count = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) count += At(picture, x, y) != expected(x, y);
  return count;
}

// The part of a two-face strip a face occupies.
std::function<TColor(int, int)> Face(const TBitmap& strip, int left, int top = 0) {
  return [&strip, left, top](int x, int y) { return At(strip, left + x, top + y); };
}

class ZButtons : public HeadlessTest {
protected:
  const qvt::TSharedSkinImages& Skin = qvt::SharedSkinImages();
  std::vector<std::string> Log;

  void SetUp() override {
    qvt::LoadSharedSkinImages();
    HeadlessTest::SetUp();
  }
  void TearDown() override {
    HeadlessTest::TearDown();
    qvt::FreeSharedSkinImages();
  }
  template <class T> T* Place(int left, int top) {
    auto* control = new T(Form);
    control->SetBounds(left, top, 40, 40); // sizes other than their own are refused
    if (control->Width() == 40) control->SetBounds(left, top, 22, 22);
    control->SetParent(Form);
    if constexpr (!std::is_same_v<T, TZCheckButton> && !std::is_same_v<T, TZSwitch>)
      control->OnClick = [this](TObject*) { Log.push_back("click"); };
    return control;
  }
  TBitmap Picture(TControl& control) { return Platform.ControlPicture(control); }
  // Lets the clock pass beyond the double-click time.
  void Pause() { Platform.AdvanceTime(Application->DoubleClickTime + 1); }
};

// A press toggles and reports; the second press of a double click does nothing.
TEST_F(ZButtons, CheckButtonAndSwitchToggleOnAPressOrAValueAboveOneHalf) {
  auto* check = Place<TZCheckButton>(10, 10);
  auto* sw = Place<TZSwitch>(40, 10);
  EXPECT_EQ(check->BoundsRect(), Bounds(10, 10, 13, 13));
  EXPECT_EQ(sw->BoundsRect(), Bounds(40, 10, 16, 9));
  check->OnChange = [&](TObject*) { Log.push_back(check->Checked() ? "on" : "off"); };
  sw->OnChange = [&](TObject*) { Log.push_back("switch " + std::to_string(sw->Frame())); };
  for (const auto& [value, on] : {std::pair{0.51f, true}, {0.5f, false}, {1.0f, true}}) {
    check->SetValue(value);
    sw->SetValue(value);
    EXPECT_EQ(check->Value(), on ? 1.0f : 0.0f) << value;
    EXPECT_EQ(sw->Value(), on ? 1.0f : 0.0f) << value;
  }
  EXPECT_TRUE(Log.empty());
  Platform.AdvanceTime(200);
  Platform.Click(*Form, 15, 15);
  Platform.Click(*Form, 15, 15, mbRight);
  Platform.Click(*Form, 45, 12); // reported before the slide starts
  Pause();
  Platform.DoubleClick(*Form, 15, 15);
  Platform.DoubleClick(*Form, 45, 12);
  EXPECT_EQ(Log, (std::vector<std::string>{"off", "switch 7", "on", "switch 0"}));
  delete check; // during its fade
  Platform.AdvanceTime(100);
}

// The picture is compared at the first, a middle and the last tick of each fade.
TEST_F(ZButtons, CheckButtonCrossFadesInSixteenOneMillisecondTicks) {
  auto* check = Place<TZCheckButton>(10, 10);
  const auto blend = [&](int o) {
    return [&, o](int x, int y) {
      const TColor s = At(*Skin.ChButton1, x, y), d = At(*Skin.ChButton0, x, y);
      auto mix = [o](int a, int b) { return (a * o + b * (255 - o) + 127) / 255; };
      return RGBColor(mix(RedOf(s), RedOf(d)), mix(GreenOf(s), GreenOf(d)),
                      mix(BlueOf(s), BlueOf(d)));
    };
  };
  auto fade = [&] {
    std::vector<int> steps;
    for (int i = 0; i < 40 && check->Fading(); ++i) {
      Platform.AdvanceTime(TZCheckButton::kTickMs);
      steps.push_back(check->Opacity());
      if (i == 0 || i == 7 || !check->Fading()) {
        EXPECT_EQ(Mismatches(Picture(*check), blend(steps.back())), 0) << steps.back();
      }
    }
    return steps;
  };
  std::vector<int> in, out; // 16, 32 … 240, 255 and back
  for (int k = 1; k <= 16; ++k) in.push_back(std::min(16 * k, 255)), out.push_back(255 - in.back());
  check->SetChecked(true);
  EXPECT_EQ(fade(), in);
  check->SetChecked(false);
  EXPECT_EQ(fade(), out);
}

// The frames shown are counted at every tick; the picture is compared where each slide rests.
TEST_F(ZButtons, SwitchSlidesEveryTenMillisecondsToFrameEightAndSettlesOnSeven) {
  auto* sw = Place<TZSwitch>(10, 10);
  auto slide = [&] {
    std::vector<int> frames;
    Platform.AdvanceTime(TZSwitch::kTickMs - 1);
    frames.push_back(sw->Frame()); // not yet moved
    for (int i = 0; i < 20 && sw->Sliding(); ++i) {
      Platform.AdvanceTime(i == 0 ? 1 : TZSwitch::kTickMs);
      frames.push_back(sw->Frame());
    }
    EXPECT_EQ(Mismatches(Picture(*sw), Face(*Skin.WaveSwitch, 0, 9 * sw->Frame())), 0);
    return frames;
  };
  sw->SetValue(1.0f);
  EXPECT_EQ(slide(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 7}));
  sw->SetValue(0.0f);
  EXPECT_EQ(slide(), (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0, 0}));
}

TEST_F(ZButtons, PushButtonsShowTheirPressedFaceAndActOnAReleaseAnywhere) {
  auto* push = Place<TZSButton>(10, 10);
  auto* close = Place<TZCloseButton>(100, 10);
  EXPECT_EQ(push->BoundsRect(), Bounds(10, 10, 66, 22));
  EXPECT_EQ(close->BoundsRect(), Bounds(100, 10, 16, 14));
  const auto closeFaces = LoadSkinBitmap("ZCLOSEBUTTON");

  EXPECT_EQ(Mismatches(Picture(*push), Face(*Skin.ZSButton, 0)), 0);
  Platform.MouseDown(*Form, 20, 20);
  EXPECT_EQ(Mismatches(Picture(*push), Face(*Skin.ZSButton, 66)), 0);
  Platform.MouseMove(*Form, 150, 80);
  Platform.MouseUp(*Form, 150, 80);
  EXPECT_EQ(Log, std::vector<std::string>{"click"});

  Platform.MouseDown(*Form, 105, 15);
  EXPECT_EQ(Mismatches(Picture(*close), Face(*closeFaces, 16)), 0);
  Platform.MouseUp(*Form, 105, 15);
  EXPECT_FALSE(Form->Visible());
}

TEST_F(ZButtons, PushButtonCaptionIsCentredAndMovesWhilePressed) {
  auto* push = Place<TZSButton>(10, 10);
  // The box of the pixels that differ from the bare face.
  auto textBox = [&](bool pressed) {
    const TBitmap picture = Picture(*push);
    TRect box{66, 22, 0, 0};
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 66; ++x)
        if (At(picture, x, y) != At(*Skin.ZSButton, x + (pressed ? 66 : 0), y))
          box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                 std::max(box.Bottom, y + 1)};
    return box;
  };
  push->SetCaption("Donate");
  const TRect up = textBox(false);
  ASSERT_FALSE(up.IsEmpty());
  EXPECT_NEAR(up.Left + up.Right, 66, 2);
  EXPECT_NEAR(up.Top + up.Bottom, 22, 4); // ink sits above the descent
  Platform.MouseDown(*Form, 20, 20);
  EXPECT_EQ(textBox(true), up.Offset(1, 1));
}

TEST_F(ZButtons, ToolButtonClicksOnlyOnAReleaseInsideAndFollowsTheMouseWhileHeld) {
  auto* button = Place<TZButton>(10, 10);
  std::vector<int> states;
  Platform.MouseDown(*Form, 15, 15);
  states.push_back(button->State());
  Platform.MouseMove(*Form, 50, 50);
  states.push_back(button->State());
  Platform.MouseMove(*Form, 20, 20);
  states.push_back(button->State());
  Platform.MouseUp(*Form, 20, 20);
  states.push_back(button->State());
  EXPECT_EQ(states,
            (std::vector<int>{TZButton::bsDown, TZButton::bsUp, TZButton::bsDown, TZButton::bsUp}));
  EXPECT_EQ(Log, std::vector<std::string>{"click"});
  Pause();
  Platform.MouseDown(*Form, 15, 15);
  Platform.MouseUp(*Form, 32, 15); // x 22 is outside
  EXPECT_EQ(Log.size(), 1u);
}

// No form groups its tool buttons: one down per group, and none without a group.
TEST_F(ZButtons, ToolButtonGroupsKeepOneDown) {
  auto *a = Place<TZButton>(10, 10), *b = Place<TZButton>(40, 10);
  a->SetDown(true);
  EXPECT_FALSE(a->Down()) << "no group, no down";
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
}

TEST_F(ZButtons, ToolButtonRepeatsAfterInitPauseEveryRepeatIntervalWhileHeldInside) {
  auto* button = Place<TZButton>(10, 10);
  button->SetAllowTimer(true);
  std::vector<std::uint64_t> clicks;
  button->OnClick = [&](TObject*) { clicks.push_back(Platform.NowMs()); };
  const std::uint64_t t0 = Platform.NowMs();
  Platform.MouseDown(*Form, 15, 15);
  Platform.AdvanceTime(750);
  Platform.MouseMove(*Form, 60, 60); // outside: the timer runs on but does not click
  Platform.AdvanceTime(100);
  Platform.MouseMove(*Form, 15, 15);
  Platform.AdvanceTime(100);
  Platform.MouseUp(*Form, 15, 15); // the release clicks once more, and stops the timer
  Platform.AdvanceTime(1000);
  for (auto& t : clicks) t -= t0;
  EXPECT_EQ(clicks, (std::vector<std::uint64_t>{500, 600, 700, 900, 950}));
}

// A menu returning with its closing press, on the button that opened it, still waiting.
class TClosingClickMenu : public TPopupMenu {
public:
  TClosingClickMenu(TForm* form, TPoint press) : TPopupMenu(form), FForm(form), FPress(press) {}
  std::vector<TPoint> Shown;
  void Popup(int X, int Y) override {
    Shown.push_back({X, Y});
    if (Shown.size() > 1) return;
    Application->PostMouseDown(*FForm, mbLeft, 0, FPress.X, FPress.Y);
    Application->PostMouseUp(*FForm, mbLeft, 0, FPress.X, FPress.Y);
  }

private:
  TForm* FForm;
  TPoint FPress;
};

TEST_F(ZButtons, ToolButtonDropDownOpensTheMenuBelowOrBesideAndFiresNoClick) {
  auto* button = Place<TZButton>(10, 20);
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(menu);
  item->Caption = "Clear";
  menu->Items()->Add(item);
  button->SetDropDownMenu(menu);
  TRect shownAt;
  Platform.Then([&] {
    for (TMenuWindow* menuWindow : MenuWindows()) {
      shownAt = menuWindow->ScreenRect();
      Platform.PressKey(*menuWindow, vkEscape);
    }
  });
  Platform.MouseDown(*Form, 15, 25);
  Platform.MouseUp(*Form, 15, 25);
  const TPoint origin = button->ClientToScreen({0, 0});
  EXPECT_EQ(shownAt.Left, origin.X - 1);
  EXPECT_EQ(shownAt.Top, origin.Y + 22);
  EXPECT_EQ(menu->PopupComponent(), button);
  EXPECT_TRUE(Log.empty());

  delete menu;
  EXPECT_EQ(button->DropDownMenu(), nullptr);
  auto* closing = new TClosingClickMenu(Form, {15, 25});
  button->SetDropDownMenu(closing);
  button->MenuPosition = dmpRight;
  Pause();
  Platform.MouseDown(*Form, 15, 25);
  EXPECT_EQ(closing->Shown, (std::vector<TPoint>{button->ClientToScreen({22, -1})}))
      << "the waiting press was removed, so the menu did not open again";
  Platform.MouseUp(*Form, 15, 25);
  EXPECT_TRUE(Log.empty());
}

TEST_F(ZButtons, ToolButtonDrawsItsFaceAndGlyphAndCopesWithSmallOrMissingGlyphs) {
  auto* button = Place<TZButton>(10, 10);
  const auto glyph = LoadSkinBitmap("ZBTN_OPEN");
  button->LoadGlyph("ZBTN_OPEN");
  // The face at x `face` of ZBUTTON with the glyph's top-left 13×13 (or less) at (at, at).
  auto expected = [&](int face, int at, const TBitmap& g) {
    return [&, face, at](int x, int y) {
      const int size = std::min(g.Width(), 13);
      const bool inGlyph = x >= at && x < at + size && y >= at && y < at + size;
      return inGlyph ? At(g, x - at, y - at) : At(*Skin.ZButton, face + x, y);
    };
  };
  EXPECT_EQ(Mismatches(Picture(*button), expected(0, 4, *glyph)), 0);
  Platform.MouseDown(*Form, 15, 15);
  EXPECT_EQ(Mismatches(Picture(*button), expected(22, 5, *glyph)), 0);
  Platform.MouseUp(*Form, 15, 15);
  EXPECT_THROW(button->LoadGlyph("NO_SUCH_GLYPH"), ESkinImageError);
  EXPECT_EQ(button->Glyph().Width(), glyph->Width()) << "the glyph stays";
  TBitmap dot(2, 2);
  dot.Canvas().Brush.Color = clWhite;
  dot.Canvas().FillRect(dot.BoundsRect());
  button->SetGlyph(dot);
  EXPECT_EQ(Mismatches(Picture(*button), expected(0, 4, dot)), 0);
}

} // namespace
