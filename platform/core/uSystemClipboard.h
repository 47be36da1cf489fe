// The clipboard used when no platform is installed: the system clipboard on
// Windows (CF_TEXT), a text kept inside the process on Linux.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvt {

void SetSystemClipboardText(std::string_view text); // Windows-1252
std::optional<std::string> SystemClipboardText();   // nothing when it holds no text

} // namespace qvt
