// qvt snapshot through the command line: the form backgrounds and the demo as PNG files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class SnapshotCommand : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvt-snapshot-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Dir = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  int Qvt(const std::string& arguments) {
    const int raw = std::system(
        (std::string(QVT_TOOL_PATH) + " snapshot " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  struct TPngSize {
    bool Valid = false;
    std::uint32_t Width = 0, Height = 0;
  };
  // The size in a PNG file's header, if the file is a PNG.
  static TPngSize PngSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(24);
    if (!in.read(reinterpret_cast<char*>(head.data()), 24)) return {};
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!std::equal(signature, signature + 8, head.begin())) return {};
    auto word = [&](int at) {
      return std::uint32_t{head[at]} << 24 | std::uint32_t{head[at + 1]} << 16 |
             std::uint32_t{head[at + 2]} << 8 | head[at + 3];
    };
    return {true, word(16), word(20)};
  }

  std::string Dir;
};

TEST_F(SnapshotCommand, TheMainFormIsTheEditorsSize) {
  ASSERT_EQ(Qvt("--form main -o " + Dir + "main.png"), 0);
  const TPngSize size = PngSize(Dir + "main.png");
  ASSERT_TRUE(size.Valid);
  EXPECT_EQ(size.Width, 587u);
  EXPECT_EQ(size.Height, 320u);
}

TEST_F(SnapshotCommand, ThePatternEditorAndAboutBoxHoldTheirControls) {
  ASSERT_EQ(Qvt("--form patedit -o " + Dir + "patedit.png"), 0);
  const TPngSize pattern = PngSize(Dir + "patedit.png");
  ASSERT_TRUE(pattern.Valid);
  EXPECT_GE(pattern.Width, 315u);
  EXPECT_GE(pattern.Height, 246u);
  ASSERT_EQ(Qvt("-o " + Dir + "about.png --form about"), 0);
  const TPngSize about = PngSize(Dir + "about.png");
  ASSERT_TRUE(about.Valid);
  EXPECT_GE(about.Width, 323u);
  EXPECT_GE(about.Height, 222u);
}

TEST_F(SnapshotCommand, TheDemoAndTheControlsGalleryDrawPictures) {
  for (const char* what : {"--demo", "--controls"}) {
    ASSERT_EQ(Qvt(std::string(what) + " -o " + Dir + "picture.png"), 0) << what;
    const TPngSize size = PngSize(Dir + "picture.png");
    ASSERT_TRUE(size.Valid) << what;
    EXPECT_GT(size.Width, 25u);
    EXPECT_GT(size.Height, 25u);
  }
}

TEST_F(SnapshotCommand, UnknownFormsAndIncompleteArgumentsAreRefused) {
  EXPECT_EQ(Qvt("--form settings -o " + Dir + "x.png"), 2);
  EXPECT_EQ(Qvt("--form main"), 2);
  EXPECT_EQ(Qvt("--demo --form main -o " + Dir + "x.png"), 2);
  EXPECT_EQ(Qvt("--demo --controls -o " + Dir + "x.png"), 2);
  EXPECT_EQ(Qvt("-o " + Dir + "x.png"), 2);
  EXPECT_FALSE(std::filesystem::exists(Dir + "x.png"));
}

} // namespace
