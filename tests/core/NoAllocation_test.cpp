// The audio path allocates nothing: every heap allocation made on this thread
// while counting is on is counted.
#include "tests/core/EngineFixture.h"
#include "tests/AllocationCounter.h"

using namespace engine_test;

TEST_F(Engine, RenderingAndTakingEventsAllocateNothing) {
  // Warm up with every effect on.
  for (int index : {piPipe, piPipeSeq, piFlanger, piReverb, piOsc1Seq, piOsc2Seq, piOsc3Seq}) Synth.setParameter(index, 1.0f);
  NoteOn(60);
  Render(2048);
  Synth.setSampleRate(48000.0f); // built here, adopted inside the counted block below

  tCounting = true;
  tAllocations = 0;
  for (int round = 0; round < 40; ++round) {
    NoteOn(48 + round % 24, round * 7 % 512);
    Synth.setParameter(piFilterLowpassType,
                       (round % 4) * 0.01f); // filter kinds switch while rendering
    Synth.setParameter(piFilterHighpassType, ((round + 1) % 4) * 0.01f);
    Synth.setParameter(piFilterLowpassCutoff, (round % 10) * 0.1f);
    Synth.setParameter(piFlangerTime, (round % 5) * 0.2f);
    Synth.setParameter(piPipeRatio, (round % 7) * 0.05f);
    float left[512], right[512];
    float* outputs[2] = {left, right};
    Synth.processReplacing(nullptr, outputs, 512);
    Synth.process(nullptr, outputs, 512);
    if (round % 3 == 0) NoteOff(48 + round % 24);
  }
  tCounting = false;
  EXPECT_EQ(tAllocations, 0);
  EXPECT_EQ(Synth.Modules().SampleRate, 48000.0f);
}
