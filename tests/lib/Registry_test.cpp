// The per-user settings store: value types, key paths, the store file and its failures.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
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
  EXPECT_TRUE(qvt::RegWriteNumber(kUser, std::string(kKey) + "Big", 0xFFFFFFFFu));
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "Big"), 0xFFFFFFFFu);
  EXPECT_EQ(Contents(StoreFile()),
            "Quivertone settings 1\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\V\\P\\3]\n"
            "\"BankPath\"=\"/banks/mine.qvt\"\n"
            "\"Big\"=dword:ffffffff\n");
}

// (A missing store and values of the other type read as defaults: the ABI suite's PluginSettings.)
TEST_F(Registry, MissingKeysAndValuesReadAsDefaultsAndAnotherTypeReplacesAValue) {
  qvt::RegWriteText(kUser, std::string(kKey) + "NotesQuantization", "1");
  EXPECT_EQ(qvt::RegReadText(kUser, std::string(kKey) + "Other"), "");
  qvt::RegWriteNumber(kUser, std::string(kKey) + "NotesQuantization", 1);
  EXPECT_EQ(qvt::RegReadNumber(kUser, std::string(kKey) + "NotesQuantization"), 1u);
  EXPECT_EQ(qvt::RegReadText(kUser, std::string(kKey) + "NotesQuantization"), "");
}

TEST_F(Registry, APathWithoutBackslashDoesNothingAndFails) {
  EXPECT_FALSE(qvt::RegWriteText(kUser, "BankPath", "x"));
  EXPECT_EQ(qvt::RegReadText(kUser, "BankPath"), "");
  EXPECT_FALSE(std::filesystem::exists(StoreFile()));
}

TEST_F(Registry, PathsSplitAtTheLastBackslashAndIgnoreCase) {
  qvt::RegWriteText(kUser, "SOFTWARE\\A\\B\\Name", "deep");
  EXPECT_EQ(qvt::RegReadText(kUser, "software\\a\\b\\NAME"), "deep");
  EXPECT_EQ(qvt::RegReadText(kUser, "SOFTWARE\\A\\B"), ""); // "B" is a key, not a value
}

TEST_F(Registry, AnyBytesInTextsKeysAndNamesSurvive) {
  const std::string text = "C:\\Banks\\\"new\"\r\nline\x01\x7F \xAB\xBB \xC3\xA9";
  const std::string key = "SOFTWARE\\Host ]%[\x02\\";
  ASSERT_TRUE(qvt::RegWriteText(kUser, key + "Na\"me", text));
  EXPECT_EQ(qvt::RegReadText(kUser, key + "Na\"me"), text);
}

TEST_F(Registry, LinesNotUnderstoodAreKeptAndOnlyAMissingHeaderIsRefused) {
  EXPECT_FALSE(qvt::ParseRegistryStore("[HKEY_CURRENT_USER\\A]\n\"x\"=\"y\"\n"));
  EXPECT_TRUE(qvt::ParseRegistryStore("; comment\r\nQuivertone settings 1\r\n"));

  const std::string text = "Quivertone settings 1\n"
                           "\"outside\"=\"a key\"\n"
                           "[K]\n"
                           "\"x\"=dword:123\n"
                           "[K%4]\n"
                           "\"w\"=\"under a strange key\"\n"
                           "[L]\n"
                           "\"v\"=\"unterminated\n";
  const auto parsed = qvt::ParseRegistryStore(text);
  ASSERT_TRUE(parsed);
  const std::string again = qvt::FormatRegistryStore(*parsed);
  for (const char* line : {"\"outside\"=\"a key\"\n", "\"x\"=dword:123\n",
                           "[K%4]\n\"w\"=\"under a strange key\"\n", "\"v\"=\"unterminated\n"})
    EXPECT_NE(again.find(line), std::string::npos) << line;
  EXPECT_EQ(qvt::FormatRegistryStore(*qvt::ParseRegistryStore(again)), again);
}

TEST_F(Registry, ALargeStoreParsesInLinearTime) {
  // Quadratic parsing took minutes for this many keys.
  qvt::TRegistryStore store;
  for (int k = 0; k < 40000; ++k)
    store.Keys.push_back(
        {"HKEY_CURRENT_USER\\K" + std::to_string(k), {{"N", true, {}, 1u * k}}, {}, false});
  const auto parsed = qvt::ParseRegistryStore(qvt::FormatRegistryStore(store));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Find("hkey_current_user\\k39999", "n")->Number, 39999u);
}

