// The 256-byte key that skin images are stored with: byte i of a stored image
// is the PNG's byte i exclusive-or key[i mod 256]. The resource packer
// scrambles with it and LoadSkinBitmap unscrambles; the same operation does both.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qvt {

constexpr std::array<std::uint8_t, 256> MakeSkinKey() {
  std::array<std::uint8_t, 256> key{};
  std::uint32_t state = 0x51564B31u; // any fixed seed; only packer and loader must agree
  for (auto& byte : key) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return key;
}

inline constexpr std::array<std::uint8_t, 256> kSkinKey = MakeSkinKey();

inline void ScrambleSkinBytes(std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) data[i] ^= kSkinKey[i % 256];
}

} // namespace qvt
