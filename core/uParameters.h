// Names, labels and display texts of the 81 host parameters, from their table.
#pragma once

#include <functional>
#include <string>

namespace qvt {

std::string ParameterName(int index);  // "unknown" outside 0…80
std::string ParameterLabel(int index); // empty above 53
bool IsOnOffParameter(int index);      // shown as "on"/"off"

// Display text of parameter `index` whose stored value is v; some texts also
// show a neighbouring parameter, read through `valueOf` (0…71).
std::string ParameterDisplay(int index, float v, const std::function<float(int)>& valueOf);

// Formats a number like the C format "%.<decimals>f", independent of the locale.
std::string FormatFixed(long double value, int decimals);

// Nearest integer, halves to even.
long long RoundHalfEven(long double value);

} // namespace qvt
