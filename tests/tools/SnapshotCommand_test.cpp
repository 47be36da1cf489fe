// qvt snapshot through the command line: the form backgrounds and the demo as PNG files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/QvtProcess.h"

namespace {

class SnapshotCommand : public qvt::test::TTempFolderTest {
protected:
  int Qvt(const std::string& arguments) {
    int status = -1;
    qvt::test::RunQvt("snapshot " + arguments, status);
    return status;
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
};

// The main form is the editor's size; the pattern editor and the about box hold their
// pictures and controls; the demo and the gallery draw something.
TEST_F(SnapshotCommand, EachPictureHasItsSize) {
  const struct {
    const char* Arguments;
    std::uint32_t Width, Height;
    bool Exact;
  } cases[] = {{"--form main", 587, 320, true},
               {"--form patedit", 315, 246, false},
               {"--form about", 323, 222, false},
               {"--demo", 26, 26, false},
               {"--controls", 26, 26, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Arguments);
    ASSERT_EQ(Qvt(std::string(c.Arguments) + " -o " + Dir + "picture.png"), 0);
    const TPngSize size = PngSize(Dir + "picture.png");
    ASSERT_TRUE(size.Valid);
    if (c.Exact) {
      EXPECT_EQ(size.Width, c.Width);
      EXPECT_EQ(size.Height, c.Height);
    } else {
      EXPECT_GE(size.Width, c.Width);
      EXPECT_GE(size.Height, c.Height);
    }
  }
  ASSERT_EQ(Qvt("-o " + Dir + "about.png --form about"), 0) << "options in any order";
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
