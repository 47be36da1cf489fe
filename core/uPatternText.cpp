#include "core/uPatternText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace qvt {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Lines separated by CR LF, LF or CR; a final line ending adds no empty line.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

} // namespace

std::string FormatPatternText(const float (&values)[kPatternValueCount]) {
  std::string text(kPatternHeader);
  text += "\r\n";
  for (float value : values) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), static_cast<double>(value),
                                      std::chars_format::fixed, 11);
    text.append(buffer, result.ec == std::errc() ? result.ptr : buffer);
    text += "\r\n";
  }
  return text;
}

bool ParsePlainDecimal(std::string_view text, double& value) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0 || i != text.size()) return false;
  // from_chars takes no '+'.
  const std::string_view number = text.front() == '+' ? text.substr(1) : text;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond a double's range: a number below 1 in magnitude is too tiny and
    // reads as zero; anything larger is too large to be taken.
    const std::string_view whole = number.substr(number.front() == '-' ? 1 : 0);
    if (whole.find_first_not_of('0') != whole.find('.')) return false;
    value = number.front() == '-' ? -0.0 : 0.0;
    return true;
  }
  // The value is stored as a 32-bit float: it must fit one.
  return result.ec == std::errc() && result.ptr == number.data() + number.size() &&
         std::isfinite(static_cast<float>(value));
}

std::vector<double> ParsePatternText(std::string_view text) {
  const std::vector<std::string_view> lines = Lines(text);
  std::vector<double> values;
  if (lines.size() < static_cast<std::size_t>(kPatternValueCount)) return values;
  if (!EqualsIgnoringAsciiCase(Trimmed(lines[0]), kPatternHeader)) return values;
  for (std::size_t i = 1; i < lines.size() && values.size() < kPatternValueCount; ++i) {
    double value;
    if (!ParsePlainDecimal(Trimmed(lines[i]), value)) break;
    values.push_back(value);
  }
  return values;
}

bool ContainsPatternHeader(std::string_view text) {
  return text.find(kPatternHeader) != std::string_view::npos;
}

} // namespace qvt
