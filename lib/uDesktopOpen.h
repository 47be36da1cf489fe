// Hands a file or web address to the desktop's opener (xdg-open on Linux).
#pragma once

#include <string>

namespace qvt {

struct TDesktopOpenResult {
  bool Succeeded = false;
  std::string ErrorText; // the system's text for the failure, without a final full stop
};

// Runs the opener found on PATH with the target as its only argument, without
// a shell. Waits at most `patience` seconds for it: an opener still running
// then counts as success and is left to finish on its own (it is never reaped
// by the caller, so no zombie stays behind). Failure to start it, and a
// non-zero exit, are failures.
TDesktopOpenResult DesktopOpen(const std::string& target, double patience = 2.0);

} // namespace qvt
