// Handing targets to the desktop's opener: arguments as they are, failures reported, no hang.
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <chrono>
#include <cstddef>
#include <thread>

#include "lib/uDesktopOpen.h"
#include "tests/lib/UserFolderFixture.h"

namespace {

class DesktopOpen : public UserFolders {
protected:
  // An executable xdg-open script in the folder.
  void Script(const std::filesystem::path& folder, const std::string& text) {
    Put(folder / "xdg-open", text);
    std::filesystem::permissions(folder / "xdg-open", std::filesystem::perms(0755));
  }
  // A stand-in opener on a PATH of its own; it records its arguments in "args".
  void Opener(const std::string& body) {
    Script(Root / "bin", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + (Root / "args").string() +
                             "'\n" + body + "\n");
    Keep("PATH", (Root / "bin").string());
  }
};

// Makes close_range fail with ENOSYS in this process, as an older kernel or a
// seccomp policy would; false when filters cannot be installed here.
bool RefuseCloseRange() {
#ifdef SYS_close_range
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_close_range, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#else
  return true;
#endif
}

} // namespace

TEST_F(DesktopOpen, TheHostsDescriptorsStayWithTheHostEvenWithoutCloseRange) {
  Opener("if [ -e /proc/$$/fd/50 ]; then echo leaked; else echo closed; fi > '" +
         (Root / "fd").string() + "'");
  const int ended = RunInChild([] {
    if (!RefuseCloseRange()) return 77;
    if (::dup2(::open("/dev/null", O_RDONLY), 50) != 50) return 2;
    return qvt::DesktopOpen("x").Succeeded ? 0 : 1;
  });
  if (ended == 77) GTEST_SKIP() << "no seccomp filters here";
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(Contents(Root / "fd"), "closed\n");
}

TEST_F(DesktopOpen, EmptyPathElementsAreNotTheCurrentFolder) {
  Script(Root, "#!/bin/sh\ntouch '" + (Root / "ran").string() + "'\n");
  std::string path = ":";
  path.append((Root / "empty").string()).append("::");
  Keep("PATH", path);
  const int ended = RunInChild([&] {
    if (::chdir(Root.c_str()) != 0) return 2;
    return qvt::DesktopOpen("x").Succeeded ? 1 : 0;
  });
  EXPECT_EQ(ended, 0);
  EXPECT_FALSE(std::filesystem::exists(Root / "ran"));
}

TEST_F(DesktopOpen, AHostThatIgnoresChildrenStillLearnsTheExitCode) {
  Opener("exit 2");
  const int ended = RunInChild([] {
    ::signal(SIGCHLD, SIG_IGN);
    const auto result = qvt::DesktopOpen("/no/such/file.html");
    return !result.Succeeded &&
                   result.ErrorText == "One of the files passed on the command line did not exist"
               ? 0
               : 1;
  });
  EXPECT_EQ(ended, 0);
}

TEST_F(DesktopOpen, ASlowOpenerAdoptedByASubreaperHostIsReaped) {
  Opener("PATH=/usr/bin:/bin sleep 0.3");
  const int ended = RunInChild([] {
    if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) return 77;
    if (!qvt::DesktopOpen("x", 0.01).Succeeded) return 2;
    std::this_thread::sleep_for(std::chrono::seconds(1)); // the opener has ended
    if (!qvt::DesktopOpen("y", 5.0).Succeeded) return 3;
    return ::waitpid(-1, nullptr, WNOHANG) > 0 ? 1 : 0; // a zombie left
  });
  if (ended == 77) GTEST_SKIP() << "cannot be a subreaper here";
  EXPECT_EQ(ended, 0);
}

TEST_F(DesktopOpen, TheTargetArrivesAsOneUntouchedArgumentAndNeverAsAnOption) {
  Opener("exit 0");
  const std::string odd = "/a folder/it's \"odd\"; $(rm -rf x) `y` *.html";
  for (const auto& [target, passed] : {std::pair{odd, odd}, {"-help.html", "./-help.html"}}) {
    qvt::DesktopOpen(target);
    EXPECT_EQ(Contents(Root / "args"), "1\n" + passed + "\n");
  }
}

// (An opener's exit code: the test of a host that ignores its children.)
TEST_F(DesktopOpen, FailuresAreReportedWithTheirMeaning) {
  const std::pair<const char*, const char*> cases[] = {
      {"#!/no/such/interpreter\n", "The opener could not be started"}, {nullptr, "xdg-open"}};
  Keep("PATH", (Root / "bin").string());
  for (const auto& [script, text] : cases) {
    std::filesystem::remove_all(Root / "bin");
    if (script) Script(Root / "bin", script);
    const auto result = qvt::DesktopOpen("x");
    EXPECT_FALSE(result.Succeeded) << text;
    EXPECT_NE(result.ErrorText.find(text), std::string::npos) << result.ErrorText;
  }
}

TEST_F(DesktopOpen, AnOpenerThatKeepsRunningDoesNotHoldTheCaller) {
  Opener("PATH=/usr/bin:/bin sleep 4");
  const auto start = std::chrono::steady_clock::now();
  const auto result = qvt::DesktopOpen("x", 0.2);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(result.Succeeded);
  EXPECT_LT(waited, std::chrono::seconds(2)); // far below the opener's 4 s
}
