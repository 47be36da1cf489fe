// Renders one case of the precision phrase in the 80-bit build and writes each
// block's left and right samples and engine state to standard output, raw.
#include <cstdio>
#include <cstdlib>

#include "tests/IsolatedUserFolders.h"
#include "tests/precision/PrecisionPhrase.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qvt_precision_reference CASE SECONDS\n");
    return 2;
  }
  const int which = std::atoi(argv[1]);
  const int seconds = std::atoi(argv[2]);
  TSynth synth(precision::Host);
  if (which < 0 || which >= precision::CaseCount(synth) || seconds < 3) return 2;
  precision::Prepare(synth, which);
  bool written = true;
  const auto write = [&](const void* data, std::size_t size, std::size_t count) {
    written = written && std::fwrite(data, size, count, stdout) == count;
  };
  precision::RenderPhrase(synth, seconds,
                          [&](const float* left, const float* right, const std::int32_t* state) {
                            write(left, sizeof(float), precision::kBlock);
                            write(right, sizeof(float), precision::kBlock);
                            write(state, sizeof(std::int32_t), precision::kStateWords);
                          });
  return written && std::fflush(stdout) == 0 ? 0 : 1;
}
