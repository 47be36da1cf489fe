#include "tests/abi/ProcessMemory.h"

#if defined(_WIN32)
#include <windows.h>

#include <psapi.h>
#else
#include <unistd.h>

#include <cstdio>
#endif

namespace qvt::test {

#if defined(_WIN32)

std::size_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}

#else

std::size_t ResidentBytes() {
  std::FILE* file = std::fopen("/proc/self/statm", "r");
  unsigned long long size = 0, resident = 0;
  if (file) {
    if (std::fscanf(file, "%llu %llu", &size, &resident) != 2) resident = 0;
    std::fclose(file);
  }
  return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

#endif

} // namespace qvt::test
