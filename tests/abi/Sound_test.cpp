// A note through the binary interface: its pitch and its release.
#include <cmath>
#include <vector>

#include "tests/abi/AbiFixture.h"

TEST_F(PluginSound, ANoteSoundsAtItsPitchAndFallsSilentAfterItsRelease) {
  Note(0x90, 57, 100); // A3, 220 Hz
  const std::vector<float> held = Render(48000);
  EXPECT_NEAR(PitchFrom(held, 4800, 48000.0), 220.0, 0.05);
  Note(0x80, 57, 0);
  // The release takes 240 ms.
  const std::vector<float> released = Render(48000);
  float tail = 0.0f;
  for (std::size_t i = 24000; i < released.size(); ++i)
    tail = std::max(tail, std::fabs(released[i]));
  EXPECT_LT(tail, 1e-6f);
}
