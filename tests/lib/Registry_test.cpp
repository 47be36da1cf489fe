// The per-user settings store: value types, key paths, the store file and its failures.
#include <thread>
#include <vector>

#include "lib/uRegistry.h"
#include "tests/lib/UserFolderFixture.h"

namespace {

using qvt::TRegistryRoot;
constexpr auto kUser = TRegistryRoot::CurrentUser;
constexpr const char* kKey = "SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\V\\P\\3\\";

class Registry : public UserFolders {
protected:
  std::filesystem::path StoreFile() const { return Root / "config/Quivertone/settings.reg"; }
};

} // namespace

TEST_F(Registry, TextAndNumbersReadBackAsWritten) {
  EXPECT_TRUE(qvt::RegWriteText(kUser, std::string(kKey) + "BankPath", "/banks/mine.qvt"));
  EXPECT_TRUE(qvt::RegWriteNumber(kUser, std::string(kKey) + "NotesQuantization", 1));
  EXPECT_TRUE(qvt::RegWriteNumber(kUser, std::string(kKey) + "Big", 0xFFFFFFFFu));
  EXPECT_EQ(qvt::RegReadText(kUser, std::string(kKey) + "BankPath"), "/banks/mine.qvt");
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "NotesQuantization"), 1u);
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "Big"), 0xFFFFFFFFu);
  EXPECT_EQ(qvt::RegistryStoreFile(), StoreFile().string());
  EXPECT_EQ(Contents(StoreFile()),
            "Quivertone settings 1\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\V\\P\\3]\n"
            "\"BankPath\"=\"/banks/mine.qvt\"\n"
            "\"NotesQuantization\"=dword:00000001\n"
            "\"Big\"=dword:ffffffff\n");
}

TEST_F(Registry, AValueOfTheOtherTypeReadsAsMissing) {
  qvt::RegWriteText(kUser, std::string(kKey) + "NotesQuantization", "1");
  qvt::RegWriteNumber(kUser, std::string(kKey) + "BankPath", 7);
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "NotesQuantization"), 0u);
  EXPECT_EQ(qvt::RegReadText(kUser, std::string(kKey) + "BankPath"), "");
  // Writing again with the other type replaces the value.
  qvt::RegWriteNumber(kUser, std::string(kKey) + "NotesQuantization", 1);
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "NotesQuantization"), 1u);
}

TEST_F(Registry, MissingValuesKeysAndStoreReadAsDefaults) {
  EXPECT_EQ(qvt::RegReadText(kUser, std::string(kKey) + "BankPath"), "");
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "NotesQuantization"), 0u);
  qvt::RegWriteText(kUser, std::string(kKey) + "BankPath", "x");
  EXPECT_EQ(qvt::RegReadText(kUser, "SOFTWARE\\Other\\BankPath"), "");
  EXPECT_EQ(qvt::RegReadText(kUser, std::string(kKey) + "Other"), "");
}

TEST_F(Registry, APathWithoutBackslashDoesNothingAndFails) {
  EXPECT_FALSE(qvt::RegWriteText(kUser, "BankPath", "x"));
  EXPECT_FALSE(qvt::RegWriteNumber(kUser, "NotesQuantization", 1));
  EXPECT_EQ(qvt::RegReadText(kUser, "BankPath"), "");
  EXPECT_FALSE(std::filesystem::exists(StoreFile()));
}

TEST_F(Registry, PathsSplitAtTheLastBackslashAndIgnoreCase) {
  qvt::RegWriteText(kUser, "SOFTWARE\\A\\B\\Name", "deep");
  EXPECT_EQ(qvt::RegReadText(kUser, "software\\a\\b\\NAME"), "deep");
  EXPECT_EQ(qvt::RegReadText(kUser, "SOFTWARE\\A\\B"), ""); // "B" is a key, not a value
  qvt::RegWriteText(kUser, "software\\a\\b\\name", "replaced");
  EXPECT_EQ(qvt::RegReadText(kUser, "SOFTWARE\\A\\B\\Name"), "replaced");
}

TEST_F(Registry, AnyBytesInTextsKeysAndNamesSurvive) {
  const std::string text = "C:\\Banks\\\"new\"\r\nline\x01\x7F \xAB\xBB \xC3\xA9";
  const std::string key = "SOFTWARE\\Host ]%[\x02\\";
  ASSERT_TRUE(qvt::RegWriteText(kUser, key + "Na\"me", text));
  EXPECT_EQ(qvt::RegReadText(kUser, key + "Na\"me"), text);
}

