// A note through the binary interface: pitch, release and the two render calls.
#include <cmath>
#include <vector>

#include "tests/abi/AbiFixture.h"

TEST_F(PluginSound, ANoteSoundsAtItsPitchAndFallsSilentAfterItsRelease) {
  Note(0x90, 57, 100); // A3, 220 Hz
  const std::vector<float> held = Render(48000);
  EXPECT_NEAR(ZeroCrossingFrequency(held, 4800, 48000.0), 220.0, 0.05);
  Note(0x80, 57, 0);
  // The release takes 240 ms.
  const std::vector<float> released = Render(48000);
  float tail = 0.0f;
  for (std::size_t i = 24000; i < released.size(); ++i)
    tail = std::max(tail, std::fabs(released[i]));
  EXPECT_LT(tail, 1e-6f);
}

TEST_F(PluginSound, ProcessAddsToTheBuffersWhileProcessReplacingOverwritesThem) {
  Note(0x90, 69, 100);
  std::vector<float> left(256, 0.25f), right(256, 0.25f);
  float* outputs[2] = {left.data(), right.data()};
  Fx->process(Fx, nullptr, outputs, 256);
  int changed = 0;
  for (float s : left) changed += s != 0.25f;
  EXPECT_GT(changed, 200);
  std::vector<float> second(256, 0.25f), secondRight(256, 0.25f);
  float* replaced[2] = {second.data(), secondRight.data()};
  Fx->processReplacing(Fx, nullptr, replaced, 256);
  float offset = 0.0f;
  for (float s : second) offset += s;
  EXPECT_LT(std::fabs(offset / 256.0f), 0.2f) << "no trace of the 0.25 that was there";
}
