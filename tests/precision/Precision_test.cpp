// The normal build (double-precision intermediates) against the reference build
// (80-bit intermediates), sample by sample and block by block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "tests/IsolatedUserFolders.h"
#include "tests/precision/PrecisionPhrase.h"

namespace {

constexpr double kTolerance = 1.0e-5; // largest absolute difference, full scale 1

struct TComparison {
  double LargestDifference = 0;
  std::int64_t NotANumber = 0;
  std::int64_t StateMismatches = 0;
  bool ReferenceComplete = true;
};

TComparison Compare(int which) {
  TComparison result;
  const std::string command = std::string(QVT_PRECISION_REFERENCE) + " " + std::to_string(which) +
                              " " + std::to_string(QVT_PRECISION_SECONDS);
  FILE* reference = ::popen(command.c_str(), "r");
  if (!reference) return {.ReferenceComplete = false};
  TSynth synth(precision::Host);
  precision::Prepare(synth, which);
  float theirs[2][precision::kBlock];
  std::int32_t theirState[precision::kStateWords];
  precision::RenderPhrase(synth, QVT_PRECISION_SECONDS,
                          [&](const float* left, const float* right, const std::int32_t* state) {
                            result.ReferenceComplete =
                                result.ReferenceComplete &&
                                std::fread(theirs, sizeof theirs, 1, reference) == 1 &&
                                std::fread(theirState, sizeof theirState, 1, reference) == 1;
                            if (!result.ReferenceComplete) return;
                            const float* ours[2] = {left, right};
                            for (int c = 0; c < 2; ++c)
                              for (int n = 0; n < precision::kBlock; ++n) {
                                const double a = ours[c][n], b = theirs[c][n];
                                if (std::isnan(a) || std::isnan(b))
                                  ++result.NotANumber;
                                else
                                  result.LargestDifference =
                                      std::max(result.LargestDifference, std::fabs(a - b));
                              }
                            for (int k = 0; k < precision::kStateWords; ++k)
                              if (state[k] != theirState[k]) ++result.StateMismatches;
                          });
  char extra;
  if (std::fread(&extra, 1, 1, reference) != 0) result.ReferenceComplete = false;
  if (::pclose(reference) != 0) result.ReferenceComplete = false;
  return result;
}

TEST(Precision, EveryFactoryProgramAndTheHeaviestSettingsMatchTheExtendedReference) {
  TSynth probe(precision::Host);
  const int cases = precision::CaseCount(probe);
  double largest = 0;
  for (int which = 0; which < cases; ++which) {
    if (which % QVT_PRECISION_EVERY != 0 && which + 1 < cases) continue;
    const TComparison result = Compare(which);
    const std::string name = which + 1 < cases ? "program " + std::to_string(which) : "heaviest";
    ASSERT_TRUE(result.ReferenceComplete) << name;
    EXPECT_LE(result.LargestDifference, kTolerance) << name;
    EXPECT_EQ(result.NotANumber, 0) << name;
    EXPECT_EQ(result.StateMismatches, 0) << name;
    largest = std::max(largest, result.LargestDifference);
  }
  // Identical renders would mean the reference is not computing in 80 bits.
  EXPECT_GT(largest, 0.0);
  std::printf("largest difference over %d cases of %d s: %.3g (%.1f dBFS)\n", cases,
              QVT_PRECISION_SECONDS, largest, 20 * std::log10(std::max(largest, 1e-30)));
}

} // namespace
