// The factory bank built into the library: its programs, how they sound, the first at start.
#include <set>

#include "tests/core/BankFileFixture.h"
#include "tests/core/EngineFixture.h"

using namespace bank_test;

TEST_F(BankFiles, TheFactoryBankHoldsAtLeast32DistinctlyNamedPrograms) {
  TPlugin plugin(nullptr);
  Fill(plugin, {Program("Mine", 0.5f)});
  plugin.SaveBankFile(PathOf("mine.qvt"));
  plugin.LoadFactoryBank();
  ASSERT_GE(plugin.BankCount(), 32);
  std::set<std::string> names;
  for (int i = 0; i < plugin.BankCount(); ++i) {
    const TProgramRecord& program = plugin.BankProgram(i);
    const std::string name = RecordName(program);
    EXPECT_FALSE(name.empty()) << i;
    EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
    for (int index = 0; index < 72; ++index) {
      const float value = program.Values[index];
      EXPECT_TRUE(value >= 0.0f && value <= 1.0f)
          << name << " parameter " << index << " = " << value;
    }
  }
  EXPECT_EQ(plugin.GetBankFilePath(), PathOf("mine.qvt")); // the factory bank is not a file
}

using namespace engine_test;

// Every program plays C2, E3, G4 and C5 (a quarter second each, gaps between); ten seconds
// later it is silent. Peaks, loudness and finite samples over longer phrases: BankCheck.
TEST_F(Engine, EveryFactoryProgramIsHeardAndFallsSilentAfterAPhrase) {
  for (int program = 0; program < Synth.BankCount(); ++program) {
    SCOPED_TRACE(RecordName(Synth.BankProgram(program)));
    Synth.SelectProgram(program);
    double peak = 0.0;
    for (int note : {36, 52, 67, 72}) {
      NoteOn(note);
      peak = std::max(peak, Peak(Render(11025).Left));
      NoteOff(note);
      Render(4410);
    }
    EXPECT_GT(peak, 0.01);
    const TStereo tail = Render(441000);
    EXPECT_LT(std::max(Peak(tail.Left, 441000 - 44100), Peak(tail.Right, 441000 - 44100)), 1e-4);
    Synth.suspend();
  }
}

TEST(Construction, PlaysTheFirstFactoryProgramWithNothingSelectedAndHasAnEditor) {
  // The record's identity is the ABI suite's.
  TSynth synth(nullptr);
  EXPECT_EQ(synth.EditBufferRecord(), synth.BankProgram(0));
  EXPECT_EQ(synth.SelectedIndex(), -1);
  EXPECT_NE(synth.getEditor(), nullptr);
}
