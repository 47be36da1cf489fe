#include "lib/uCodePage.h"

#include <array>
#include <cstdint>

namespace qvt {

namespace {

// Unicode code points of the bytes 0x80 to 0x9F; 0 marks the five unused bytes.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    const char32_t mapped = kHighControls[byte - 0x80];
    return mapped ? mapped : byte;
  }
  return byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char ByteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  // The five unused bytes stand for themselves, both ways.
  if (cp >= 0x80 && cp <= 0x9F && kHighControls[cp - 0x80] == 0) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

// Length of the UTF-8 sequence that starts with `lead`, 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

} // namespace

std::string Win1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToWin1252(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = SequenceLength(lead);
    bool valid = length > 0 && i + length <= text.size();
    char32_t cp = length == 1 ? lead : (lead & (0x7F >> length));
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    out += valid ? ByteOf(cp) : '?';
    i += valid ? length : 1;
  }
  return out;
}

#if defined(_WIN32)
std::string ToHostText(std::string_view text) { return std::string(text); }
std::string FromHostText(std::string_view text) { return std::string(text); }
void CopyHostText(char* destination, std::size_t capacity, std::string_view text) {
  if (!destination || capacity == 0) return;
  const std::size_t length = text.copy(destination, capacity - 1);
  destination[length] = '\0';
}
#else
std::string ToHostText(std::string_view text) { return Win1252ToUtf8(text); }
std::string FromHostText(std::string_view text) { return Utf8ToWin1252(text); }
void CopyHostText(char* destination, std::size_t capacity, std::string_view text) {
  CopyCut(destination, capacity, Win1252ToUtf8(text));
}
#endif

void CopyCut(char* destination, std::size_t capacity, std::string_view text) {
  if (!destination || capacity == 0) return;
  std::size_t length = 0;
  while (length < text.size()) {
    // A sequence counts with the continuation bytes it really has, so an
    // incomplete one at the end is no longer than the text.
    const std::size_t full = SequenceLength(static_cast<unsigned char>(text[length]));
    std::size_t step = 1;
    while (step < full && length + step < text.size() &&
           (static_cast<unsigned char>(text[length + step]) & 0xC0) == 0x80)
      ++step;
    if (length + step > capacity - 1) break;
    length += step;
  }
  text.copy(destination, length);
  destination[length] = '\0';
}

} // namespace qvt