// (A corrupt store read as empty and kept aside:
// Settings.ACorruptSettingsFileIsIgnoredAndSurvives.)
TEST_F(Registry, ASecondCorruptStoreDoesNotReplaceTheFirstCopy) {
  const std::string garbage = "\x01\x02 no store\n[K]\n\"BankPath\"=\"/a.qvt\"\n";
  Put(StoreFile(), garbage);
  ASSERT_TRUE(qvt::RegWriteNumber(kUser, "K\\NotesQuantization", 1));
  Put(StoreFile(), "second");
  ASSERT_TRUE(qvt::RegWriteNumber(kUser, "K\\NotesQuantization", 0));
  EXPECT_EQ(Contents(StoreFile().string() + ".broken"), garbage);
  EXPECT_EQ(Contents(StoreFile().string() + ".broken-2"), "second");
}

TEST_F(Registry, AnOversizedStoreIsCorruptAndAStoreThatIsALinkStaysALink) {
  const std::string huge = "Quivertone settings 1\n;" + std::string(1 << 20, 'x') + "\n";
  Put(StoreFile(), huge);
  ASSERT_TRUE(qvt::RegWriteText(kUser, "K\\BankPath", "/a.qvt"));
  EXPECT_EQ(Contents(StoreFile().string() + ".broken"), huge);

  // The link's target is kept aside and written; the link stays.
  Put(Root / "elsewhere/store", "corrupt");
  std::filesystem::remove(StoreFile());
  std::filesystem::create_symlink(Root / "elsewhere/store", StoreFile());
  ASSERT_TRUE(qvt::RegWriteText(kUser, "K\\BankPath", "/b.qvt"));
  EXPECT_TRUE(std::filesystem::is_symlink(StoreFile()));
  EXPECT_EQ(Contents(Root / "elsewhere/store.broken"), "corrupt");
}

TEST_F(Registry, StoresThatAreNoRegularFilesAreNeverWaitedOnNorReplaced) {
  std::filesystem::create_directories(StoreFile() / "inside"); // a folder where the file belongs
  EXPECT_FALSE(qvt::RegWriteText(kUser, "K\\B", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(StoreFile() / "inside"));

  std::filesystem::remove_all(StoreFile());
  ASSERT_EQ(::mkfifo(StoreFile().c_str(), 0600), 0);
  auto read = std::async(std::launch::async, [] { return qvt::RegReadText(kUser, "K\\B"); });
  if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "the read waits on the FIFO";
    ::close(::open(StoreFile().c_str(), O_WRONLY | O_NONBLOCK)); // let it end
  }
  EXPECT_EQ(read.get(), "");
  EXPECT_FALSE(qvt::RegWriteText(kUser, "K\\B", "x"));
  EXPECT_EQ(std::filesystem::status(StoreFile()).type(), std::filesystem::file_type::fifo);

  std::filesystem::remove(StoreFile());
  std::filesystem::create_symlink("/dev/zero", StoreFile());
  EXPECT_EQ(qvt::RegReadText(kUser, "K\\B"), "");
  EXPECT_FALSE(qvt::RegWriteText(kUser, "K\\B", "x"));
  EXPECT_TRUE(std::filesystem::is_symlink(StoreFile()));
}

TEST_F(Registry, WritesAlwaysHoldTheLockAndWaitForItBoundedly) {
  const std::filesystem::path lock = StoreFile().parent_path() / "settings.lock";
  // A lock file that can only be opened for reading still locks.
  std::filesystem::create_directories(lock);
  ASSERT_TRUE(qvt::RegWriteNumber(kUser, "K\\N", 1));
  const int held = ::open(lock.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  auto write = std::async(std::launch::async, [] { return qvt::RegWriteNumber(kUser, "K\\N", 2); });
  const bool ended = write.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  ::close(held);
  EXPECT_TRUE(ended) << "the write waits for the lock without end";
  EXPECT_FALSE(write.get()) << "written while another holder had the lock";

  // A lock file that cannot be opened at all: nothing is written.
  std::filesystem::remove(lock);
  std::filesystem::create_symlink(Root / "missing/settings.lock", lock);
  EXPECT_FALSE(qvt::RegWriteNumber(kUser, "K\\N", 3));
}

TEST_F(Registry, WritersOnSeveralThreadsLoseNoValueAndLeaveNoTemporaryFile) {
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
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(StoreFile().parent_path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"settings.lock", "settings.reg"}));
}
