// Parameter settings and the rest of the render command line.
#include <gtest/gtest.h>

#include "core/uParamTable.h"
#include "tools/qvt/RenderArguments.h"
#include "tools/qvt/RenderSettings.h"

namespace qvt {
namespace {

std::string ErrorOf(auto&& call) {
  try {
    call();
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "(accepted)";
}

const std::vector<std::string> kNames = {"Generation Scheme", "Osc1 Level",  "Osc1 XY-pad",
                                         "Osc2 XY-pad",       "Osc1 XY-pad", "Pipe Filter",
                                         "Osc1 XY-pad"};

TEST(ParameterSetting, ReadsAValueThatTravelsAsGiven) {
  for (const auto& [text, value] :
       {std::pair{"26=0.03", 0.03f}, {"3=-0.25", -0.25f}, {"3=1.7", 1.7f}, {"3=1e-3", 0.001f}})
    EXPECT_FLOAT_EQ(ParseSetting(text).Value, value) << text;
}

// An index, a name among the plug-in's parameters, or the Nth of equal names.
TEST(ParameterSetting, ResolvesIndicesNamesAndNumberedNames) {
  const std::pair<const char*, int> cases[] = {
      {"5=1", 5}, {"Pipe Filter=1", 5}, {"Osc2 XY-pad=0.5", 3}, {"Osc1 XY-pad#3=0.5", 6}};
  for (const auto& [text, index] : cases)
    EXPECT_EQ(ResolveSetting(ParseSetting(text), kNames), index) << text;
}

TEST(ParameterSetting, RefusesAmbiguousAndUnknownNamesAndIndices) {
  const std::pair<const char*, const char*> cases[] = {
      {"Osc1 XY-pad=0.5", "parameter name \"Osc1 XY-pad\" is ambiguous (indices 2, 4, 6): use "
                          "its index or Osc1 XY-pad#N, N from 1 to 3"},
      {"7=1", "parameter index 7 is out of range (the plug-in has 7 parameters)"},
      {"pipe filter=1", "the plug-in has no parameter named \"pipe filter\""}};
  for (const auto& [text, message] : cases)
    EXPECT_EQ(ErrorOf([&] { ResolveSetting(ParseSetting(text), kNames); }), message) << text;
}

TEST(ParameterSetting, RefusesMalformedSettings) {
  const std::pair<const char*, const char*> cases[] = {
      {"26", "has no '='"},
      {"26=0,5", "'0,5' is not a finite number"}, // decimal point only, whatever the locale
      {"26=nan", "not a finite number"},
      {"99999999999=1", "out of range"}};
  for (const auto& [text, problem] : cases)
    EXPECT_NE(ErrorOf([&] { ParseSetting(text); }).find(problem), std::string::npos) << text;
}

class ParameterApplication : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    Host = THostedPlugin::Load(QVT_RECORDER_Replacing_PATH, error);
    ASSERT_TRUE(Host) << error;
  }
  float Get(VstInt32 index) { return Host->Effect()->getParameter(Host->Effect(), index); }
  std::unique_ptr<THostedPlugin> Host;
};

TEST_F(ParameterApplication, AppliesTheBankProgramThenTheSettingsInOrder) {
  TBankProgram program;
  for (std::size_t i = 0; i < program.Values.size(); ++i) program.Values[i] = i / 100.0f;
  ApplyParameters(*Host, &program,
                  {ParseSetting("80=0.25"), ParseSetting("Level#2=0.9"), ParseSetting("80=0.75")});
  EXPECT_FLOAT_EQ(Get(piOsc1Level), 0.9f); // the setting wins over the program
  EXPECT_FLOAT_EQ(Get(piOsc2Level), 0.02f);
  EXPECT_EQ(Get(piRandomAll), 0.0f);        // beyond the stored parameters: untouched
  EXPECT_FLOAT_EQ(Get(piOsc3XyPad), 0.75f); // the later of two settings
}

TEST_F(ParameterApplication, RefusesAnAmbiguousNameBeforeSettingAnything) {
  EXPECT_THROW(ApplyParameters(*Host, nullptr, {ParseSetting("80=1"), ParseSetting("Level=1")}),
               std::invalid_argument);
  for (VstInt32 index = 0; index < 81; ++index) EXPECT_EQ(Get(index), 0.0f);
}

// (Which file is the plug-in, the rate, tail, depth and picture: the QvtRender tests.)
TEST(RenderArguments, ReadsEveryOptionInBothSpellings) {
  const TRenderArguments parsed =
      ParseRenderArguments({"s.mid", "-o", "o.wav", "--rate", "48000", "--block=64", "--tail",
                            "0.5", "--bits", "24", "--set", "26=0.03", "--set=Flanger=1", "--bank",
                            "b.qvt", "--program", "3", "--plot", "p.png"});
  EXPECT_EQ(parsed.BlockSize, 64);
  EXPECT_EQ(parsed.Samples, TWavSamples::Int24);
  ASSERT_EQ(parsed.Settings.size(), 2u);
  EXPECT_EQ(parsed.Settings[0].Index, 26);
  EXPECT_EQ(parsed.Settings[1].Name, "Flanger");
  EXPECT_EQ(parsed.BankPath, "b.qvt");
  EXPECT_EQ(parsed.Program, 3);
}

TEST(RenderArguments, RefusesIncompleteOrOutOfRangeCommandLines) {
  using TArgs = std::vector<std::string>;
  const auto error = [](TArgs args) { return ErrorOf([&] { ParseRenderArguments(args); }); };
  EXPECT_EQ(error({"s.mid"}), "no output file given (-o OUT.wav)");
  EXPECT_EQ(error({"s.mid", "-o"}), "-o needs a value");
  EXPECT_EQ(error({"s.mid", "-o", "o.wav", "--bits", "8"}), "--bits must be 16, 24 or 32");
  EXPECT_EQ(error({"s.mid", "-o", "o.wav", "--rate", "44.1k"}),
            "--rate: '44.1k' is not a valid number");
  EXPECT_EQ(error({"s.mid", "-o", "o.wav", "--bank", "b.qvt"}), "--bank and --program go together");
  EXPECT_EQ(error({"s.mid", "-o", "o.wav", "--loud"}), "unknown option --loud");
}

} // namespace
} // namespace qvt
