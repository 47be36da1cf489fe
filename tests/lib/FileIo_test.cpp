// Atomic replacement of files: a failed write leaves the previous file as it was.
#include <sys/resource.h>
#include <sys/stat.h>

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

// Lowers the largest file size the process may write, for the scope's duration.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &Old);
    OldHandler = std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
    rlimit limit = Old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldHandler);
  }

private:
  rlimit Old{};
  void (*OldHandler)(int);
};

} // namespace

TEST_F(AtomicWrite, ReplacesTheFileAndKeepsItsPermissions) {
  Write(Root / "bank.qvt", "old");
  std::filesystem::permissions(Root / "bank.qvt", std::filesystem::perms(0640));
  Write(Root / "bank.qvt", "new contents");
  EXPECT_EQ(Contents(Root / "bank.qvt"), "new contents");
  EXPECT_EQ(std::filesystem::status(Root / "bank.qvt").permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(Names(), std::vector<std::string>{"bank.qvt"});
}

TEST_F(AtomicWrite, AFailedWriteKeepsThePreviousFileAndLeavesNothingBehind) {
  const std::string old(2000, 'o');
  Write(Root / "bank.qvt", old);
  {
    TFileSizeLimit limit(100);
    EXPECT_THROW(Write(Root / "bank.qvt", std::string(5000, 'n')), qvt::EFileError);
  }
  EXPECT_EQ(Contents(Root / "bank.qvt"), old);
  EXPECT_EQ(Names(), std::vector<std::string>{"bank.qvt"});
}

TEST_F(AtomicWrite, AFolderInTheTargetsPlaceIsNotReplaced) {
  std::filesystem::create_directories(Root / "bank.qvt/inner");
  try {
    Write(Root / "bank.qvt", "data");
    FAIL() << "no error raised";
  } catch (const qvt::EFileError& error) {
    EXPECT_EQ(error.ErrorCode, EISDIR);
    EXPECT_NE(std::string(error.what()).find("\xAB" + (Root / "bank.qvt").string() + "\xBB"),
              std::string::npos)
        << error.what();
  }
  EXPECT_TRUE(std::filesystem::is_directory(Root / "bank.qvt/inner"));
  EXPECT_EQ(Names(), std::vector<std::string>{"bank.qvt"});
}

TEST_F(AtomicWrite, AMissingFolderRaisesTheSystemsError) {
  try {
    Write(Root / "missing/bank.qvt", "data");
    FAIL() << "no error raised";
  } catch (const qvt::EFileError& error) {
    EXPECT_EQ(error.ErrorCode, ENOENT);
    EXPECT_NE(std::string(error.what()).find(qvt::SystemErrorText(ENOENT)), std::string::npos);
  }
}

TEST_F(AtomicWrite, ALinkKeepsPointingAtTheReplacedFile) {
  std::filesystem::create_directories(Root / "real");
  Write(Root / "real/bank.qvt", "old");
  std::filesystem::create_symlink(Root / "real/bank.qvt", Root / "link.qvt");
  Write(Root / "link.qvt", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(Root / "link.qvt"));
  EXPECT_EQ(Contents(Root / "real/bank.qvt"), "new");
}

TEST_F(AtomicWrite, ReadingStopsAtTheLimit) {
  Write(Root / "f", "0123456789");
  const auto head = qvt::ReadWholeFile((Root / "f").string(), 4);
  EXPECT_EQ(std::string(head.begin(), head.end()), "0123");
  EXPECT_EQ(qvt::ReadWholeFile((Root / "f").string()).size(), 10u);
  EXPECT_THROW(qvt::ReadWholeFile((Root / "none").string()), qvt::EFileError);
  EXPECT_THROW(qvt::ReadWholeFile(Root.string()), qvt::EFileError); // a folder
}
