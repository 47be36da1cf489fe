#include "platform/x11/uX11Keys.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <string>

#include "lib/uCodePage.h"

namespace qvt {

namespace {

// Codes beyond those uTypes.h names, in the same numbering.
constexpr std::uint16_t kNumpad0 = 0x60;
constexpr std::uint16_t kMultiply = 0x6A;
constexpr std::uint16_t kAdd = 0x6B;
constexpr std::uint16_t kSubtract = 0x6D;
constexpr std::uint16_t kDecimal = 0x6E;
constexpr std::uint16_t kDivide = 0x6F;
constexpr std::uint16_t kOemSemicolon = 0xBA;
constexpr std::uint16_t kOemPlus = 0xBB;
constexpr std::uint16_t kOemComma = 0xBC;
constexpr std::uint16_t kOemMinus = 0xBD;
constexpr std::uint16_t kOemPeriod = 0xBE;
constexpr std::uint16_t kOemSlash = 0xBF;
constexpr std::uint16_t kOemBackquote = 0xC0;
constexpr std::uint16_t kOemOpenBracket = 0xDB;
constexpr std::uint16_t kOemBackslash = 0xDC;
constexpr std::uint16_t kOemCloseBracket = 0xDD;
constexpr std::uint16_t kOemQuote = 0xDE;

std::string Utf8Of(char32_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

// The Unicode character of a keysym that types one; 0 otherwise.
char32_t UnicodeOfKeysym(unsigned long keysym) {
  if (keysym >= 0x20 && keysym <= 0x7E) return static_cast<char32_t>(keysym);
  if (keysym >= 0xA0 && keysym <= 0xFF) return static_cast<char32_t>(keysym); // Latin-1
  if ((keysym & 0xFF000000UL) == 0x01000000UL) return static_cast<char32_t>(keysym & 0x00FFFFFF);
  switch (keysym) {
  case XK_EuroSign: return 0x20AC;
  case XK_BackSpace: return 0x08;
  case XK_Tab:
  case XK_ISO_Left_Tab: return 0x09;
  case XK_Return:
  case XK_KP_Enter: return 0x0D;
  case XK_Escape: return 0x1B;
  case XK_KP_Space: return ' ';
  case XK_KP_Multiply: return '*';
  case XK_KP_Add: return '+';
  case XK_KP_Subtract: return '-';
  case XK_KP_Decimal: return '.';
  case XK_KP_Divide: return '/';
  default: break;
  }
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<char32_t>('0' + keysym - XK_KP_0);
  return 0;
}

} // namespace

std::uint16_t VirtualKeyOfKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<std::uint16_t>('A' + keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<std::uint16_t>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<std::uint16_t>(keysym);
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<std::uint16_t>(vkF1 + keysym - XK_F1);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
    return static_cast<std::uint16_t>(kNumpad0 + keysym - XK_KP_0);
  switch (keysym) {
  case XK_BackSpace: return vkBack;
  case XK_Tab:
  case XK_ISO_Left_Tab: return vkTab;
  case XK_Return:
  case XK_KP_Enter: return vkReturn;
  case XK_Shift_L:
  case XK_Shift_R: return vkShift;
  case XK_Control_L:
  case XK_Control_R: return vkControl;
  case XK_Alt_L:
  case XK_Alt_R:
  case XK_Meta_L:
  case XK_Meta_R: return vkMenu;
  case XK_Escape: return vkEscape;
  case XK_space:
  case XK_KP_Space: return vkSpace;
  case XK_Prior:
  case XK_KP_Prior: return vkPrior;
  case XK_Next:
  case XK_KP_Next: return vkNext;
  case XK_End:
  case XK_KP_End: return vkEnd;
  case XK_Home:
  case XK_KP_Home: return vkHome;
  case XK_Left:
  case XK_KP_Left: return vkLeft;
  case XK_Up:
  case XK_KP_Up: return vkUp;
  case XK_Right:
  case XK_KP_Right: return vkRight;
  case XK_Down:
  case XK_KP_Down: return vkDown;
  case XK_Insert:
  case XK_KP_Insert: return vkInsert;
  case XK_Delete:
  case XK_KP_Delete: return vkDelete;
  case XK_KP_Multiply: return kMultiply;
  case XK_KP_Add: return kAdd;
  case XK_KP_Subtract: return kSubtract;
  case XK_KP_Decimal: return kDecimal;
  case XK_KP_Divide: return kDivide;
  case XK_semicolon: return kOemSemicolon;
  case XK_equal: return kOemPlus;
  case XK_comma: return kOemComma;
  case XK_minus: return kOemMinus;
  case XK_period: return kOemPeriod;
  case XK_slash: return kOemSlash;
  case XK_grave: return kOemBackquote;
  case XK_bracketleft: return kOemOpenBracket;
  case XK_backslash: return kOemBackslash;
  case XK_bracketright: return kOemCloseBracket;
  case XK_apostrophe: return kOemQuote;
  default: return 0;
  }
}

TShiftState ShiftOfXState(unsigned int state) {
  TShiftState shift = 0;
  if (state & ShiftMask) shift |= ssShift;
  if (state & ControlMask) shift |= ssCtrl;
  if (state & Mod1Mask) shift |= ssAlt;
  return shift;
}

std::optional<char> Win1252OfKeysym(unsigned long keysym) {
  const char32_t code = UnicodeOfKeysym(keysym);
  if (code == 0) return std::nullopt;
  const std::string converted = Utf8ToWin1252(Utf8Of(code));
  // Characters without a Windows-1252 form come back as '?'.
  if (converted.size() != 1 || (converted[0] == '?' && code != '?')) return std::nullopt;
  return converted[0];
}

} // namespace qvt
