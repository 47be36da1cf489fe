// Keyboard input of X11 in the framework's terms: keysyms to virtual key
// codes, modifier masks to shift states, typed keysyms to Windows-1252.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/core/uTypes.h"

namespace qvt {

// The virtual key of a keysym (its unshifted form is best: XK_a, XK_1); 0 when
// the framework has no code for it.
std::uint16_t VirtualKeyOfKeysym(unsigned long keysym);

// Shift, Control and Alt (Mod1) of an X modifier/button state.
TShiftState ShiftOfXState(unsigned int state);

// The Windows-1252 character a typed keysym stands for; nothing for keys
// that type no character or one without a Windows-1252 form.
std::optional<char> Win1252OfKeysym(unsigned long keysym);

} // namespace qvt
