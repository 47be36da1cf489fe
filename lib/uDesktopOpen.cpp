// The opener is started from an intermediate child: that child starts the
// opener, waits a little for its answer and reports it as its own exit code,
// then ends. A slow opener is thus adopted by the system, and the caller only
// ever waits for the short-lived intermediate. Between fork and exec only
// async-signal-safe calls are made, since the host may run many threads.
#include "lib/uDesktopOpen.h"

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "lib/uFileIo.h"

extern char** environ;

namespace qvt {

namespace {

constexpr const char* kOpener = "xdg-open";
constexpr int kExecFailed = 127;
constexpr int kStillRunning = 0;

// The opener's full name from PATH; empty when it is not found.
std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  const std::string_view folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string_view folder = folders.substr(start, end - start);
    std::string candidate(folder.empty() ? std::string_view(".") : folder);
    candidate.append("/").append(program);
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// The meaning of xdg-open's exit codes.
std::string OpenerExitText(int code) {
  switch (code) {
  case 1: return "Error in command line syntax";
  case 2: return "One of the files passed on the command line did not exist";
  case 3: return "A required tool could not be found";
  case 4: return "The action failed";
  case kExecFailed: return "The opener could not be started";
  default: return "The opener failed with exit code " + std::to_string(code);
  }
}

// Runs in the intermediate child: only async-signal-safe calls.
[[noreturn]] void RunIntermediate(const char* opener, char* const argv[], long patienceMs) {
  const pid_t child = ::fork();
  if (child < 0) ::_exit(kExecFailed);
  if (child == 0) {
#ifdef SYS_close_range
    ::syscall(SYS_close_range, 3u, ~0u, 0u); // the host's descriptors stay with the host
#endif
    ::execve(opener, argv, environ);
    ::_exit(kExecFailed);
  }
  const timespec tick{0, 10 * 1000 * 1000};
  for (long waited = 0; waited < patienceMs; waited += 10) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) {
      if (WIFEXITED(status)) ::_exit(WEXITSTATUS(status));
      ::_exit(4); // killed by a signal: the action failed
    }
    if (done < 0 && errno != EINTR) ::_exit(kStillRunning);
    ::nanosleep(&tick, nullptr);
  }
  ::_exit(kStillRunning);
}

} // namespace

TDesktopOpenResult DesktopOpen(const std::string& target, double patience) {
  const std::string opener = FindOnPath(kOpener);
  if (opener.empty()) return {false, std::string(kOpener) + ": " + SystemErrorText(ENOENT)};

  // Everything the children need is prepared before forking.
  std::string argument0 = kOpener;
  std::string argument1 = target;
  char* const argv[] = {argument0.data(), argument1.data(), nullptr};
  const long patienceMs = patience > 0 ? static_cast<long>(patience * 1000.0) : 0;

  const pid_t intermediate = ::fork();
  if (intermediate < 0) return {false, SystemErrorText(errno)};
  if (intermediate == 0) RunIntermediate(opener.c_str(), argv, patienceMs);

  int status = 0;
  pid_t done;
  while ((done = ::waitpid(intermediate, &status, 0)) < 0 && errno == EINTR) {
  }
  // A host that reaps children itself (SIGCHLD ignored) leaves nothing to learn.
  if (done < 0) return {true, {}};
  if (!WIFEXITED(status)) return {false, OpenerExitText(4)};
  const int code = WEXITSTATUS(status);
  if (code == 0) return {true, {}};
  return {false, OpenerExitText(code)};
}

} // namespace qvt
