// The value editors: repeat timing, skin pictures, caret, typing, limits, context menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "controls/uZEditors.h"
#include "platform/core/uClipboard.h"
#include "platform/core/uMenuLoop.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

constexpr int kLeft = 10, kTop = 10; // where the editors are placed on the form

// Pixels that differ between two pictures (colour only), with the first one named.
testing::AssertionResult SamePicture(const TBitmap& got, const TBitmap& want) {
  if (got.Width() != want.Width() || got.Height() != want.Height())
    return testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < got.Height(); ++y)
    for (int x = 0; x < got.Width(); ++x)
      if (((got.Pixel(x, y) ^ want.Pixel(x, y)) & 0xFFFFFF) != 0)
        return testing::AssertionFailure() << "first difference at " << x << "," << y;
  return testing::AssertionSuccess();
}

class Editors : public HeadlessTest {
protected:
  static void SetUpTestSuite() { qvt::LoadSharedSkinImages(); }
  static void TearDownTestSuite() { qvt::FreeSharedSkinImages(); }

  std::vector<std::uint64_t> Changes; // clock times of OnChange

  template <class T> T* Place() {
    auto* control = new T(Form);
    control->SetParent(Form);
    control->SetBounds(kLeft, kTop, control->Width(), control->Height());
    control->OnChange = [this](TObject*) { Changes.push_back(Platform.NowMs()); };
    return control;
  }
  void Press(int x, int y, TMouseButton b = mbLeft) {
    Platform.MouseDown(*Form, kLeft + x, kTop + y, b);
  }
  void Release(int x, int y, TMouseButton b = mbLeft) {
    Platform.MouseUp(*Form, kLeft + x, kTop + y, b);
  }
  void Click(int x, int y, TMouseButton b = mbLeft) {
    Press(x, y, b);
    Release(x, y, b);
  }
  static std::unique_ptr<TBitmap> Skin(const char* name) { return LoadSkinBitmap(name); }
  static void Put(TBitmap& picture, int x, int y, const char* image, const TRect& from) {
    picture.Canvas().Copy(x, y, *Skin(image), from);
  }
  static TBitmap Region(const TBitmap& picture, const TRect& r) {
    TBitmap part(r.Width(), r.Height());
    part.Canvas().Copy(0, 0, picture, r);
    return part;
  }
};

TEST_F(Editors, HoldingAnArrowStepsOnTheRepeatScheduleOfEachKind) {
  struct TCase {
    const char* Kind;
    std::function<void()> Make;
    TPoint Arrow;
    int LastMedium; // the last tick followed by 100 ms
  };
  const TCase cases[] = {
      {"spin edit", [&] { Place<TZSpinEditOffset>(); }, {70, 4}, 50},
      {"waveform selector", [&] { Place<TZTextSpinEdit>(); }, {70, 5}, 20},
      {"scheme selector", [&] { Place<TZScemEdit>(); }, {70, 20}, 20},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Kind);
    c.Make();
    Changes.clear();
    // Once at once, four steps 400 ms apart, two 300, two 200, three 150,
    // then 100 ms up to the kind's limit, then 50 ms.
    std::vector<unsigned> gaps{400, 400, 400, 400, 300, 300, 200, 200, 150, 150, 150};
    gaps.insert(gaps.end(), c.LastMedium - 10, 100);
    gaps.insert(gaps.end(), 6, 50);
    const std::uint64_t start = Platform.NowMs();
    std::vector<std::uint64_t> expected{start};
    for (unsigned gap : gaps) expected.push_back(expected.back() + gap);

    Press(c.Arrow.X, c.Arrow.Y);
    Platform.AdvanceTime(expected.back() - start + 20);
    Release(c.Arrow.X, c.Arrow.Y);
    Platform.AdvanceTime(1000);
    EXPECT_EQ(Changes, expected);
    delete Form->Controls(0);
  }
}

