// Keyboard translation of the X11 backend; needs no display.
#include <gtest/gtest.h>

#include "platform/x11/uX11Keys.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace {

TEST(X11Keys, LettersKeypadPunctuationAndFunctionKeysHaveTheirCodes) {
  EXPECT_EQ(qvt::VirtualKeyOfKeysym(XK_a), 'A');
  EXPECT_EQ(qvt::VirtualKeyOfKeysym(XK_KP_Enter), vkReturn);
  EXPECT_EQ(qvt::VirtualKeyOfKeysym(XK_F12), vkF1 + 11);
  EXPECT_EQ(qvt::VirtualKeyOfKeysym(XK_KP_5), 0x65);   // numeric keypad 5
  EXPECT_EQ(qvt::VirtualKeyOfKeysym(XK_minus), 0xBD);  // the minus key
  EXPECT_EQ(qvt::VirtualKeyOfKeysym(XK_Caps_Lock), 0); // not one of ours
}

TEST(X11Keys, ModifierMasksBecomeShiftStates) {
  EXPECT_EQ(qvt::ShiftOfXState(ShiftMask | Mod1Mask), ssShift | ssAlt);
  EXPECT_EQ(qvt::ShiftOfXState(ControlMask | LockMask | Button1Mask), ssCtrl);
}

TEST(X11Keys, TypedCharactersAreWindows1252) {
  EXPECT_EQ(qvt::Win1252OfKeysym(XK_a), 'a');
  EXPECT_EQ(qvt::Win1252OfKeysym(XK_Return), '\r');
  EXPECT_EQ(qvt::Win1252OfKeysym(XK_EuroSign), '\x80');
  EXPECT_EQ(qvt::Win1252OfKeysym(0x01000152), '\x8C'); // Œ, a Unicode keysym
  EXPECT_EQ(qvt::Win1252OfKeysym(XK_Cyrillic_zhe), std::nullopt);
  EXPECT_EQ(qvt::Win1252OfKeysym(XK_Left), std::nullopt);
}

} // namespace
