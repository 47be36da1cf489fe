// The LV2 bundle as hosts and tools see it: its description (lilv's lv2ls and lv2info,
// sord_validate against the LV2 schemas), its render compared with the VST 2 library's, its state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "core/uParamTable.h"
#include "core/uParameters.h"
#include "lib/uGlobals.h"
#include "tests/IsolatedUserFolders.h"
#include "tests/lv2/Lv2TestHost.h"
#include "tools/qvt/PluginHost.h"
#include "tools/qvt/RenderSong.h"

namespace fs = std::filesystem;
using qvt::test::TLv2Instance;
using qvt::test::TLv2Library;
using qvt::test::TSavedState;

namespace {

const std::string kUri = "https://quivertone.org/lv2/quivertone";
constexpr double kRate = 44100.0;

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      text.append(buffer, got);
    ::pclose(pipe);
  }
  return text;
}

// A folder holding nothing but the bundle, for LV2_PATH.
fs::path LonelyBundleFolder() {
  const fs::path folder = qvt::test::gIsolatedUserFolders.Root / "lv2";
  fs::create_directories(folder);
  std::error_code ignored;
  fs::create_directory_symlink(QVT_LV2_BUNDLE, folder / "Quivertone.lv2", ignored);
  return folder;
}

// The lines of port `index` in lv2info's output; empty when there is no such port.
std::string PortBlock(const std::string& info, int index) {
  const std::string header = "\tPort " + std::to_string(index) + ":\n";
  const std::size_t begin = info.find(header);
  if (begin == std::string::npos) return {};
  const std::size_t end = info.find("\tPort ", begin + header.size());
  return info.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// A field of a port block ("Name", "Default" ...).
std::string Field(const std::string& block, const std::string& key) {
  std::smatch match;
  const std::regex field("\t\t" + key + ":\\s*(.*)");
  return std::regex_search(block, match, field) ? match[1].str() : std::string();
}

// A port block's scale points, label → value.
std::map<std::string, double> ScalePoints(const std::string& block) {
  std::map<std::string, double> points;
  const std::regex point(R"re(\t\t\t(-?[\d.]+) = "(.*)")re");
  for (std::sregex_iterator i(block.begin(), block.end(), point), end; i != end; ++i)
    points[(*i)[2]] = std::stod((*i)[1]);
  return points;
}

// The parameters of the start-up program as the VST 2 library reports them.
std::vector<float> StartupValues() {
  const auto vst = qvt::LoadPluginForRender(QVT_PLUGIN_PATH);
  std::vector<float> values(qvt::kNumParams, 0.0f);
  for (int i = 0; i < qvt::kNumParams; ++i)
    values[i] = vst->Effect()->getParameter(vst->Effect(), i);
  return values;
}

} // namespace

TEST(Lv2Description, LilvListsThePluginWithItsPortsNamesRangesAndChoices) {
  const fs::path folder = LonelyBundleFolder();
  const std::string env = "LV2_PATH='" + folder.string() + "' ";
  EXPECT_EQ(Output(env + "lv2ls"), kUri + "\n");
  const std::string info = Output(env + "lv2info " + kUri);
  EXPECT_NE(info.find("Name:              Quivertone"), std::string::npos) << info.substr(0, 600);
  EXPECT_NE(info.find(kUri + "#ui"), std::string::npos) << "the X11 UI is listed";

  EXPECT_NE(PortBlock(info, 83), "");
  EXPECT_EQ(PortBlock(info, 84), "") << "81 controls, the events and two outputs";

  // One port of each kind: a continuous control, a switch, two kinds of choice.
  const std::string cutoff = PortBlock(info, piFilterLowpassCutoff);
  EXPECT_NE(cutoff.find("#ControlPort"), std::string::npos) << cutoff;
  EXPECT_NE(cutoff.find("#InputPort"), std::string::npos);
  EXPECT_EQ(cutoff.find("#toggled"), std::string::npos);
  EXPECT_EQ(Field(cutoff, "Name"), qvt::ParameterName(piFilterLowpassCutoff));
  EXPECT_EQ(Field(cutoff, "Minimum"), "0.000000");
  EXPECT_EQ(Field(cutoff, "Maximum"), "1.000000");
  EXPECT_NEAR(std::stod(Field(cutoff, "Default")), StartupValues()[piFilterLowpassCutoff], 1e-6)
      << "the start-up program's value";
  const std::string reverb = PortBlock(info, piReverb);
  EXPECT_NE(Field(reverb, "Properties").find("#toggled"), std::string::npos) << reverb;
  EXPECT_EQ(ScalePoints(reverb), (std::map<std::string, double>{{"off", 0.0}, {"on", 1.0}}));
  const std::string waveform = PortBlock(info, piOsc2Waveform);
  EXPECT_NE(Field(waveform, "Properties").find("#enumeration"), std::string::npos) << waveform;
  const std::map<std::string, double> waveforms{
      {"Sine", 0.0}, {"Triangle", 0.1}, {"Sawtooth", 0.2}, {"Inv Saw", 0.3}};
  const std::map<std::string, double> filters{
      {"Filter Off", 0.0}, {"Biquad", 0.01}, {"Butterworth", 0.02}, {"Chebyshev", 0.03}};
  EXPECT_EQ(ScalePoints(waveform), waveforms);
  EXPECT_EQ(ScalePoints(PortBlock(info, piFilterHighpassType)), filters);

  EXPECT_NE(PortBlock(info, 81).find("atom#AtomPort"), std::string::npos);
  EXPECT_NE(PortBlock(info, 81).find("#InputPort"), std::string::npos);
  EXPECT_NE(PortBlock(info, 82).find("#AudioPort"), std::string::npos);
  EXPECT_NE(PortBlock(info, 82).find("#OutputPort"), std::string::npos);
}