TEST_F(Editors, TheWaveformSelectorShowsItsItemInFont1AndStepsWithinItsRange) {
  auto* e = Place<TZTextSpinEdit>();
  e->SetValue(0.2);
  EXPECT_EQ(e->WaveForm(), otSaw);
  EXPECT_EQ(e->ItemText(2), "3 Sawtooth");
  e->SetRealValue(3);
  Changes.clear();
  Press(70, 5); // up at the last item: stays, still announced
  EXPECT_EQ(e->RealValue(), 3);
  EXPECT_EQ(Changes.size(), 1u);
  TBitmap want = *Skin("WAVESELECTOR");
  qvt::DrawFont1Text(want.Canvas(), *qvt::SharedSkinImages().Font1, "4 Inv Saw", 5, 6);
  Put(want, 67, 2, "SPIN-BTN-DN", {0, 0, 9, 7});
  EXPECT_TRUE(SamePicture(Platform.ControlPicture(*e), want));
  Release(70, 5);
  Platform.DoubleClick(*Form, kLeft + 70, kTop + 13); // down: the second press does not step
  EXPECT_EQ(e->RealValue(), 2);
}

TEST_F(Editors, SpinEditorsRoundTheirValueAndShowSixDigits9CellsOverTheirFace) {
  struct TCase {
    bool Ratio;
    double Set, Stored;
    int Digits[6]; // −1 blank, 10 minus
  };
  const TCase cases[] = {
      {true, 1.23456, 1.2346, {-1, 1, 2, 3, 4, 6}}, // four decimals
      {true, 12.5, 12.5, {1, 2, 5, 0, 0, 0}},
      {false, -5.5, -5.5, {-1, -1, 10, 5, 5, 0}}, // two decimals
      {false, 123.45, 123.45, {-1, 1, 2, 3, 4, 5}},
      {false, -999.994, -999.99, {10, 9, 9, 9, 9, 9}}, // the lowest value
  };
  const int ratioLefts[6] = {4, 10, 19, 25, 31, 37}, offsetLefts[6] = {4, 10, 16, 22, 31, 37};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Set);
    TZSpinEdit* e =
        c.Ratio ? static_cast<TZSpinEdit*>(Place<TZSpinEditRatio>()) : Place<TZSpinEditOffset>();
    e->SetRealValue(c.Set);
    EXPECT_DOUBLE_EQ(e->RealValue(), c.Stored);
    TBitmap want = *Skin(c.Ratio ? "ZSPINEDITRATIO" : "ZSPINEDITOFFSET");
    for (int i = 0; i < 6; ++i)
      Put(want, (c.Ratio ? ratioLefts : offsetLefts)[i], 5, "DIGITS-9",
          {6 * c.Digits[i] + 6, 0, 6 * c.Digits[i] + 12, 9});
    EXPECT_TRUE(SamePicture(Platform.ControlPicture(*e), want));
    delete e;
  }
}

TEST_F(Editors, APressElsewhereOrDisablingLetsGoOfAHeldArrowAndDisabledShowsItsOwnFace) {
  auto* e = Place<TZSpinEditRatio>();
  Press(70, 4);
  Press(20, 8, mbMiddle);
  Platform.AdvanceTime(5000);
  Release(20, 8, mbMiddle);
  Release(70, 4);
  EXPECT_EQ(Changes.size(), 1u);
  Press(70, 4); // the schedule starts afresh
  Platform.AdvanceTime(399);
  EXPECT_EQ(Changes.size(), 2u);
  e->SetEnabled(false);
  Platform.AdvanceTime(2000);
  Release(70, 4);
  EXPECT_EQ(Changes.size(), 2u);
  EXPECT_TRUE(SamePicture(Platform.ControlPicture(*e), *Skin("ZSPINERATIODISABLED")));
  Click(70, 4);
  EXPECT_EQ(Changes.size(), 2u);
}

