// The factory bank built into the library: its programs, how they sound, the first at start.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "core/uBankText.h"
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
    EXPECT_EQ(program.Name[22], '\0');
    EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
    for (int index = 0; index < 72; ++index) {
      const float value = program.Values[index];
      EXPECT_TRUE(value >= 0.0f && value <= 1.0f)
          << name << " parameter " << index << " = " << value;
    }
  }
  EXPECT_EQ(plugin.GetBankFilePath(), PathOf("mine.qvt")); // the factory bank is not a file
}

namespace {

using namespace engine_test;

// Plays C2, E3, G4 and C5 (a quarter second each, gaps between) and then
// listens for ten seconds more.
class FactorySound : public Engine {
protected:
  struct TResult {
    double Peak = 0;
    bool Finite = true;
    double TailPeak = 0; // the last second of the ten after the final note-off
  };
  TResult Play(int program) {
    Synth.SelectProgram(program);
    TResult result;
    auto listen = [&](int frames, bool tail) {
      const TStereo out = Render(frames);
      for (int i = 0; i < frames; ++i)
        for (float s : {out.Left[i], out.Right[i]}) {
          if (!std::isfinite(s)) result.Finite = false;
          result.Peak = std::max(result.Peak, static_cast<double>(std::fabs(s)));
          if (tail && i >= frames - 44100)
            result.TailPeak = std::max(result.TailPeak, static_cast<double>(std::fabs(s)));
        }
    };
    for (int note : {36, 52, 67, 72}) {
      NoteOn(note);
      listen(11025, false);
      NoteOff(note);
      listen(4410, false);
    }
    listen(441000, true);
    return result;
  }
};

} // namespace

TEST_F(FactorySound, EveryProgramPlaysAPhraseCleanlyAtAModerateLevelAndFallsSilent) {
  for (int program = 0; program < Synth.BankCount(); ++program) {
    const std::string name = RecordName(Synth.BankProgram(program));
    const TResult result = Play(program);
    const double peakDb = 20.0 * std::log10(std::max(result.Peak, 1e-12));
    if (std::getenv("QVT_SHOW_LEVELS")) // for sound design: the peak of every program
      std::printf("%3d %-22s %6.1f dBFS\n", program, name.c_str(), peakDb);
    EXPECT_TRUE(result.Finite) << name;
    EXPECT_GE(peakDb, -24.0) << name;
    EXPECT_LE(peakDb, -1.0) << name;
    EXPECT_LT(result.TailPeak, 1e-4) << name << " still sounds ten seconds after its last note";
    Synth.suspend();
  }
}

TEST(Construction, PlaysTheFirstFactoryProgramWithNothingSelectedAndHasAnEditor) {
  // The record's identity is the ABI suite's.
  TSynth synth(nullptr);
  ASSERT_GE(synth.BankCount(), 32);
  EXPECT_EQ(synth.EditBufferRecord(), synth.BankProgram(0));
  EXPECT_NE(RecordName(synth.BankProgram(0)), RecordName(qvt::DefaultProgram()));
  EXPECT_EQ(synth.SelectedIndex(), -1);
  EXPECT_EQ(synth.getProgram(), 0);
  ASSERT_NE(synth.getEditor(), nullptr);
  for (int step = 0; step < 16; ++step) EXPECT_EQ(synth.StepRatio(step), 1.0f) << step;
}
