// The pattern's clipboard text: a header line and the values of parameters 52
// to 69 (speed, portamento, steps 1 to 16), one per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvt {

inline constexpr std::string_view kPatternHeader = "[QVT SeqPattern]";
inline constexpr int kPatternValueCount = 18;

// Each value in fixed-point notation with 11 decimals; every line ends with CR LF.
std::string FormatPatternText(const float (&values)[kPatternValueCount]);

// The values read from a pattern text, in order, up to the first line that is
// not a number. Empty when the text has fewer than 18 lines or no valid header.
std::vector<double> ParsePatternText(std::string_view text);

// True when the exact header text occurs anywhere in the text.
bool ContainsPatternHeader(std::string_view text);

// Plain decimal numbers only: an optional sign, digits and an optional point
// with more digits. No exponents, hexadecimal, "nan" or "inf"; a number too
// large for a double is not a number either.
bool ParsePlainDecimal(std::string_view text, double& value);

} // namespace qvt