TEST_F(Editors, EachArrowStepsByItsKindsAmountAndShowsItselfPressedWhileHeld) {
  struct TCase {
    bool Ratio;
    TPoint Arrow;
    double Expected; // from 10
  };
  const TCase cases[] = {
      {true, {50, 4}, 11},    {true, {60, 4}, 10.01}, {true, {70, 4}, 10.0001},
      {true, {50, 12}, 9},    {true, {60, 12}, 9.99}, {true, {70, 12}, 9.9999},
      {false, {50, 4}, 110},  {false, {60, 4}, 11},   {false, {70, 4}, 10.01},
      {false, {50, 12}, -90}, {false, {60, 12}, 9},   {false, {70, 12}, 9.99},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Ratio << " " << c.Arrow.X << "," << c.Arrow.Y);
    TZSpinEdit* e =
        c.Ratio ? static_cast<TZSpinEdit*>(Place<TZSpinEditRatio>()) : Place<TZSpinEditOffset>();
    e->SetRealValue(10);
    Press(c.Arrow.X, c.Arrow.Y);
    EXPECT_DOUBLE_EQ(e->RealValue(), c.Expected);
    // The pressed image lies one pixel inside the arrow's rectangle.
    const int left = 46 + (c.Arrow.X - 46) / 10 * 10, top = c.Arrow.Y < 9 ? 1 : 9;
    const TRect shown = Bounds(left + 1, top + 1, 10, 8);
    const int from = top == 1 ? 0 : 7;
    EXPECT_TRUE(SamePicture(Region(Platform.ControlPicture(*e), shown),
                            Region(*Skin("SPIN-BTN-DN"), {0, from, 10, from + 8})));
    Release(c.Arrow.X, c.Arrow.Y);
    delete e;
  }
}

TEST_F(Editors, LimitsStayInsideTheHardLimitsAndValuesMapToTheParameterRange) {
  auto* ratio = Place<TZSpinEditRatio>();
  ratio->SetMaxValue(100);
  ratio->SetMinValue(-5);
  EXPECT_EQ(ratio->MaxValue(), 64);
  EXPECT_EQ(ratio->MinValue(), 0);
  ratio->SetMaxValue(10);
  ratio->SetRealValue(70);
  EXPECT_DOUBLE_EQ(ratio->Value(), 10.0 / 64);
  Changes.clear();
  ratio->SetRealValue(10.00001); // the same after rounding: no event
  ratio->SetRealValue(std::nan(""));
  EXPECT_TRUE(Changes.empty());

  auto* offset = Place<TZSpinEditOffset>();
  offset->SetMaxValue(20000);
  offset->SetValue(1);
  EXPECT_DOUBLE_EQ(offset->RealValue(), 9999.99);
  offset->SetValue(0);
  EXPECT_DOUBLE_EQ(offset->RealValue(), -999.99);
}

TEST_F(Editors, TheCaretFollowsClicksAndKeysAndTypedDigitsReplaceTheOneAbove) {
  auto* e = Place<TZSpinEditRatio>();
  e->SetRealValue(1.5);
  const TBitmap plain = Platform.ControlPicture(*e);
  Click(21, 8); // the third digit
  ASSERT_TRUE(e->CaretShown());
  EXPECT_EQ(e->CaretPosition(), 3);
  // The caret inverts a 5×1 line under the digit by RGB(150,200,150).
  EXPECT_EQ((Platform.ControlPicture(*e).Pixel(20, 15) ^ plain.Pixel(20, 15)) & 0xFFFFFF,
            0x96C896u);
  Platform.Type(*Form, "7");
  EXPECT_DOUBLE_EQ(e->RealValue(), 1.7);
  EXPECT_EQ(e->CaretPosition(), 4);
  EXPECT_EQ(Application->Caret().Pos, (TPoint{26, 15}));
  Platform.Type(*Form, "x-.");
  EXPECT_DOUBLE_EQ(e->RealValue(), 1.7);

  const std::pair<std::uint16_t, int> keys[] = {
      {vkEnd, 6}, {vkRight, 6}, {vkHome, 1}, {vkLeft, 1}, {vkRight, 2}};
  for (const auto& [key, position] : keys) {
    Platform.PressKey(*Form, key);
    EXPECT_EQ(e->CaretPosition(), position);
  }
  Platform.PressKey(*Form, vkEscape);
  EXPECT_FALSE(e->CaretShown());
  Click(30, 8);
  Click(70, 4); // a press outside the text hides it
  EXPECT_FALSE(e->CaretShown());
}

