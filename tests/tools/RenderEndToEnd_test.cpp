// The render tool end to end: the qvt program's files and answers on the command line. (The
// built instrument's sound through its binary interface: tests/abi.)
#include <gtest/gtest.h>

#include <filesystem>
#include <sndfile.h>

#include "tests/tools/QvtProcess.h"
#include "tests/tools/SmfBytes.h"

namespace qvt {
namespace {

using test::TBytes;

// A4 held from 0 to 1.5 s at 120 BPM (480 ticks per quarter).
TBytes HeldA4() {
  return test::Smf(
      0, 480,
      {test::Track(
          {{0x00, 0x90, 69, 100}, test::VarLen(1440), {0x80, 69, 0}, test::EndOfTrack()})});
}

using test::Qvt;

class QvtRender : public test::TTempFolderTest {
protected:
  std::string Write(const std::string& name, const TBytes& bytes) {
    Put(Dir + name, std::string(bytes.begin(), bytes.end()));
    return Dir + name;
  }
};

TEST_F(QvtRender, AMalformedSongGetsOneLineNamingTheFileAndProblem) {
  TBytes truncated = HeldA4();
  truncated.resize(truncated.size() - 3);
  const std::string song = Write("cut.mid", truncated);
  int status = 0;
  const std::string output =
      Qvt("render " QVT_RECORDER_Replacing_PATH " " + song + " -o " + Dir + "out.wav", status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(output, "qvt render: " + song +
                        ": track 1 is truncated: its length 13 exceeds the 10 bytes left in the "
                        "file\n");
  EXPECT_FALSE(std::filesystem::exists(Dir + "out.wav"));
}

TEST_F(QvtRender, AMissingSongOrBadOptionFailsWithoutACrash) {
  int status = 0;
  const std::string missing = Qvt("render " + Dir + "none.mid -o " + Dir + "o.wav", status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(missing, "qvt render: " + Dir + "none.mid: No such file or directory\n");
  Qvt("render song.mid -o o.wav --bits 12", status);
  EXPECT_EQ(status, 2);
}

TEST_F(QvtRender, WritesTheWavAndPictureAndPrintsTheFigures) {
  const std::string song = Write("a4.mid", HeldA4());
  int status = 0;
  const std::string output = Qvt(
      "render " QVT_RECORDER_Accumulating_PATH " " + song + " -o " + Dir +
          "out.wav --bits 16 --rate 48000 --tail 0.25 --set Level#2=0.5 --plot " + Dir + "out.png",
      status);
  EXPECT_EQ(status, 0) << output;
  SF_INFO info{};
  SNDFILE* wav = sf_open((Dir + "out.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(wav, nullptr) << output;
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(info.samplerate, 48000);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.frames, 72001 + 12000); // the song up to its note-off at 1.5 s, then the tail
  sf_close(wav);
  EXPECT_TRUE(std::filesystem::exists(Dir + "out.png"));
  // Two impulses of 1.0 (the recorder's note-on and note-off): full-scale peak.
  EXPECT_NE(output.find("peak         0.00 dBFS"), std::string::npos) << output;
}

} // namespace
} // namespace qvt
