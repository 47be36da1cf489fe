// The engine as a musician hears it: pitch, envelope, voice rules and the pattern clock.
#include "tests/core/EngineFixture.h"

using namespace engine_test;

TEST_F(Engine, NotesBelowTheTableUseItsLowestEntryAndRootNoteA4PlaysEveryNoteAt220Hz) {
  NoteOn(10);
  Render(16);
  EXPECT_NEAR(Synth.NoteFrequency(), 16.3516, 1e-4);
  NoteOff(10);
  Synth.setParameter(piRootA4, 1.0f);
  NoteOn(90);
  Render(16);
  EXPECT_DOUBLE_EQ(Synth.NoteFrequency(), 220.0);
}

TEST_F(Engine, PatternStepsFireEveryStepLengthAfterTheNoteStarts) {
  NoteOn(60);
  Render(1);
  EXPECT_EQ(Synth.SamplesPerBeat(), 22050);
  EXPECT_EQ(Synth.SamplesPerStep(), 5512);
  EXPECT_EQ(Synth.StepCounter(), 1) << "step 0 fires at the first sample";
  Render(5511);
  EXPECT_EQ(Synth.StepCounter(), 1);
  Render(1); // sample 5512
  EXPECT_EQ(Synth.StepCounter(), 2);
}

TEST_F(Engine, SpeedZeroMakesEachStepTwoBeatsLong) {
  Synth.setParameter(piPatternSpeed, 0.0f);
  gTempo = 90.0;
  NoteOn(60);
  Render(1);
  EXPECT_EQ(Synth.SamplesPerBeat(), 29400);
  EXPECT_EQ(Synth.SamplesPerStep(), 58800);
}

TEST_F(Engine, AttackAndReleaseTakeTheirSetTimes) {
  // 11999·v + 1 ms: v = 0.1 gives 1200.9 ms; the level is within 1/10000 of its goal by then.
  Synth.setParameter(piAttackTime, 0.1f);
  Synth.setParameter(piReleaseTime, 0.05f); // 600.95 ms
  NoteOn(60);
  const int attackSamples = static_cast<int>(1200.9 * 44.1);
  Render(attackSamples - 441);
  EXPECT_LT(Synth.EnvelopeLevel(), 0.9999);
  Render(441 * 2);
  EXPECT_GT(Synth.EnvelopeLevel(), 0.9998);
  // Sustain begins once 1 − remainder rounds to 1 in double precision.
  Render(44100 * 5);
  EXPECT_EQ(Synth.EnvelopeState(), TSynth::esSustain);

  NoteOff(60);
  const int releaseSamples = static_cast<int>(600.95 * 44.1);
  Render(releaseSamples - 441);
  EXPECT_TRUE(Synth.VoiceActive());
  Render(441 * 2);
  EXPECT_FALSE(Synth.VoiceActive());
}

TEST_F(Engine, NoteOffForAKeyNeverPressedLeavesNoNegativeCount) {
  NoteOff(61);
  NoteOn(60);
  NoteOn(64);
  NoteOff(60);
  Render(8);
  EXPECT_EQ(Synth.EnvelopeState(), TSynth::esAttack) << "a key is still held";
}

TEST_F(Engine, Controller126ReleasesEvenWithKeysHeld) {
  NoteOn(60);
  NoteOn(62);
  Render(64);
  Send(0xB3, 126, 0);
  Render(1);
  EXPECT_EQ(Synth.HeldKeys(), 0);
  EXPECT_EQ(Synth.EnvelopeState(), TSynth::esRelease);
}

TEST_F(Engine, LegatoRetunesWithoutRestartingThePattern) {
  NoteOn(60);
  Render(6000);
  ASSERT_EQ(Synth.StepCounter(), 2);
  NoteOn(67); // second key while the first is held
  Render(20000);
  EXPECT_EQ(Synth.StepCounter(), 0) << "no further step fires until the voice restarts";
  EXPECT_NEAR(Synth.NoteFrequency(), 391.995, 1e-3);
}

TEST_F(Engine, WithoutLoopANewNoteInTheReleaseStartsFromTheCurrentLevelKeepingPhases) {
  Synth.setParameter(piReleaseTime, 0.2f);
  NoteOn(60);
  Render(44100);
  NoteOff(60);
  Render(4410);
  const double level = Synth.EnvelopeLevel();
  const double phase = Synth.Modules().Generator.Osc[2].Phase;
  ASSERT_GT(level, 0.1);
  NoteOn(60);
  Render(1);
  EXPECT_EQ(Synth.EnvelopeState(), TSynth::esAttack);
  EXPECT_GT(Synth.EnvelopeLevel(), level - 1e-3) << "the attack starts where the release was";
  EXPECT_GT(Synth.Modules().Generator.Osc[2].Phase, phase) << "phases are not reset";
}

