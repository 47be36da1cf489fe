#include "platform/core/uText.h"

#include "lib/uCodePage.h"

namespace qvt {

std::u32string Win1252ToCodePoints(std::string_view text) {
  const std::string utf8 = Win1252ToUtf8(text);
  std::u32string result;
  result.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t code = extra == 0   ? lead
                    : extra == 1 ? lead & 0x1F
                    : extra == 2 ? lead & 0x0F
                                 : lead & 0x07;
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    result.push_back(code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return result;
}

} // namespace qvt
