// A short phrase through the binary interface, Linux library against Windows DLL: one run
// writes $QVT_PHRASE_OUT, the other compares with $QVT_PHRASE_REFERENCE (docs/windows.md).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lib/uFileIo.h"
#include "tests/abi/AbiFixture.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 256;
constexpr float kTolerance = 1.0e-5f; // largest difference of one sample, -100 dB full scale

struct TPhraseNote {
  int Block; // the block whose first frame starts (velocity > 0) or ends it
  int Key;
  int Velocity;
};

// Four notes of an A minor arpeggio, each a quarter second, then the tail.
const TPhraseNote kPhrase[] = {{0, 57, 100},  {43, 57, 0},  {43, 60, 90},  {86, 60, 0},
                               {86, 64, 110}, {129, 64, 0}, {129, 69, 80}, {172, 69, 0}};
constexpr int kBlocks = 260; // about 1.5 s

// Interleaved left and right samples of the whole phrase.
std::vector<float> RenderPhrase(qvt::THostedPlugin& plugin) {
  AEffect* fx = plugin.Effect();
  plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  plugin.Dispatch(effSetBlockSize, 0, kBlock);
  plugin.Dispatch(effMainsChanged, 0, 1);
  std::vector<float> out;
  std::vector<float> left(kBlock), right(kBlock);
  for (int block = 0; block < kBlocks; ++block) {
    for (const TPhraseNote& note : kPhrase)
      if (note.Block == block)
        SendMidi(plugin, note.Velocity ? 0x90 : 0x80, note.Key, note.Velocity);
    float* outputs[2] = {left.data(), right.data()};
    fx->processReplacing(fx, nullptr, outputs, kBlock);
    for (int i = 0; i < kBlock; ++i) {
      out.push_back(left[i]);
      out.push_back(right[i]);
    }
  }
  return out;
}

std::vector<float> ReadSamples(const char* path) {
  const std::vector<std::uint8_t> bytes = qvt::ReadWholeFile(path);
  std::vector<float> samples(bytes.size() / sizeof(float));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

} // namespace

TEST(PhraseRender, SoundsAndMatchesTheOtherTargetsRender) {
  std::string error;
  auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
  ASSERT_TRUE(plugin) << error;
  plugin->RecordRequests = false;
  const std::vector<float> render = RenderPhrase(*plugin);

  float peak = 0.0f;
  for (float sample : render) {
    ASSERT_TRUE(std::isfinite(sample));
    peak = std::max(peak, std::fabs(sample));
  }
  EXPECT_GT(peak, 0.01f) << "the phrase is heard";

  if (const char* out = std::getenv("QVT_PHRASE_OUT"); out && *out)
    qvt::WriteFileAtomically(
        out, {reinterpret_cast<const std::uint8_t*>(render.data()), render.size() * sizeof(float)});

  const char* reference = std::getenv("QVT_PHRASE_REFERENCE");
  if (!reference || !*reference) GTEST_SKIP() << "no reference render ($QVT_PHRASE_REFERENCE)";
  const std::vector<float> expected = ReadSamples(reference);
  ASSERT_EQ(expected.size(), render.size()) << reference;
  double largest = 0.0, squares = 0.0;
  std::size_t worst = 0;
  for (std::size_t i = 0; i < render.size(); ++i) {
    const double difference = std::fabs(double(render[i]) - double(expected[i]));
    squares += difference * difference;
    if (difference > largest) {
      largest = difference;
      worst = i;
    }
  }
  const double rms = std::sqrt(squares / static_cast<double>(render.size()));
  std::printf("phrase: peak %.6f, largest difference %.3g at frame %zu, rms difference %.3g\n",
              peak, largest, worst / 2, rms);
  EXPECT_LE(largest, kTolerance);
}
