#include "host/BoundaryGuard.h"

#include <cstring>

#include "lib/uGlobals.h"

namespace qvt {

void TBoundaryFailures::Note(const char* where, const char* what) noexcept {
  FCount.fetch_add(1, std::memory_order_relaxed);
  int none = 0;
  if (!FFirst.compare_exchange_strong(none, 1, std::memory_order_acquire)) return;
  FWhere = where;
  const char* text = what ? what : "an exception that is not a std::exception";
  std::strncpy(FWhat, text, sizeof FWhat - 1);
  FFirst.store(2, std::memory_order_release);
}

void TBoundaryFailures::ReportOnce(std::FILE* log) noexcept {
  if (!log || FFirst.load(std::memory_order_acquire) != 2) return;
  if (FReported.exchange(true, std::memory_order_relaxed)) return;
  std::fprintf(log, "%s: %u failure(s) caught where the host calls the plug-in; the first, in %s: %s\n",
               kEffectName, Count(), FWhere, FWhat);
  std::fflush(log);
}

} // namespace qvt
