// One thread renders while others automate every parameter, switch filter kinds
// and sample rates and run program and pattern operations. Run under ThreadSanitizer and
// AddressSanitizer, this shows the engine's sharing is free of data races.
#include <atomic>
#include <random>
#include <thread>

#include "tests/core/EngineFixture.h"

using namespace engine_test;

TEST_F(Engine, RenderingStaysCleanWhileOtherThreadsChangeEverything) {
  for (int i = 0; i < 4; ++i) Synth.AddProgram(Synth.EditBufferRecord());
  std::atomic<bool> stop{false};
  std::atomic<bool> allFinite{true};

  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    for (int block = 0; !stop.load(); ++block) {
      SendMidi(Synth, block % 3 ? 0x90 : 0x80, static_cast<std::uint8_t>(40 + block % 40), 90,
               block % 256);
      Synth.processReplacing(nullptr, outputs, 256);
      for (int i = 0; i < 256; ++i)
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) allFinite = false;
    }
  });

  std::thread automation([&] {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    while (!stop.load()) {
      for (int index = 0; index < 81; ++index) Synth.setParameter(index, unit(random));
      for (int index = 0; index < 81; index += 9) (void)Synth.getParameterDisplay(index);
    }
  });

  std::mt19937 random(2);
  for (int round = 0; round < 300; ++round) {
    Synth.setParameter(piFilterLowpassType, (round % 4) * 0.01f);
    Synth.setParameter(piFilterHighpassType, (round % 3) * 0.01f);
    if (round % 50 == 0) Synth.setSampleRate(round % 100 ? 48000.0f : 44100.0f);
    Synth.SelectProgram(round % 4);
    if (round % 10 == 0) Synth.InsertProgramCopy();
    if (round % 10 == 5) Synth.StoreProgram();
    Synth.RandomiseSteps(round % 2 == 0);
    Synth.ShuffleSteps();
    Synth.RotateStepsLeft();
    Synth.TransposeSteps(1.0);
    if (round % 5 == 0) Synth.CopyPattern();
    if (round % 5 == 2) Synth.PastePattern();
    Synth.CommitSteps();
    Synth.KillVoice();
    Synth.suspend();
    Synth.resume();
    std::this_thread::yield();
  }
  stop = true;
  audio.join();
  automation.join();
  EXPECT_TRUE(allFinite.load());
  Render(8);
  EXPECT_EQ(Synth.Modules().SampleRate, Synth.getSampleRate());
}

// Once a render thread and a thread switching the rate both stop, the engine runs on modules
// of the host's rate with the current settings, not a stale set nor one of construction defaults.
TEST_F(Engine, TheModulesFollowEveryRateChangeMadeOnAnotherThreadAndKeepTheSettings) {
  Synth.setParameter(piFlanger, 1.0f);         // flanger on
  Synth.setParameter(piFlangerLevel, 0.3f);    // flanger mix
  Synth.setParameter(piReverbDryLevel, 0.25f); // reverb dry
  for (int trial = 0; trial < 25; ++trial) {
    std::atomic<bool> stop{false};
    std::thread audio([&] {
      float left[8], right[8];
      float* outputs[2] = {left, right};
      while (!stop.load()) Synth.processReplacing(nullptr, outputs, 8);
    });
    for (int change = 0; change < 40; ++change) {
      Synth.setSampleRate(change % 2 ? 44100.0f : 48000.0f);
      std::this_thread::yield();
    }
    stop = true;
    audio.join();
    Render(8);
    const TSynthModules& modules = Synth.Modules();
    ASSERT_EQ(modules.SampleRate, 44100.0f) << "trial " << trial;
    ASSERT_EQ(modules.Chorus.Enable, 1.0f) << "trial " << trial;
    ASSERT_EQ(modules.Chorus.Mix, 0.3f) << "trial " << trial;
    ASSERT_EQ(modules.Reverb.Dry, 0.25f) << "trial " << trial;
  }
}
