// qvt_soak: renders a long session offline (an hour of audio by default) and
// reports whether every sample stayed finite and bounded and whether resident
// memory grew. Exit code 0 when clean, 1 when not, 2 for a usage error.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "tests/IsolatedUserFolders.h"
#include "tools/soak/SoakRun.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

template <class T> bool ParseNumber(const char* text, T& value) {
  const std::string_view view(text);
  const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
  return result.ec == std::errc() && result.ptr == view.data() + view.size();
}

void Usage() {
  std::fprintf(stderr,
               "usage: qvt_soak [--seconds AUDIO_SECONDS] [--seed N] [--memory-every SECONDS]\n"
               "                [--bound PEAK] [--max-growth-mib MIB] [--odd-values SHARE]\n");
}

} // namespace

int main(int argc, char** argv) {
  qvt::soak::TSoakOptions options;
  double maxGrowthMiB = 8.0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = value != nullptr;
    if (ok && name == "--seconds")
      ok = ParseNumber(value, options.AudioSeconds);
    else if (ok && name == "--seed")
      ok = ParseNumber(value, options.Seed);
    else if (ok && name == "--memory-every")
      ok = ParseNumber(value, options.MemoryEverySeconds);
    else if (ok && name == "--bound")
      ok = ParseNumber(value, options.SampleBound);
    else if (ok && name == "--max-growth-mib")
      ok = ParseNumber(value, maxGrowthMiB);
    else if (ok && name == "--odd-values")
      ok = ParseNumber(value, options.OddValueChance);
    else
      ok = false;
    if (!ok || options.MemoryEverySeconds <= 0.0) {
      Usage();
      return 2;
    }
    ++i;
  }

  std::printf("audio s   resident MiB\n");
  const qvt::soak::TSoakResult result =
      qvt::soak::RunSoak(options, [](const qvt::soak::TSoakResult& now) {
        const auto& sample = now.Memory.back();
        std::printf("%8.0f   %8.1f\n", sample.AudioSeconds, sample.ResidentBytes / kMiB);
        std::fflush(stdout);
      });

  const double growthMiB = result.MemoryGrowthBytes() / kMiB;
  std::printf("\naudio rendered      %.1f s (%llu frames in %llu blocks)\n", result.AudioSeconds,
              static_cast<unsigned long long>(result.Frames),
              static_cast<unsigned long long>(result.Blocks));
  std::printf("wall time           %.1f s (%.1f x real time)\n", result.WallSeconds,
              result.AudioSeconds / result.WallSeconds);
  std::printf("notes               %llu\n", static_cast<unsigned long long>(result.Notes));
  std::printf("program operations  %llu\n",
              static_cast<unsigned long long>(result.ProgramOperations));
  std::printf("pattern operations  %llu\n",
              static_cast<unsigned long long>(result.PatternOperations));
  std::printf("sample-rate changes %llu\n",
              static_cast<unsigned long long>(result.SampleRateChanges));
  std::printf("peak sample         %.3f (bound %.1f)\n", result.Peak, options.SampleBound);
  std::printf("non-finite samples  %llu\n", static_cast<unsigned long long>(result.NonFinite));
  std::printf("out-of-bound samples %llu\n", static_cast<unsigned long long>(result.OutOfBounds));
  std::printf("memory growth       %.2f MiB (allowed %.1f)\n", growthMiB, maxGrowthMiB);
  if (!result.FirstFault.empty())
    std::printf("first fault         %s\n", result.FirstFault.c_str());
  const bool clean = result.Clean() && growthMiB <= maxGrowthMiB;
  std::printf("%s\n", clean ? "CLEAN" : "FAILED");
  return clean ? 0 : 1;
}
