// The system's texts are 8-bit Windows-1252; hosts and files on Linux speak UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvt {

std::string Win1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 form (and malformed bytes) become '?'.
std::string Utf8ToWin1252(std::string_view text);

// Host-facing text: UTF-8 on Linux, the 8-bit text itself on Windows.
std::string ToHostText(std::string_view text);
std::string FromHostText(std::string_view text);

// Copies UTF-8 (or 8-bit) text into a buffer of `capacity` bytes, zero
// included, cutting only on a character boundary. Does nothing for a null
// destination or zero capacity.
void CopyCut(char* destination, std::size_t capacity, std::string_view text);

// Hands 8-bit text to a host buffer of `capacity` bytes (zero included) in the host's encoding.
void CopyHostText(char* destination, std::size_t capacity, std::string_view text);

} // namespace qvt
