// The program keeps file names and system texts as UTF-8, as on Linux; the
// Windows API takes UTF-16. These convert at that boundary.
#pragma once

#include <string>
#include <string_view>

namespace qvt {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

} // namespace qvt