// sord_validate reports the schemas' own faults too: the description must add none.
TEST(Lv2Description, ValidatesAgainstTheLv2Schemas) {
  std::string schemas;
  for (const auto& bundle : fs::directory_iterator("/usr/lib/lv2")) {
    bool hasBinary = false;
    std::string files;
    for (const auto& file : fs::directory_iterator(bundle.path())) {
      hasBinary |= file.path().extension() == ".so";
      if (file.path().extension() == ".ttl") files += " '" + file.path().string() + "'";
    }
    if (!hasBinary) schemas += files;
  }
  ASSERT_NE(schemas.find("lv2core.ttl"), std::string::npos) << "lv2-dev is installed";
  const std::regex errors(R"(Found (\d+) errors)");
  std::smatch match;
  const std::string alone = Output("sord_validate" + schemas);
  const std::string bundle = std::string(QVT_LV2_BUNDLE);
  const std::string with = Output("sord_validate" + schemas + " '" + bundle + "/manifest.ttl' '" +
                                  bundle + "/quivertone.ttl'");
  const auto count = [&](const std::string& text) {
    return std::regex_search(text, match, errors) ? std::stoi(match[1]) : 0;
  };
  EXPECT_EQ(with.find("error: Failed"), std::string::npos) << with;
  EXPECT_EQ(count(with), count(alone)) << with;
  EXPECT_NE(with.find("checked"), std::string::npos) << with;
}

namespace {

// A phrase with notes that start and end inside blocks, two on one frame, a
// legato change, and a note just before a tempo change at frame 25600 (the
// pattern follows the tempo the engine reads at each note-on).
const std::vector<qvt::TScheduledEvent> kPhrase = {
    {0, {0x90, 57, 100}},     {11062, {0x80, 57, 0}},   {11062, {0x90, 60, 90}},
    {22350, {0x90, 64, 110}}, {22351, {0x80, 60, 0}},   {25000, {0x80, 64, 0}},
    {25590, {0x90, 62, 100}}, {33330, {0x80, 62, 0}},   {33331, {0x90, 69, 80}},
    {48000, {0x80, 69, 0}},   {52000, {0x90, 45, 127}}, {60000, {0xB0, 126, 0}}};
constexpr int kTempoFrame = 25600;
constexpr float kLaterTempo = 93.0f;
constexpr int kFrames = 66048;
// The settings both renders use: the start-up program with other waveforms, the
// pattern on oscillator 1, the Butterworth low-pass and the flanger.
const std::map<int, float> kChanges = {{piOsc1Waveform, 0.2f},
                                       {piOsc2Waveform, 0.3f},
                                       {piOsc1Seq, 1.0f},
                                       {piFilterLowpassCutoff, 0.4f},
                                       {piFilterLowpassType, 0.02f},
                                       {piFlanger, 1.0f},
                                       {piStep1 + 1, 0.8f},
                                       {piStep1 + 3, 0.3f},
                                       {piStep1 + 4, 0.6f},
                                       {piLoop, 1.0f}};

std::vector<float> RenderVst(int block) {
  const auto vst = qvt::LoadPluginForRender(QVT_PLUGIN_PATH);
  AEffect* fx = vst->Effect();
  double tempo = 120.0;
  vst->TempoAt = [&](VstInt32) { return tempo; };
  vst->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  vst->Dispatch(effSetBlockSize, 0, block);
  vst->Dispatch(effMainsChanged, 0, 1);
  for (const auto& [index, value] : kChanges) fx->setParameter(fx, index, value);
  qvt::TBlockEvents events(qvt::BusiestBlock(kPhrase, block));
  std::size_t next = 0;
  std::vector<float> out, left(block), right(block);
  for (int start = 0; start < kFrames; start += block) {
    if (start == kTempoFrame) tempo = kLaterTempo;
    next = events.Fill(kPhrase, next, start, block);
    vst->Dispatch(effProcessEvents, 0, 0, events.List());
    float* outputs[2] = {left.data(), right.data()};
    fx->processReplacing(fx, nullptr, outputs, block);
    for (int i = 0; i < block; ++i) out.insert(out.end(), {left[i], right[i]});
  }
  return out;
}

void SetControls(TLv2Instance& lv2, const std::vector<float>& startup, bool withChanges) {
  for (int i = 0; i < qvt::kNumParams; ++i) lv2.Controls[i] = startup[i];
  if (withChanges)
    for (const auto& [index, value] : kChanges) lv2.Controls[index] = value;
}

// Renders the phrase in blocks of `block` frames.
std::vector<float> RenderLv2(TLv2Instance& lv2, int block) {
  std::vector<float> out;
  for (int start = 0; start < kFrames; start += block) {
    const int frames = std::min(block, kFrames - start);
    // In time order; the tempo goes before the notes of its own frame.
    bool tempoDue = kTempoFrame >= start && kTempoFrame < start + frames;
    for (const qvt::TScheduledEvent& e : kPhrase) {
      if (e.Frame < start || e.Frame >= start + frames) continue;
      if (tempoDue && e.Frame >= kTempoFrame) {
        lv2.TempoChange(static_cast<std::uint32_t>(kTempoFrame - start), kLaterTempo);
        tempoDue = false;
      }
      lv2.Midi(static_cast<std::uint32_t>(e.Frame - start), e.Bytes[0], e.Bytes[1], e.Bytes[2]);
    }
    if (tempoDue) lv2.TempoChange(static_cast<std::uint32_t>(kTempoFrame - start), kLaterTempo);
    lv2.Run(static_cast<std::uint32_t>(frames));
    for (int i = 0; i < frames; ++i) out.insert(out.end(), {lv2.Left[i], lv2.Right[i]});
  }
  return out;
}

std::size_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(mismatch.first - a.begin());
}

