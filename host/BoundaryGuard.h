// The guard around every call a host makes into the plug-in: nothing thrown
// inside ever reaches the host. What is caught is counted and the first failure
// kept, on any thread and without allocating (the audio thread calls in too);
// it is written to the log once, later, from a thread where that is safe.
#pragma once

#include <atomic>
#include <cstdio>
#include <exception>

namespace qvt {

class TBoundaryFailures {
public:
  // Any thread. `where` must be a string with static lifetime.
  void Note(const char* where, const char* what) noexcept;
  unsigned Count() const noexcept { return FCount.load(std::memory_order_relaxed); }
  // Writes one line about the first failure and the count so far, once per
  // instance; later calls write nothing. Not on the audio thread.
  void ReportOnce(std::FILE* log) noexcept;

private:
  std::atomic<unsigned> FCount{0};
  std::atomic<int> FFirst{0}; // 0 none, 1 being kept, 2 kept
  std::atomic<bool> FReported{false};
  const char* FWhere = "";
  char FWhat[160] = {};
};

// Runs `call`; when it throws, notes the failure and answers `fallback`.
template <typename R, typename Call>
R Guarded(TBoundaryFailures& failures, const char* where, R fallback, Call&& call) noexcept {
  try {
    return call();
  } catch (const std::exception& e) {
    failures.Note(where, e.what());
  } catch (...) {
    failures.Note(where, nullptr);
  }
  return fallback;
}

// The same for calls that answer nothing.
template <typename Call>
void Guarded(TBoundaryFailures& failures, const char* where, Call&& call) noexcept {
  Guarded(failures, where, 0, [&] {
    call();
    return 0;
  });
}

} // namespace qvt
