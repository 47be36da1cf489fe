// The framework's texts are Windows-1252; fonts and the outside world use Unicode.
#pragma once

#include <string>
#include <string_view>

namespace qvt {

std::u32string Win1252ToCodePoints(std::string_view text);

} // namespace qvt
