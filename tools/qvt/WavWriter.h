// Writes WAV files through libsndfile: 32-bit float, or 16- or 24-bit integer samples.
#pragma once

#include <string>

struct sf_private_tag;

namespace qvt {

enum class TWavSamples { Float32, Int16, Int24 };

// Answers false for bit depths other than 16, 24 and 32.
bool WavSamplesFromBits(int bits, TWavSamples& samples);
const char* WavSamplesName(TWavSamples samples);

class TWavWriter {
public:
  // Creates (or replaces) the file; throws std::runtime_error with libsndfile's reason.
  TWavWriter(const std::string& path, int sampleRate, int channels, TWavSamples samples);
  ~TWavWriter();
  TWavWriter(const TWavWriter&) = delete;
  TWavWriter& operator=(const TWavWriter&) = delete;

  // Appends interleaved frames; integer formats clip at full scale instead of wrapping.
  void Write(const float* interleaved, long frames);
  // Finishes the file (the destructor does it too, silently).
  void Close();

private:
  std::string Path;
  sf_private_tag* File = nullptr;
};

} // namespace qvt