TEST_F(Registry, TheStoreTextParsesBackToTheSameStore) {
  qvt::TRegistryStore store;
  store.Set("HKEY_CURRENT_USER\\A\\%41\n", {"x\"\\", false, "a\tb", 0});
  store.Set("HKEY_CURRENT_USER\\B", {"n", true, {}, 42});
  const std::string text = qvt::FormatRegistryStore(store);
  const auto parsed = qvt::ParseRegistryStore(text);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(qvt::FormatRegistryStore(*parsed), text);
  ASSERT_NE(parsed->Find("HKEY_CURRENT_USER\\A\\%41\n", "x\"\\"), nullptr);
  EXPECT_EQ(parsed->Find("HKEY_CURRENT_USER\\A\\%41\n", "x\"\\")->Text, "a\tb");
  EXPECT_EQ(parsed->Find("hkey_current_user\\b", "N")->Number, 42u);
}

TEST_F(Registry, MalformedStoreTextsAreRefused) {
  for (const char* text :
       {"[HKEY_CURRENT_USER\\A]\n\"x\"=\"y\"\n", // no header
        "Quivertone settings 1\n\"x\"=\"y\"\n",  // value outside a key
        "Quivertone settings 1\n[K]\n\"x\"=dword:123\n",
        "Quivertone settings 1\n[K]\n\"x\"=\"unterminated\n",
        "Quivertone settings 1\n[K]\n\"x\"=\"y\" trailing\n",
        "Quivertone settings 1\n[K]\n\"x\"=hex:00\n", "Quivertone settings 1\n[K%4]\n"})
    EXPECT_FALSE(qvt::ParseRegistryStore(text)) << text;
  EXPECT_TRUE(qvt::ParseRegistryStore(""));
  EXPECT_TRUE(qvt::ParseRegistryStore("; comment\r\nQuivertone settings 1\r\n"));
}

TEST_F(Registry, ACorruptStoreReadsAsEmptyAndIsKeptAsideWhenWritten) {
  const std::string garbage = "Quivertone settings 1\n[K]\n\"BankPath\"=\"/a.qvt\n\x01\x02";
  Put(StoreFile(), garbage);
  EXPECT_EQ(qvt::RegReadText(kUser, "K\\BankPath"), "");
  EXPECT_EQ(Contents(StoreFile()), garbage); // reading changes nothing

  ASSERT_TRUE(qvt::RegWriteNumber(kUser, "K\\NotesQuantization", 1));
  EXPECT_EQ(Contents(StoreFile().string() + ".broken"), garbage);
  EXPECT_EQ(qvt::RegReadNumber(kUser, "K\\NotesQuantization"), 1u);

  // A second corrupt store does not replace the first copy.
  Put(StoreFile(), "second");
  ASSERT_TRUE(qvt::RegWriteNumber(kUser, "K\\NotesQuantization", 0));
  EXPECT_EQ(Contents(StoreFile().string() + ".broken"), garbage);
  EXPECT_EQ(Contents(StoreFile().string() + ".broken-2"), "second");
}

TEST_F(Registry, AnUnreadableStoreIsLeftAloneAndWritesFail) {
  std::filesystem::create_directories(StoreFile() / "inside"); // a folder where the file belongs
  EXPECT_EQ(qvt::RegReadText(kUser, "K\\BankPath"), "");
  EXPECT_FALSE(qvt::RegWriteText(kUser, "K\\BankPath", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(StoreFile() / "inside"));
}

TEST_F(Registry, WritesLeaveNoTemporaryFilesBehind) {
  for (int i = 0; i < 5; ++i) qvt::RegWriteNumber(kUser, "K\\N", i);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(StoreFile().parent_path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"settings.lock", "settings.reg"}));
}

TEST_F(Registry, WritersOnSeveralThreadsLoseNoValue) {
  std::vector<std::thread> writers;
  for (int t = 0; t < 6; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < 10; ++i)
        qvt::RegWriteNumber(kUser, "K\\T" + std::to_string(t) + "_" + std::to_string(i),
                            t * 100 + i);
    });
  for (auto& writer : writers) writer.join();
  for (int t = 0; t < 6; ++t)
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(qvt::RegReadNumber(kUser, "K\\T" + std::to_string(t) + "_" + std::to_string(i)),
                static_cast<std::uint32_t>(t * 100 + i));
}

TEST_F(Registry, TheStoreFollowsTheXdgRulesForItsFolder) {
  Keep("HOME", (Root / "home").string());
  Keep("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(qvt::RegistryStoreFile(), (Root / "home/.config/Quivertone/settings.reg").string());
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(qvt::RegistryStoreFile(), (Root / "home/.config/Quivertone/settings.reg").string());
  Keep("XDG_CONFIG_HOME", (Root / "elsewhere/").string());
  EXPECT_EQ(qvt::RegistryStoreFile(), (Root / "elsewhere/Quivertone/settings.reg").string());
}