TEST_F(Engine, WithLoopEveryNoteResetsThePhases) {
  Synth.setParameter(piLoop, 1.0f);
  NoteOn(60);
  Render(4410);
  NoteOn(64);
  Render(1);
  EXPECT_LT(Synth.Modules().Generator.Osc[2].Phase, 0.2);
}

// Rates that are no rates: HostMisuse.SampleRatesThatAreNoRatesAreIgnored.
TEST_F(Engine, TheSameSampleRateAgainDoesNotRebuildTheModules) {
  const TSynthModules* before = &Synth.Modules();
  Synth.setSampleRate(44100.0f);
  Render(16);
  EXPECT_EQ(&Synth.Modules(), before);
}

TEST_F(Engine, RebuiltModulesKeepTheCurrentSound) {
  Synth.setParameter(piFilterLowpassType, 0.02f); // Butterworth low-pass
  Synth.setParameter(piFilterLowpassCutoff, 0.3f);
  Synth.setSampleRate(48000.0f);
  NoteOn(69);
  const std::vector<float> left = Render(48000).Left;
  EXPECT_NEAR(qvt::test::MeasureFrequency({left.begin() + 4800, left.end()}, 48000.0), 440.0, 0.05);
  EXPECT_EQ(Synth.Modules().Generator.Algorithm, 2);
}

TEST_F(Engine, SelectingNoProgramMakesLaterReleasesEndAtOnce) {
  Synth.AddProgram(Synth.EditBufferRecord());
  Synth.SelectProgram(1);
  NoteOn(60);
  Render(4410);
  Synth.SelectProgram(-1);
  Render(2);
  EXPECT_EQ(Synth.ReleaseCoefficient(), -0.0068);
  EXPECT_FALSE(Synth.VoiceActive()) << "the release ends at the next sample";
  NoteOn(62);
  Render(4410);
  NoteOff(62);
  Render(2);
  EXPECT_FALSE(Synth.VoiceActive());
  // A rebuild gives the new modules every stored value again, the release time
  // included: from then on releases take their set time at the new rate.
  Synth.setSampleRate(48000.0f);
  Render(2);
  const double seconds = 0.001 * (11999.0 * Synth.getParameter(piReleaseTime) + 1.0);
  EXPECT_NEAR(Synth.ReleaseCoefficient(), 1.0 + std::log(0.0001) / (seconds * 48000.0), 1e-12);
}

TEST_F(Engine, ASuspendDiscardsTheEventsReceivedBeforeIt) {
  NoteOn(69);
  Synth.suspend();
  Synth.resume();
  EXPECT_LT(Peak(Render(512).Left), 1e-6);
  NoteOn(69); // events after the suspend play
  EXPECT_GT(Peak(Render(512).Left), 0.1);
}

TEST_F(Engine, ProgramChangesApplyKillVoiceBeforeTheNewValues) {
  // The new program's release time must not be overwritten by the kill's −0.0068.
  TProgramRecord slow = Synth.EditBufferRecord();
  slow.Values[piReleaseTime] = 0.5f;
  Synth.AddProgram(slow);
  NoteOn(60);
  Render(64);
  Synth.SelectProgram(Synth.BankCount() - 1);
  Render(64);
  EXPECT_NEAR(Synth.ReleaseCoefficient(), 1.0 + std::log(0.0001) / (0.001 * 6000.5 * 44100.0),
              1e-12);
}

TEST_F(Engine, ProcessAddsWhileProcessReplacingReplaces) {
  NoteOn(69);
  std::vector<float> left(256, 0.5f), right(256, 0.5f);
  float* outputs[2] = {left.data(), right.data()};
  TSynth twin(Host);
  PlayNeutralProgram(twin);
  SendMidi(twin, 0x90, 69, 100);
  AEffect* record = twin.getAeffect(); // through the host's entry, as a host calls it
  record->process(record, nullptr, outputs, 256);
  const TStereo replaced = Render(256);
  for (int i = 0; i < 256; ++i) ASSERT_FLOAT_EQ(left[i], 0.5f + replaced.Left[i]) << "sample " << i;
}
