// Handing targets to the desktop's opener: arguments as they are, failures reported, no hang.
#include <sys/stat.h>

#include <chrono>

#include "lib/uDesktopOpen.h"
#include "tests/lib/UserFolderFixture.h"

namespace {

// A stand-in opener on a PATH of its own; it records its arguments in "args".
class DesktopOpen : public UserFolders {
protected:
  void Opener(const std::string& body) {
    const auto file = Root / "bin/xdg-open";
    Put(file, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + (Root / "args").string() + "'\n" +
                  body + "\n");
    std::filesystem::permissions(file, std::filesystem::perms(0755));
    Keep("PATH", (Root / "bin").string());
  }
};

} // namespace

TEST_F(DesktopOpen, TheTargetArrivesAsOneUntouchedArgument) {
  Opener("exit 0");
  const std::string target = "/a folder/it's \"odd\"; $(rm -rf x) `y` *.html";
  const auto result = qvt::DesktopOpen(target);
  EXPECT_TRUE(result.Succeeded) << result.ErrorText;
  EXPECT_EQ(Contents(Root / "args"), "1\n" + target + "\n");
}

TEST_F(DesktopOpen, TheOpenersExitCodeIsReportedWithItsMeaning) {
  Opener("exit 2");
  const auto result = qvt::DesktopOpen("/no/such/file.html");
  EXPECT_FALSE(result.Succeeded);
  EXPECT_EQ(result.ErrorText, "One of the files passed on the command line did not exist");
  Opener("exit 4");
  EXPECT_EQ(qvt::DesktopOpen("x").ErrorText, "The action failed");
}

TEST_F(DesktopOpen, AMissingOpenerIsAFailure) {
  Keep("PATH", (Root / "empty").string());
  const auto result = qvt::DesktopOpen("https://example.invalid/");
  EXPECT_FALSE(result.Succeeded);
  EXPECT_NE(result.ErrorText.find("xdg-open"), std::string::npos);
}

TEST_F(DesktopOpen, AnOpenerThatCannotBeStartedIsAFailure) {
  Put(Root / "bin/xdg-open", "#!/no/such/interpreter\n");
  std::filesystem::permissions(Root / "bin/xdg-open", std::filesystem::perms(0755));
  Keep("PATH", (Root / "bin").string());
  const auto result = qvt::DesktopOpen("x");
  EXPECT_FALSE(result.Succeeded);
  EXPECT_EQ(result.ErrorText, "The opener could not be started");
}

TEST_F(DesktopOpen, AnOpenerThatKeepsRunningDoesNotHoldTheCaller) {
  Opener("PATH=/usr/bin:/bin sleep 30");
  const auto start = std::chrono::steady_clock::now();
  const auto result = qvt::DesktopOpen("x", 0.2);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(result.Succeeded);
  EXPECT_LT(waited, std::chrono::seconds(10)); // far below the opener's 30 s
}
