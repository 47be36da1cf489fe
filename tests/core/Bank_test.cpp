// Bank operations of the plug-in object: inserts, limits, selection and the keep-voice rule.
#include <climits>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/uPlugin.h"
#include "tests/core/BankFileFixture.h"

using bank_test::Program;

namespace {

std::vector<std::pair<VstInt32, float>>* gAutomations = nullptr;

VstIntPtr VSTCALLBACK RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                    float opt) {
  if (opcode == audioMasterAutomate && gAutomations) gAutomations->push_back({index, opt});
  return opcode == audioMasterVersion ? 2400 : 0;
}

class TProbePlugin : public TPlugin {
public:
  TProbePlugin() : TPlugin(RecordingHost) { ClearBank(); }
  void KillVoice() override { ++KilledVoices; }
  int KilledVoices = 0;
};

std::vector<std::string> Names(const TPlugin& plugin) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.BankCount(); ++i) names.push_back(RecordName(plugin.BankProgram(i)));
  return names;
}

class BankOperations : public ::testing::Test {
protected:
  void SetUp() override {
    gAutomations = &Automations;
    for (const char* name : {"A", "B", "C"}) Plugin.AddProgram(Program(name, 0.1f));
  }
  void TearDown() override { gAutomations = nullptr; }

  std::vector<std::pair<VstInt32, float>> Automations;
  TProbePlugin Plugin;
};

} // namespace

// With nothing selected the copy goes first: EditorCommands.AddingPresetsNeedsANameAndInserts….
TEST_F(BankOperations, InsertedCopyGoesBehindTheSelection) {
  Plugin.SelectProgram(1); // "B"
  Plugin.setProgramName("Copy");
  Plugin.InsertProgramCopy();
  EXPECT_EQ(Names(Plugin), (std::vector<std::string>{"A", "B", "Copy", "C"}));
  EXPECT_EQ(Plugin.SelectedIndex(), 1);
}

TEST_F(BankOperations, InsertBeyondTheEndAppends) {
  Plugin.SelectProgram(2);
  Plugin.DeleteProgram(2);
  Plugin.DeleteProgram(1);
  Plugin.setProgramName("Tail");
  Plugin.InsertProgramCopy();
  EXPECT_EQ(Names(Plugin), (std::vector<std::string>{"A", "Tail"}));
  Plugin.SelectProgram(INT_MAX);
  Plugin.setProgramName("Last");
  Plugin.InsertProgramCopy();
  EXPECT_EQ(Names(Plugin), (std::vector<std::string>{"A", "Tail", "Last"}));
}

TEST_F(BankOperations, TheBankRefusesProgramsBeyond65535) {
  while (Plugin.BankCount() < 65535) Plugin.AddProgram(Program("X", 0.0f));
  Plugin.AddProgram(Program("Y", 0.0f));
  Plugin.InsertProgramCopy();
  EXPECT_EQ(Plugin.BankCount(), 65535);
  EXPECT_FALSE(Plugin.KeepVoice()) << "a refused insert does not set the keep-voice flag";
}

TEST_F(BankOperations, SelectingAnotherProgramReleasesTheVoiceAndPushesAllValues) {
  TProgramRecord loud = Program("Loud", 0.75f);
  Plugin.AddProgram(loud);
  Automations.clear();
  Plugin.SelectProgram(3);
  EXPECT_EQ(Plugin.KilledVoices, 1);
  ASSERT_EQ(Automations.size(), 72u);
  for (int i = 0; i < 72; ++i) {
    EXPECT_EQ(Automations[i].first, i);
    EXPECT_EQ(Automations[i].second, float(loud.Values[i])) << i;
  }
  EXPECT_EQ(Plugin.EditBufferRecord(), loud);
}

TEST_F(BankOperations, SelectingTheSameProgramReloadsWithoutReleasingTheVoice) {
  Plugin.SelectProgram(1);
  Plugin.setParameter(piOsc2Offset, 0.9f);
  Automations.clear();
  Plugin.SelectProgram(1);
  EXPECT_EQ(Plugin.KilledVoices, 1);
  EXPECT_EQ(Plugin.EditBufferRecord(), Plugin.BankProgram(1));
}

TEST_F(BankOperations, AfterInsertingACopyTheNextSelectionKeepsTheVoice) {
  Plugin.InsertProgramCopy();
  EXPECT_TRUE(Plugin.KeepVoice());
  Plugin.SelectProgram(2);
  EXPECT_EQ(Plugin.KilledVoices, 0);
  EXPECT_FALSE(Plugin.KeepVoice());
  Plugin.SelectProgram(3);
  EXPECT_EQ(Plugin.KilledVoices, 1);
}