class Lv2Render : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    Library = TLv2Library::Open(QVT_LV2_BINARY, error);
    ASSERT_TRUE(Library) << error;
    Startup = StartupValues();
  }
  std::unique_ptr<TLv2Library> Library;
  std::vector<float> Startup;
};

} // namespace

// The tempo change falls on a block boundary for the VST render; the LV2
// renders in blocks of 100 and 333 meet it inside a block and cut the block there.
TEST_F(Lv2Render, EqualsTheVst2RenderSampleForSample) {
  const std::vector<float> vst = RenderVst(256);
  ASSERT_EQ(vst.size(), 2u * kFrames);
  float peak = 0.0f;
  for (float sample : vst) peak = std::max(peak, std::fabs(sample));
  EXPECT_GT(peak, 0.01f) << "the phrase is heard";
  for (int block : {256, 100, 333}) {
    TLv2Instance lv2(*Library, kRate, 512);
    ASSERT_TRUE(lv2);
    SetControls(lv2, Startup, true);
    const std::vector<float> render = RenderLv2(lv2, block);
    EXPECT_EQ(FirstDifference(render, vst), vst.size()) << "blocks of " << block;
  }
}

TEST_F(Lv2Render, StateCarriesTheEditBufferAndTheBankFile) {
  TLv2Instance original(*Library, kRate, 512);
  ASSERT_TRUE(original);
  SetControls(original, Startup, true);
  // Saved before any block has taken the ports: the state holds their values all the same.
  const TSavedState saved = original.Save();
  const std::string base = "https://quivertone.org/lv2/quivertone#";
  EXPECT_EQ(saved.ProgramValues(),
            std::vector<float>(original.Controls, original.Controls + qvt::kNumStoredParams));
  EXPECT_FALSE(saved.Properties.count(base + "bankFile")) << "the factory bank has no file";

  // Restored into an instance whose ports keep the start-up program, the
  // state alone makes it sound as one whose ports have the settings.
  TLv2Instance restored(*Library, kRate, 512);
  SetControls(restored, Startup, false);
  TSavedState renamed = saved;
  const std::string newName = "Restored \xC2\xAB"
                              "name\xC2\xBB"; // UTF-8 in the state
  renamed.Properties[base + "programName"].Bytes.assign(newName.begin(), newName.end() + 1);
  const std::string bank = QVT_FACTORY_BANK_FILE;
  renamed.Properties[base + "bankFile"] = {"http://lv2plug.in/ns/ext/atom#Path",
                                           {bank.begin(), bank.end() + 1}};
  ASSERT_EQ(restored.Restore(renamed), LV2_STATE_SUCCESS);
  TLv2Instance set(*Library, kRate, 512);
  SetControls(set, Startup, true);
  const std::vector<float> expected = RenderLv2(set, 256);
  EXPECT_EQ(FirstDifference(RenderLv2(restored, 256), expected), expected.size());
  const TSavedState again = restored.Save();
  EXPECT_EQ(again.Properties.at(base + "programName").Bytes,
            renamed.Properties.at(base + "programName").Bytes);
  EXPECT_EQ(again.Properties.at(base + "bankFile").Bytes,
            renamed.Properties.at(base + "bankFile").Bytes);

  // A state without the program's values is refused and changes nothing.
  TSavedState broken = saved;
  broken.Properties[base + "programValues"].Bytes.resize(20);
  EXPECT_NE(restored.Restore(broken), LV2_STATE_SUCCESS);
  EXPECT_EQ(restored.Save().ProgramValues(), saved.ProgramValues());
}
