// The opener is started from an intermediate child: that child starts the
// opener, waits a little for its answer and reports it through a pipe (the
// opener's exit code, or that it still runs, and its process id), then ends.
// A slow opener is thus adopted by the system, and the caller only ever waits
// for the short-lived intermediate. The pipe carries the answer even when the
// host ignores SIGCHLD (the system then reaps the intermediate itself). When
// the host is a child subreaper, a slow opener is adopted by the host: it is
// remembered and reaped by a later call (or when the library is unloaded).
// Between fork and exec only async-signal-safe calls are made, since the host
// may run many threads.
#include "lib/uDesktopOpen.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string_view>
#include <vector>

#include "lib/uFileIo.h"

extern char** environ;

namespace qvt {

namespace {

constexpr const char* kOpener = "xdg-open";
constexpr int kExecFailed = 127;
constexpr int kStillRunning = -1;

// The answer the intermediate writes into the pipe.
struct TAnswer {
  int Code;
  pid_t Opener;
};

// Openers adopted by this process (a child subreaper), not yet reaped.
class TAdoptedOpeners {
public:
  void Add(pid_t opener) {
    std::lock_guard lock(Mutex);
    Reap();
    Pids.push_back(opener);
  }
  void ReapFinished() {
    std::lock_guard lock(Mutex);
    Reap();
  }
  ~TAdoptedOpeners() { Reap(); }

private:
  void Reap() {
    std::erase_if(Pids, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
  }
  std::mutex Mutex;
  std::vector<pid_t> Pids;
};
TAdoptedOpeners gAdoptedOpeners;

bool HostReapsChildrenItself() {
  struct sigaction action {};
  ::sigaction(SIGCHLD, nullptr, &action);
  return action.sa_handler == SIG_IGN || (action.sa_flags & SA_NOCLDWAIT);
}

bool HostIsSubreaper() {
  int subreaper = 0;
  return ::prctl(PR_GET_CHILD_SUBREAPER, &subreaper) == 0 && subreaper != 0;
}

// The opener's full name from PATH; empty when it is not found.
std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  const std::string_view folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string_view folder = folders.substr(start, end - start);
    start = end + 1;
    // An empty element would mean the current folder, whatever that is in the
    // host: never looked at.
    if (folder.empty()) continue;
    std::string candidate(folder);
    candidate.append("/").append(program);
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
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

// Closes every descriptor from 3 on. Where close_range is missing (older
// kernels) or refused (seccomp), each possible descriptor is closed in turn.
// Async-signal-safe.
void CloseDescriptorsFrom3(int limit) {
#ifdef SYS_close_range
  if (::syscall(SYS_close_range, 3u, ~0u, 0u) == 0) return;
#endif
  for (int fd = 3; fd < limit; ++fd) (void)::close(fd);
}

// The intermediate's last act: its answer into the pipe.
[[noreturn]] void Answer(int answerFd, int code, pid_t opener) {
  const TAnswer message{code, opener};
  (void)!::write(answerFd, &message, sizeof message);
  ::_exit(0);
}

// Runs in the intermediate child: only async-signal-safe calls.
[[noreturn]] void RunIntermediate(const char* opener, char* const argv[], long patienceMs,
                                  int answerFd, int descriptorLimit) {
  const auto answer = [answerFd](int code, pid_t child) { Answer(answerFd, code, child); };
  // The host's signal settings are not the opener's: an ignored SIGCHLD would
  // make the system reap it before its exit code is read.
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  ::sigaction(SIGCHLD, &byDefault, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const pid_t child = ::fork();
  if (child < 0) answer(kExecFailed, 0);
  if (child == 0) {
    CloseDescriptorsFrom3(descriptorLimit); // the host's descriptors stay with the host
    ::execve(opener, argv, environ);
    ::_exit(kExecFailed);
  }
  const timespec tick{0, 10 * 1000 * 1000};
  for (long waited = 0; waited < patienceMs; waited += 10) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) {
      if (WIFEXITED(status)) answer(WEXITSTATUS(status), 0);
      answer(4, 0); // killed by a signal: the action failed
    }
    if (done < 0 && errno != EINTR) answer(kStillRunning, child);
    ::nanosleep(&tick, nullptr);
  }
  Answer(answerFd, kStillRunning, child);
}

} // namespace

TDesktopOpenResult DesktopOpen(const std::string& target, double patience) {
  gAdoptedOpeners.ReapFinished();
  const std::string opener = FindOnPath(kOpener);
  if (opener.empty()) return {false, std::string(kOpener) + ": " + SystemErrorText(ENOENT)};

  // Everything the children need is prepared before forking. A target that
  // starts with '-' would read as an option: as a file in the current folder
  // it is named "./-…" (the opener takes no "--").
  std::string argument0 = kOpener;
  std::string argument1 = target.starts_with('-') ? "./" + target : target;
  char* const argv[] = {argument0.data(), argument1.data(), nullptr};
  const long patienceMs = patience > 0 ? static_cast<long>(patience * 1000.0) : 0;
  rlimit files{};
  const int descriptorLimit =
      ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
          ? static_cast<int>(std::min<rlim_t>(files.rlim_cur, 1 << 20))
          : 1 << 16;

  int answerPipe[2];
  if (::pipe2(answerPipe, O_CLOEXEC) != 0) return {false, SystemErrorText(errno)};
  const pid_t intermediate = ::fork();
  if (intermediate < 0) {
    const int error = errno;
    ::close(answerPipe[0]);
    ::close(answerPipe[1]);
    return {false, SystemErrorText(error)};
  }
  if (intermediate == 0) {
    ::close(answerPipe[0]);
    RunIntermediate(opener.c_str(), argv, patienceMs, answerPipe[1], descriptorLimit);
  }
  ::close(answerPipe[1]);
  TAnswer answer{};
  ssize_t got;
  while ((got = ::read(answerPipe[0], &answer, sizeof answer)) < 0 && errno == EINTR) {
  }
  ::close(answerPipe[0]);
  // Reaped here, or by the system when the host ignores SIGCHLD.
  while (::waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (got != static_cast<ssize_t>(sizeof answer)) return {false, OpenerExitText(4)};
  if (answer.Code == kStillRunning) {
    if (answer.Opener > 0 && HostIsSubreaper() && !HostReapsChildrenItself())
      gAdoptedOpeners.Add(answer.Opener);
    return {true, {}};
  }
  if (answer.Code == 0) return {true, {}};
  return {false, OpenerExitText(answer.Code)};
}

} // namespace qvt
