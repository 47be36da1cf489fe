// Text on the clipboard (Windows-1252). With a platform installed it is the
// system clipboard; without one the text stays inside the process, so code
// without a user interface (and its tests) can use it too.
#pragma once

#include <string>
#include <string_view>

void SetClipboardText(std::string_view text);
// Empty when the clipboard holds no text.
std::string GetClipboardText();
bool ClipboardHasText();
