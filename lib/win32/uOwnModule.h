// The module (DLL or program) that holds this code, for its resources,
// version and window classes.
#pragma once

#include <windows.h>

namespace qvt {

HMODULE OwnModule();

} // namespace qvt