TEST_F(BankOperations, SelectingNothingReleasesTheVoiceButLoadsNothing) {
  Plugin.SelectProgram(0);
  Automations.clear();
  Plugin.SelectProgram(-1);
  EXPECT_EQ(Plugin.KilledVoices, 2);
  EXPECT_TRUE(Automations.empty());
}

TEST_F(BankOperations, StoreOverwritesOnlyAValidSelection) {
  Plugin.setProgramName("Changed");
  Plugin.StoreProgram();
  EXPECT_EQ(Names(Plugin), (std::vector<std::string>{"A", "B", "C"}));
  Plugin.SelectProgram(1);
  Plugin.setParameter(piOsc1Ratio, 0.5f);
  Plugin.StoreProgram();
  const float stored = Plugin.BankProgram(1).Values[piOsc1Ratio]; // copied out of the packed record
  EXPECT_EQ(stored, 0.5f);
}

TEST_F(BankOperations, FindEditBufferSelectsTheFirstByteEqualEntry) {
  Plugin.AddProgram(Program("B", 0.1f)); // a second "B" at index 3
  Plugin.SelectProgram(3);
  Plugin.SelectProgram(0);
  Plugin.setProgramName("B"); // the editor is closed: no search
  Plugin.EditorClosed = true;
  Plugin.FindEditBufferInBank();
  EXPECT_EQ(Plugin.SelectedIndex(), 1);
  Plugin.setParameter(piGenerationScheme, 0.9f);
  Plugin.FindEditBufferInBank();
  EXPECT_EQ(Plugin.SelectedIndex(), 1) << "no match leaves the selection";
}

TEST_F(BankOperations, RenamingWithTheEditorOpenFindsTheProgramInTheBank) {
  Plugin.SelectProgram(2);
  Plugin.setProgramName("A");
  EXPECT_EQ(Plugin.SelectedIndex(), 0);
}

TEST_F(BankOperations, LoadFirstProgramKeepsTheSelection) {
  Plugin.SelectProgram(2);
  Plugin.setParameter(piOsc1Level, 0.9f);
  Plugin.LoadFirstProgram();
  EXPECT_EQ(Plugin.EditBufferRecord(), Plugin.BankProgram(0));
  EXPECT_EQ(Plugin.SelectedIndex(), 2);
}

TEST_F(BankOperations, ClearBankEmptiesItAndLoadFirstProgramThenDoesNothing) {
  Plugin.ClearBank();
  EXPECT_EQ(Plugin.BankCount(), 0);
  Plugin.setParameter(piOsc1Level, 0.4f);
  Plugin.LoadFirstProgram();
  EXPECT_EQ(Plugin.getParameter(piOsc1Level), 0.4f);
}

TEST(Randomise, EachParameterGroupDrawsFromItsOwnRange) {
  TProbePlugin plugin;
  // One of k · step for a whole k from 0 to top.
  const auto oneOf = [&plugin](int index, double step, int top) {
    const float v = plugin.getParameter(index);
    const long k = std::lround(v / step);
    return k >= 0 && k <= top && v == static_cast<float>(step * k);
  };
  const auto below = [&plugin](int index, float top) {
    const float v = plugin.getParameter(index);
    return v >= 0.0f && v < top;
  };
  for (int round = 0; round < 400; ++round) {
    for (int index = 0; index < 72; ++index) plugin.RandomiseParameter(index);
    for (int index : {7, 8, 9, 35}) EXPECT_TRUE(below(index, 0.3f)) << index;
    for (int index : {10, 11, 12}) EXPECT_TRUE(oneOf(index, 0.1, 3)) << index;
    for (int index : {26, 27}) EXPECT_TRUE(oneOf(index, 0.01, 3)) << index;
    EXPECT_TRUE(oneOf(piPatternSpeed, 0.01, 7));
    for (int index : {0, 1, 22, 40, 53, 69, 71}) EXPECT_TRUE(below(index, 1.0f)) << index;
  }
  plugin.RandomiseParameter(piRandomWaveform); // editor-only: nothing stored, nothing fails
  EXPECT_EQ(plugin.getParameter(piRandomWaveform), 0.0f);
}

TEST(Randomise, RatiosClusterAroundTheMiddleOfTheirRange) {
  TProbePlugin plugin;
  double sum = 0.0;
  int low = 0;
  const int draws = 20000;
  for (int i = 0; i < draws; ++i) {
    plugin.RandomiseParameter(piOsc1Ratio);
    sum += plugin.getParameter(piOsc1Ratio);
    if (plugin.getParameter(piOsc1Ratio) < 0.03f) ++low;
  }
  EXPECT_NEAR(sum / draws, 0.15, 0.005);
  // The mean of three uniforms rarely falls in the lowest tenth (P = 1/6000 · 1000 / 6 ≈ 0.0045).
  EXPECT_LT(low, draws / 50);
}
