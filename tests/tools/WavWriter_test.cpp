// WAV files written through libsndfile and read back with it.
#include <gtest/gtest.h>

#include <cstdio>
#include <sndfile.h>
#include <vector>

#include "tools/qvt/WavWriter.h"

namespace qvt {
namespace {

struct TReadBack {
  SF_INFO Info{};
  std::vector<float> Samples;
};

TReadBack ReadWav(const std::string& path) {
  TReadBack result;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &result.Info);
  EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
  if (!file) return result;
  result.Samples.resize(static_cast<std::size_t>(result.Info.frames * result.Info.channels));
  EXPECT_EQ(sf_readf_float(file, result.Samples.data(), result.Info.frames), result.Info.frames);
  sf_close(file);
  return result;
}

// Float keeps values beyond full scale; integers are quantised and clip there.
TEST(WavFile, SamplesComeBackAtTheirDepth) {
  // Interleaved stereo: a ramp on the left, its negation on the right, then two overloads.
  std::vector<float> frames;
  for (int i = 0; i < 100; ++i) {
    frames.push_back(i / 128.0f);
    frames.push_back(-i / 128.0f);
  }
  frames.insert(frames.end(), {1.5f, -1.5f});
  const std::string path = ::testing::TempDir() + "qvt_wav_test.wav";
  for (const auto& [samples, format, step] :
       {std::tuple{TWavSamples::Float32, SF_FORMAT_FLOAT, 0.0},
        std::tuple{TWavSamples::Int16, SF_FORMAT_PCM_16, 1.0 / 32768},
        std::tuple{TWavSamples::Int24, SF_FORMAT_PCM_24, 1.0 / 8388608}}) {
    SCOPED_TRACE(format);
    {
      TWavWriter writer(path, 48000, 2, samples);
      writer.Write(frames.data(), 60);
      writer.Write(frames.data() + 120, 41);
      if (samples == TWavSamples::Float32) writer.Close(); // the others: by the destructor
    }
    const TReadBack wav = ReadWav(path);
    EXPECT_EQ(wav.Info.format, SF_FORMAT_WAV | format);
    ASSERT_EQ(wav.Samples.size(), 202u);
    for (std::size_t i = 0; i < 200; ++i) EXPECT_NEAR(wav.Samples[i], frames[i], step) << i;
    const double overload = step == 0.0 ? 1.5 : 1.0; // clipped, not wrapped round to negative
    EXPECT_NEAR(wav.Samples[200], overload, 2 * step);
    EXPECT_NEAR(wav.Samples[201], -overload, 2 * step);
  }
  std::remove(path.c_str());
}

TEST(WavWriterErrors, AnUnwritablePathNamesTheFile) {
  try {
    TWavWriter writer("/nonexistent/folder/out.wav", 44100, 2, TWavSamples::Float32);
    FAIL() << "opened an impossible path";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("cannot write /nonexistent/folder/out.wav"),
              std::string::npos);
  }
}

} // namespace
} // namespace qvt
