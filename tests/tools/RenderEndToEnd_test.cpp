// The render tool end to end: the built instrument played through its binary interface, and the
// qvt program's answers on the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sndfile.h>

#include "tests/tools/SmfBytes.h"
#include "tools/qvt/RenderSong.h"

namespace qvt {
namespace {

using test::TBytes;

// A4 held from 0 to 1.5 s at 120 BPM (480 ticks per quarter).
TBytes HeldA4() {
  return test::Smf(
      0, 480,
      {test::Track(
          {{0x00, 0x90, 69, 100}, test::VarLen(1440), {0x80, 69, 0}, test::EndOfTrack()})});
}

// Samples [begin, end) through a Hann window.
std::vector<double> Windowed(const std::vector<float>& samples, std::size_t begin,
                             std::size_t end) {
  std::vector<double> windowed(end - begin);
  for (std::size_t n = 0; n < windowed.size(); ++n)
    windowed[n] =
        samples[begin + n] * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                                   static_cast<double>(windowed.size())));
  return windowed;
}

// Amplitude of the component at `hz` of a windowed signal (Goertzel).
double Amplitude(const std::vector<double>& windowed, double hz, double rate) {
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hz / rate);
  double s1 = 0.0, s2 = 0.0;
  for (const double x : windowed) {
    const double s0 = x + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return 4.0 * std::sqrt(std::max(s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0)) /
         static_cast<double>(windowed.size());
}

// The strongest frequency between low and high, scanned in `step` Hz; its amplitude too.
double StrongestHz(const std::vector<double>& windowed, double rate, double low, double high,
                   double step, double& amplitude) {
  double best = low;
  amplitude = -1.0;
  for (double hz = low; hz <= high; hz += step)
    if (const double a = Amplitude(windowed, hz, rate); a > amplitude) {
      best = hz;
      amplitude = a;
    }
  return best;
}

#ifdef QVT_PLUGIN_PATH
struct TStereo {
  std::vector<float> Left, Right;
};

// Renders the held A4 through the built instrument after the given parameter settings.
TStereo RenderHeldA4(std::initializer_list<std::pair<VstInt32, float>> settings) {
  TStereo out;
  std::string error;
  auto plugin = THostedPlugin::Load(QVT_PLUGIN_PATH, error);
  EXPECT_TRUE(plugin) << error;
  if (!plugin) return out;
  const TMidiSong song = TMidiSong::Parse(HeldA4());
  TRenderOptions options;
  options.TailSeconds = 0.5;
  TSongRenderer renderer(*plugin, song, options);
  renderer.Prepare();
  AEffect* fx = plugin->Effect();
  for (const auto& [index, value] : settings) fx->setParameter(fx, index, value);
  renderer.Render([&](const float* const* outputs, int, int frames) {
    out.Left.insert(out.Left.end(), outputs[0], outputs[0] + frames);
    out.Right.insert(out.Right.end(), outputs[1], outputs[1] + frames);
  });
  EXPECT_EQ(out.Left.size(),
            66151u + 22050u); // the note-off at 1.5 s gets its frame, then the tail
  return out;
}

bool AllFinite(const std::vector<float>& samples) {
  return std::all_of(samples.begin(), samples.end(), [](float x) { return std::isfinite(x); });
}

TEST(RenderQuivertone, TheStartUpProgramSoundsAHeldNoteAndStaysFinite) {
  const TStereo out = RenderHeldA4({});
  ASSERT_FALSE(out.Left.empty());
  EXPECT_TRUE(AllFinite(out.Left) && AllFinite(out.Right));
  float peak = 0.0f;
  for (std::size_t i = 22050; i < 66150; ++i) peak = std::max(peak, std::fabs(out.Left[i]));
  EXPECT_GT(peak, 0.01f) << "the held note is silent";
}

