// Small helpers shared by the delay lines of the effects.
#pragma once

#include <bit>
#include <cstdint>

namespace qvt {

// Zero and denormal values (all-zero exponent) become +0, so that decaying
// feedback lines never fall into slow denormal arithmetic.
// Written as a mask rather than a branch so that loops over lines vectorise.
inline float FlushDenormal(float x) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(x);
  const std::uint32_t keep = (bits & 0x7F800000u) == 0 ? 0u : ~0u;
  return std::bit_cast<float>(bits & keep);
}

} // namespace qvt
