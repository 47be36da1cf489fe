// qvt snapshot through the command line: the form backgrounds and the demo as PNG files.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "tests/tools/QvtProcess.h"

namespace {

class SnapshotCommand : public qvt::test::TTempFolderTest {
protected:
  int Qvt(const std::string& arguments) {
    int status = -1;
    qvt::test::Qvt("snapshot " + arguments, status);
    return status;
  }

  // The size of a PNG file; 0 by 0 when the file is no PNG.
  static std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {0, 0};
    png_image_free(&image);
    return {image.width, image.height};
  }
};

// The main form is the editor's size, the other forms hold their controls.
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
    const auto [width, height] = PngSize(Dir + "picture.png");
    if (c.Exact) {
      EXPECT_EQ(width, c.Width);
      EXPECT_EQ(height, c.Height);
    } else {
      EXPECT_GE(width, c.Width);
      EXPECT_GE(height, c.Height);
    }
  }
}

TEST_F(SnapshotCommand, UnknownFormsAndIncompleteArgumentsAreRefused) {
  EXPECT_EQ(Qvt("--form settings -o " + Dir + "x.png"), 2);
  EXPECT_EQ(Qvt("--form main"), 2);
  EXPECT_EQ(Qvt("--demo --form main -o " + Dir + "x.png"), 2);
  EXPECT_FALSE(std::filesystem::exists(Dir + "x.png"));
}

} // namespace
