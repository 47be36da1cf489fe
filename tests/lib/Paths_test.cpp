// The plug-in's own file name and the folders derived from it.
#include <fcntl.h>
#include <unistd.h>

#include "lib/uPaths.h"
#include "tests/lib/UserFolderFixture.h"

using Paths = UserFolders;

TEST_F(Paths, TheModuleIsTheFileThatHoldsTheCode) {
  EXPECT_EQ(qvt::ModuleFileName(), std::filesystem::canonical("/proc/self/exe").string());
  EXPECT_EQ(qvt::FolderOfFile("/a/b/Quivertone.so"), "/a/b/");
}

TEST_F(Paths, AModuleStartedThroughALinkIsTheRealFile) {
  // This program again, started through a link, runs the test above.
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  std::filesystem::create_symlink(self, Root / "linked-tests");
  const std::string link = (Root / "linked-tests").string();
  const int ended = RunInChild([&] {
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::execl(link.c_str(), link.c_str(), "--gtest_filter=Paths.TheModuleIsTheFileThatHoldsTheCode",
            static_cast<char*>(nullptr));
    return 127;
  });
  EXPECT_EQ(ended, 0);
}

TEST_F(Paths, WithoutAnAbsoluteLibraryFolderNothingIsRelative) {
  for (const std::string module : {"", "relative/folder/"}) {
    const qvt::TPluginFolders folders = qvt::PluginFolders(module, qvt::UserDataFolder());
    EXPECT_EQ(folders.Banks, (Root / "data/Quivertone/Banks/").string());
    EXPECT_EQ(folders.HelpFile, (Root / "data/Quivertone/Help.html").string()) << module;
  }
  const qvt::TPluginFolders none = qvt::PluginFolders("", "");
  EXPECT_EQ(none.Banks, "");
}

TEST_F(Paths, BankAndPatternFoldersAreMadeBesideTheLibrary) {
  const std::string module = (Root / "vst/deeper").string(); // missing parents are made too
  const qvt::TPluginFolders folders = qvt::PluginFolders(module, qvt::UserDataFolder());
  EXPECT_EQ(folders.Banks, module + "/Banks/");
  EXPECT_TRUE(std::filesystem::is_directory(folders.Banks));
  EXPECT_TRUE(std::filesystem::is_directory(folders.Patterns));
}

TEST_F(Paths, AFolderThatCannotHoldThemGivesWayToTheUserDataFolder) {
  Put(Root / "file", "not a folder");
  const std::string module = (Root / "file").string() + "/";
  const qvt::TPluginFolders folders = qvt::PluginFolders(module, qvt::UserDataFolder());
  EXPECT_EQ(folders.Banks, (Root / "data/Quivertone/Banks/").string());
  EXPECT_EQ(folders.HelpFile, module + "Help.html"); // the manual stays with the library
}

TEST_F(Paths, ReadOnlyLibraryFoldersGiveWayToTheUserDataFolder) {
  std::filesystem::create_directories(Root / "system");
  std::filesystem::permissions(Root / "system", std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_exec);
  const std::string expected = (Root / "data/Quivertone/Banks/").string();
  EXPECT_EQ(RunAsNobodyInChild(Root, [&] {
              const auto folders =
                  qvt::PluginFolders((Root / "system/").string(), qvt::UserDataFolder());
              return folders.Banks == expected ? 0 : 1;
            }),
            0);
  std::filesystem::permissions(Root / "system", std::filesystem::perms::owner_all);
}

TEST_F(Paths, UserFoldersFollowTheXdgRules) {
  Keep("HOME", (Root / "home").string());
  Keep("XDG_DATA_HOME", "");
  EXPECT_EQ(qvt::UserDataFolder(), (Root / "home/.local/share/Quivertone/").string());
  Keep("XDG_DATA_HOME", "not/absolute");
  EXPECT_EQ(qvt::UserDataFolder(), (Root / "home/.local/share/Quivertone/").string());
  Keep("XDG_CONFIG_HOME", "relative/ignored"); // the settings store lives here
  EXPECT_EQ(qvt::UserConfigFolder(), (Root / "home/.config/Quivertone/").string());
}
