// Whatever values arrive, the engine keeps rendering finite audio (random
// automation over a long session is the soak test's).
#include <limits>

#include "tests/core/EngineFixture.h"

using namespace engine_test;

TEST_F(Engine, ExtremeParameterValuesNeverProduceNonFiniteSamples) {
  const float extremes[] = {0.0f,
                            1.0f,
                            -1.0f,
                            2.0f,
                            1e30f,
                            -1e30f,
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::quiet_NaN()};
  for (float extreme : extremes) {
    for (int index = 0; index < 81; ++index) {
      SCOPED_TRACE("index " + std::to_string(index) + " value " + std::to_string(extreme));
      TSynth synth(Host);
      synth.setParameter(piPipe, 1.0f);
      synth.setParameter(piFlanger, 1.0f);
      synth.setParameter(piReverb, 1.0f);
      synth.setParameter(index, extreme);
      SendMidi(synth, 0x90, 60, 100);
      std::vector<float> left(2048), right(2048);
      float* outputs[2] = {left.data(), right.data()};
      bool finite = true;
      for (int block = 0; block < 4 && finite; ++block) {
        synth.processReplacing(nullptr, outputs, 2048);
        for (int i = 0; i < 2048; ++i)
          finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
      }
      EXPECT_TRUE(finite);
    }
  }
}
