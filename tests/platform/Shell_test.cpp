// Message boxes and opening targets with the desktop's opener.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/uDesktop.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uShell.h"
#include "platform/headless/uHeadlessPlatform.h"
#include "tests/OwnPath.h"

namespace {

// A stand-in xdg-open on a PATH of its own that exits with the given code.
class ShellOpenTest : public ::testing::Test {
protected:
  void Opener(int exitCode) { Path.Script("xdg-open", "exit " + std::to_string(exitCode) + "\n"); }

  qvt::test::TOwnPath Path;
  std::vector<qvt::TMessageBoxRequest> Shown;
  qvt::TScopedMessageBoxHandler Boxes{[this](const qvt::TMessageBoxRequest& request) {
    Shown.push_back(request);
    return static_cast<int>(qvt::idOk);
  }};
};

} // namespace

TEST_F(ShellOpenTest, ASuccessfulOpenShowsNothing) {
  Opener(0);
  EXPECT_TRUE(ShellOpen("/opt/vst/Help.html", kCantOpenFileMessage));
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ShellOpenTest, AFailedOpenShowsTheFormatTheTargetAndTheSystemsText) {
  Opener(2);
  EXPECT_FALSE(ShellOpen("/opt/vst/Help.html", kCantOpenFileMessage));
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0].Text, "Can't not open file \xAB/opt/vst/Help.html\xBB!\r\n"
                           "Error: One of the files passed on the command line did not exist.");
  EXPECT_EQ(Shown[0].Caption, "Quivertone v2.2");
  EXPECT_EQ(Shown[0].Flags, qvt::mbOk | qvt::mbIconError);
}

TEST(ShellOpenWithAPlatform, TheInstalledPlatformOpensAndPlaysAndItsErrorIsShown) {
  qvt::THeadlessPlatform platform;
  EXPECT_TRUE(ShellOpen("/opt/vst/Help.html", kCantOpenFileMessage));
  EXPECT_TRUE(platform.MessageBoxes.empty());

  platform.ShellOpenError = "No application is associated with the file";
  EXPECT_FALSE(ShellOpen("https://example.invalid/", kCantOpenUrlMessage));
  ASSERT_EQ(platform.ShellOpens,
            (std::vector<std::string>{"/opt/vst/Help.html", "https://example.invalid/"}));
  ASSERT_EQ(platform.MessageBoxes.size(), 1u);
  EXPECT_EQ(platform.MessageBoxes[0].Text,
            "Can't not open URL \xABhttps://example.invalid/\xBB!\r\n"
            "Error: No application is associated with the file.");
  EXPECT_EQ(platform.MessageBoxes[0].Flags, qvt::mbOk | qvt::mbIconError);
  qvt::PlaySystemSound("MenuPopup");
  EXPECT_EQ(platform.Sounds, std::vector<std::string>{"MenuPopup"});
}

TEST(MessageBoxes, WithoutAHandlerTheyAreAnsweredWithoutChangingAnything) {
  EXPECT_EQ(qvt::ShowMessageBox("Saved \xAB"
                                "a\xBB",
                                "Quivertone v2.2", qvt::mbOk),
            qvt::idOk);
  EXPECT_EQ(qvt::ShowMessageBox("Replace?", "Quivertone v2.2", qvt::mbYesNo | qvt::mbIconQuestion),
            qvt::idNo);
  EXPECT_EQ(qvt::ShowMessageBox("Go on?", "Quivertone v2.2", qvt::mbOkCancel), qvt::idCancel);
}