TEST_F(Editors, TypingIntoAnOffsetEditsItsMagnitudeAndMinusFlipsTheSign) {
  auto* e = Place<TZSpinEditOffset>();
  e->SetRealValue(-5.5);
  Click(24, 8); // the fourth digit, the units
  Platform.Type(*Form, "7");
  EXPECT_DOUBLE_EQ(e->RealValue(), -7.5);
  Platform.Type(*Form, "-");
  EXPECT_DOUBLE_EQ(e->RealValue(), 7.5);
  Platform.PressKey(*Form, vkHome);
  Platform.Type(*Form, "12");
  EXPECT_DOUBLE_EQ(e->RealValue(), 1207.5);
  e->SetMinValue(0); // minus is refused without negative values
  Platform.Type(*Form, "-");
  EXPECT_DOUBLE_EQ(e->RealValue(), 1207.5);
}

TEST_F(Editors, TheContextMenuOpensOffTheArrowsAndCopiesPastesRandomisesAndClearsTheValue) {
  auto* e = Place<TZSpinEditRatio>();
  e->SetRealValue(1.5);
  e->RunMenuCommand(TZSpinEdit::mcCopy);
  EXPECT_EQ(GetClipboardText(), "1.5000");

  // Text that is not a number in this notation changes nothing.
  for (const char* text : {"abc", "1,5", "", "2.5x", "nan", "inf", "1e999", "0x10"}) {
    SCOPED_TRACE(text);
    SetClipboardText(text);
    Changes.clear();
    e->RunMenuCommand(TZSpinEdit::mcPaste);
    EXPECT_DOUBLE_EQ(e->RealValue(), 1.5);
    EXPECT_TRUE(Changes.empty());
  }

  // A right press outside the arrows opens the menu, with Paste only for numbers.
  e->SetRealValue(3);
  std::vector<bool> pasteEnabled;
  auto choose = [&](std::vector<std::uint16_t> keys) {
    Platform.Then([&, keys] {
      ASSERT_EQ(MenuWindows().size(), 1u);
      pasteEnabled.push_back(e->ContextMenu()->Items()->Items(1)->Enabled);
      for (const std::uint16_t key : keys) Platform.PressKey(*MenuWindows().back(), key);
    });
    Click(20, 8, mbRight);
  };
  SetClipboardText("abc");
  choose({vkEnd, vkReturn}); // "Set 0"
  EXPECT_DOUBLE_EQ(e->RealValue(), 0);
  SetClipboardText(" 2.5");
  choose({vkHome, vkDown, vkReturn}); // "Paste Value"
  EXPECT_DOUBLE_EQ(e->RealValue(), 2.5);
  EXPECT_EQ(pasteEnabled, (std::vector<bool>{false, true}));
  const char* captions[] = {"Copy Value", "Paste Value", "Random Value", "Set 0"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(e->ContextMenu()->Items()->Items(i)->Caption, captions[i]);
  Click(70, 12, mbRight); // on an arrow: a step, no menu
  EXPECT_DOUBLE_EQ(e->RealValue(), 2.4999);

  e->SetMinValue(2);
  e->SetMaxValue(5);
  std::set<double> draws;
  for (int i = 0; i < 100; ++i) {
    e->RunMenuCommand(TZSpinEdit::mcRandom);
    draws.insert(e->RealValue());
  }
  EXPECT_GE(*draws.begin(), 2);
  EXPECT_LE(*draws.rbegin(), 5);
  EXPECT_GT(draws.size(), 50u);
}

TEST_F(Editors, TheSchemeSelectorShowsThePictureAndNumberOfItsScheme) {
  auto* e = Place<TZScemEdit>();
  e->SetValue(0.34);
  EXPECT_EQ(e->Index(), 3);
  EXPECT_DOUBLE_EQ(e->Value(), 0.3);
  EXPECT_TRUE(Changes.empty()) << "setting Value is silent";
  TBitmap want = *Skin("SCHEMEDIT");
  Put(want, 5, 5, "SCHEMES", {0, 50, 58, 75});
  Put(want, 68, 5, "DIGITS-9", {24, 0, 30, 9});
  EXPECT_TRUE(SamePicture(Platform.ControlPicture(*e), want));

  e->SetValue(0.1);
  Press(70, 30); // down at scheme 1: stays, still announced
  EXPECT_EQ(e->Index(), 1);
  EXPECT_EQ(Changes.size(), 1u);
}

} // namespace