TEST(RenderQuivertone, APlainSineOnOperator3SoundsAHeldA4At440Hz) {
  // Algorithm 2 with both modulators at level 0 leaves operator 3's sine: ratio 1, offset 0 Hz,
  // no detune, no shaping or reduction, filters, pipe, flanger and reverb off.
  const TStereo out = RenderHeldA4({{0, 0.2f},
                                    {1, 0.0f},
                                    {2, 0.0f},
                                    {3, 1.0f},
                                    {6, 999.99f / 10999.98f},
                                    {9, 1.0f / 64.0f},
                                    {12, 0.0f},
                                    {15, 0.0f},
                                    {18, 0.0f},
                                    {21, 0.5f},
                                    {23, 0.5f},
                                    {26, 0.0f},
                                    {27, 0.0f},
                                    {30, 0.0f},
                                    {37, 0.0f},
                                    {45, 0.0f},
                                    {70, 0.0f}});
  ASSERT_FALSE(out.Left.empty());
  EXPECT_TRUE(AllFinite(out.Left) && AllFinite(out.Right));
  for (const auto* channel : {&out.Left, &out.Right}) {
    const std::vector<double> sustain = Windowed(*channel, 22050, 66150);
    double fundamental = 0.0, lower = 0.0, octave = 0.0;
    EXPECT_NEAR(StrongestHz(sustain, 44100.0, 430.0, 450.0, 0.05, fundamental), 440.0, 0.25);
    StrongestHz(sustain, 44100.0, 40.0, 400.0, 2.0, lower);
    StrongestHz(sustain, 44100.0, 860.0, 900.0, 1.0, octave);
    EXPECT_GT(fundamental, 0.05);
    EXPECT_LT(lower, 0.01 * fundamental);
    EXPECT_LT(octave, 0.01 * fundamental); // a sine: no harmonics
  }
}
#endif

std::string RunCommand(const std::string& command, int& status) {
  std::string output;
  if (std::FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) output += buffer;
    status = pclose(pipe);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return output;
}

class QvtRender : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = ::testing::TempDir() + "qvt_render_cli/";
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::string Write(const std::string& name, const TBytes& bytes) {
    std::ofstream(Dir + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return Dir + name;
  }
  std::string Dir;
};

TEST_F(QvtRender, AMalformedSongGetsOneLineNamingTheFileAndProblem) {
  TBytes truncated = HeldA4();
  truncated.resize(truncated.size() - 3);
  const std::string song = Write("cut.mid", truncated);
  int status = 0;
  const std::string output =
      RunCommand(std::string(QVT_TOOL_PATH) + " render " QVT_RECORDER_Replacing_PATH " " + song +
                     " -o " + Dir + "out.wav",
                 status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(output, "qvt render: " + song +
                        ": track 1 is truncated: its length 13 exceeds the 10 bytes left in the "
                        "file\n");
  EXPECT_FALSE(std::filesystem::exists(Dir + "out.wav"));
}

TEST_F(QvtRender, AMissingSongOrBadOptionFailsWithoutACrash) {
  int status = 0;
  const std::string missing = RunCommand(
      std::string(QVT_TOOL_PATH) + " render " + Dir + "none.mid -o " + Dir + "o.wav", status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(missing, "qvt render: " + Dir + "none.mid: No such file or directory\n");
  RunCommand(std::string(QVT_TOOL_PATH) + " render song.mid -o o.wav --bits 12", status);
  EXPECT_EQ(status, 2);
}

TEST_F(QvtRender, WritesTheWavAndPictureAndPrintsTheFigures) {
  const std::string song = Write("a4.mid", HeldA4());
  int status = 0;
  const std::string output = RunCommand(
      std::string(QVT_TOOL_PATH) + " render " QVT_RECORDER_Accumulating_PATH " " + song + " -o " +
          Dir + "out.wav --bits 16 --rate 48000 --tail 0.25 --set Level#2=0.5 --plot " + Dir +
          "out.png",
      status);
  EXPECT_EQ(status, 0) << output;
  SF_INFO info{};
  SNDFILE* wav = sf_open((Dir + "out.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(wav, nullptr) << output;
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(info.samplerate, 48000);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.frames, 72001 + 12000); // the song up to its note-off at 1.5 s, then the tail
  sf_close(wav);
  EXPECT_TRUE(std::filesystem::exists(Dir + "out.png"));
  // Two impulses of 1.0 (the recorder's note-on and note-off): full-scale peak.
  EXPECT_NE(output.find("peak         0.00 dBFS"), std::string::npos) << output;
  EXPECT_NE(output.find("duration     1.750 s (84001 frames"), std::string::npos) << output;
  EXPECT_NE(output.find("real time"), std::string::npos) << output;
}

TEST_F(QvtRender, ReportsAnAmbiguousParameterName) {
  const std::string song = Write("a4.mid", HeldA4());
  int status = 0;
  // The recorder's first four parameters are all called "Level".
  const std::string output =
      RunCommand(std::string(QVT_TOOL_PATH) + " render " QVT_RECORDER_Replacing_PATH " " + song +
                     " -o " + Dir + "o.wav --set Level=1",
                 status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("\"Level\" is ambiguous (indices 0, 1, 2, 3)"), std::string::npos)
      << output;
}

} // namespace
} // namespace qvt
