// A long offline render with everything a session throws at the instrument:
// random notes, random automation of every parameter every block, program
// selections and bank edits, pattern operations, sample-rate changes and
// switching off and on. It checks that every sample is finite and bounded and
// samples the resident memory as it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qvt::soak {

struct TSoakOptions {
  double AudioSeconds = 3600.0;     // audio to render, summed over the sample rates used
  std::uint64_t Seed = 1;           // the run's choices; the plug-in seeds its own generator
  double MemoryEverySeconds = 60.0; // audio seconds between two memory samples
  // Largest magnitude a sample may reach. Resonances (the pipe at full feedback
  // alone rings at over 300 times its input) stay far below it; a feedback loop
  // that runs away climbs to the engine's ceiling of 10^6 and crosses it.
  float SampleBound = 1.0e5f;
  // Share of automation values outside 0…1, infinite or not a number, as a
  // careless host sends them; with these only finiteness is promised.
  double OddValueChance = 0.0;
};

struct TMemorySample {
  double AudioSeconds;
  std::size_t ResidentBytes;
};

struct TSoakResult {
  double AudioSeconds = 0.0;
  double WallSeconds = 0.0;
  std::uint64_t Blocks = 0;
  std::uint64_t Frames = 0;
  std::uint64_t Notes = 0;
  std::uint64_t ProgramOperations = 0;
  std::uint64_t PatternOperations = 0;
  std::uint64_t SampleRateChanges = 0;
  float Peak = 0.0f;             // largest sample magnitude met
  std::uint64_t NonFinite = 0;   // samples that were infinite or not a number
  std::uint64_t OutOfBounds = 0; // finite samples beyond the bound
  std::vector<TMemorySample> Memory;
  std::string FirstFault; // where the first bad sample appeared; empty when none

  // Resident memory growth between the warmed-up first half and the second half:
  // the largest sample of the second half minus the largest of the first.
  long long MemoryGrowthBytes() const;
  bool Clean() const { return NonFinite == 0 && OutOfBounds == 0; }
};

// Resident memory of this process from /proc/self/statm; 0 when unknown.
std::size_t ResidentBytes();

// Runs the soak; `progress` (optional) hears of each memory sample as it is taken.
TSoakResult RunSoak(const TSoakOptions& options,
                    const std::function<void(const TSoakResult&)>& progress = {});

} // namespace qvt::soak
