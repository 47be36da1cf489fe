// Atomic replacement of files: a failed write leaves the previous file as it was.
#include <sys/resource.h>

#include <csignal>

#include "lib/uFileIo.h"
#include "tests/lib/UserFolderFixture.h"

namespace {

class AtomicWrite : public UserFolders {
protected:
  void Write(const std::filesystem::path& file, const std::string& text) {
    qvt::WriteFileAtomically(file.string(),
                             {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Root))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// The error a write raises; code 0 when it succeeds.
qvt::EFileError WriteFailure(const std::filesystem::path& file, const std::string& text) {
  try {
    qvt::WriteFileAtomically(file.string(),
                             {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  } catch (const qvt::EFileError& error) {
    return error;
  }
  return {"", 0};
}

int WriteError(const std::filesystem::path& file, const std::string& text) {
  return WriteFailure(file, text).ErrorCode;
}

} // namespace

TEST_F(AtomicWrite, AWriteProtectedFileIsRefusedAndAReadOnlyFolderIsWrittenInPlace) {
  Write(Root / "protected.qvt", "old");
  std::filesystem::permissions(Root / "protected.qvt", std::filesystem::perms(0444));
  EXPECT_EQ(RunAsNobodyInChild(Root, [&] { return WriteError(Root / "protected.qvt", "new"); }), EACCES);
  EXPECT_EQ(Contents(Root / "protected.qvt"), "old");

  // A folder that takes no new files: a writable file is rewritten where it is.
  Put(Root / "fixed/bank.qvt", "a longer old content");
  std::filesystem::permissions(Root / "fixed", std::filesystem::perms(0555));
  EXPECT_EQ(RunAsNobodyInChild(Root, [&] { return WriteError(Root / "fixed/bank.qvt", "new"); }), 0);
  EXPECT_EQ(Contents(Root / "fixed/bank.qvt"), "new");
}

TEST_F(AtomicWrite, AKilledSaveLeavesOnlyAPrivateFileThatTheNextSaveRemoves) {
  Write(Root / "bank.qvt", "old");
  std::filesystem::permissions(Root / "bank.qvt", std::filesystem::perms(0644));
  const int ended = RunAsNobodyInChild(Root, [&] {
    rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGXFSZ, SIG_DFL); // the write past the limit ends the process
    return WriteError(Root / "bank.qvt", std::string(5000, 'n'));
  });
  ASSERT_EQ(ended, -SIGXFSZ);
  std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), 2u);
  const std::filesystem::path left = Root / (names[0] == "bank.qvt" ? names[1] : names[0]);
  EXPECT_EQ(std::filesystem::status(left).permissions(), std::filesystem::perms(0600));
  std::filesystem::last_write_time(left, std::filesystem::file_time_type::clock::now() -
                                             std::chrono::minutes(5));
  Write(Root / "bank.qvt", "new");
  EXPECT_EQ(Names(), std::vector<std::string>{"bank.qvt"});
  EXPECT_EQ(std::filesystem::status(Root / "bank.qvt").permissions(), std::filesystem::perms(0644));
}

TEST_F(AtomicWrite, NamesNearTheLengthLimitAreWrittenAndLinksKeepPointingAtTheirTargets) {
  const std::string longName = std::string(251, 'b') + ".qvt"; // 255 bytes
  Write(Root / longName, "data");
  EXPECT_EQ(Contents(Root / longName), "data");

  std::filesystem::create_directories(Root / "real");
  Write(Root / "real/bank.qvt", "old");
  std::filesystem::create_symlink(Root / "real/bank.qvt", Root / "link.qvt");
  std::filesystem::create_symlink("real/new.qvt", Root / "dangling.qvt"); // relative
  Write(Root / "link.qvt", "new");
  Write(Root / "dangling.qvt", "new");
  EXPECT_EQ(Contents(Root / "real/bank.qvt"), "new");
  EXPECT_EQ(Contents(Root / "real/new.qvt"), "new");
}

TEST_F(AtomicWrite, AFailedWriteKeepsThePreviousFileAndLeavesNothingBehind) {
  const std::string old(2000, 'o');
  Write(Root / "bank.qvt", old);
  const int error = RunInChild([&] {
    rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
    return WriteError(Root / "bank.qvt", std::string(5000, 'n'));
  });
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(Contents(Root / "bank.qvt"), old);
  EXPECT_EQ(Names(), std::vector<std::string>{"bank.qvt"});
}

TEST_F(AtomicWrite, AFolderInTheTargetsPlaceIsKeptAndAMissingFolderRaisesTheSystemsError) {
  std::filesystem::create_directories(Root / "bank.qvt/inner");
  const qvt::EFileError folder = WriteFailure(Root / "bank.qvt", "data");
  EXPECT_EQ(folder.ErrorCode, EISDIR);
  const std::string named = "\xAB" + (Root / "bank.qvt").string() + "\xBB";
  EXPECT_NE(std::string(folder.what()).find(named), std::string::npos) << folder.what();
  EXPECT_TRUE(std::filesystem::is_directory(Root / "bank.qvt/inner"));
  EXPECT_EQ(WriteFailure(Root / "missing/bank.qvt", "data").ErrorCode, ENOENT);
}

// (Refused reads: missing files and folders in the core's bank-file tests, FIFOs, devices and
// oversized files, with their error code, in the settings store's.)
TEST_F(AtomicWrite, ReadersStopAtTheirLimit) {
  Write(Root / "f", "0123456789");
  const auto head = qvt::ReadWholeFile((Root / "f").string(), 4);
  EXPECT_EQ(std::string(head.begin(), head.end()), "0123");
  EXPECT_EQ(qvt::ReadRegularFile((Root / "f").string(), 10).size(), 10u);
  EXPECT_THROW(qvt::ReadRegularFile((Root / "f").string(), 9), qvt::EFileError) << "one byte over";
}
