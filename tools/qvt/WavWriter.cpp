#include "tools/qvt/WavWriter.h"

#include <sndfile.h>
#include <stdexcept>

namespace qvt {

bool WavSamplesFromBits(int bits, TWavSamples& samples) {
  switch (bits) {
  case 16: samples = TWavSamples::Int16; return true;
  case 24: samples = TWavSamples::Int24; return true;
  case 32: samples = TWavSamples::Float32; return true;
  default: return false;
  }
}

const char* WavSamplesName(TWavSamples samples) {
  switch (samples) {
  case TWavSamples::Int16: return "16-bit";
  case TWavSamples::Int24: return "24-bit";
  case TWavSamples::Float32: break;
  }
  return "32-bit float";
}

TWavWriter::TWavWriter(const std::string& path, int sampleRate, int channels, TWavSamples samples)
    : Path(path) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | (samples == TWavSamples::Int16   ? SF_FORMAT_PCM_16
                                 : samples == TWavSamples::Int24 ? SF_FORMAT_PCM_24
                                                                 : SF_FORMAT_FLOAT);
  File = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!File) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
  sf_command(File, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

TWavWriter::~TWavWriter() {
  if (File) sf_close(File);
}

void TWavWriter::Write(const float* interleaved, long frames) {
  if (!File) throw std::runtime_error(Path + " is already closed");
  if (sf_writef_float(File, interleaved, frames) != frames)
    throw std::runtime_error("cannot write " + Path + ": " + sf_strerror(File));
}

void TWavWriter::Close() {
  if (!File) return;
  const int result = sf_close(File);
  File = nullptr;
  if (result != 0)
    throw std::runtime_error("cannot finish " + Path + ": " + sf_error_number(result));
}

} // namespace qvt
