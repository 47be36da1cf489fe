// qvt bank check: the factory bank keeps its levels over the phrases a player plays, and the
// check names the programs that do not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/QvtProcess.h"
#include "tools/qvt/BankCheck.h"

namespace {

using qvt::TPhraseNote;
using qvt::test::Qvt;

void WritePhrase(const std::string& path, const std::vector<TPhraseNote>& notes, double bpm) {
  const auto bytes = qvt::PhraseFile(notes, bpm);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The phrases of the factory check, kept in the build tree so that the command the test prints
// can be run again by hand while the bank is being edited.
std::string WritePhrases(const std::string& dir) {
  std::filesystem::create_directories(dir);
  // Every octave's C from C1 to C7 at velocities 1, 64 and 127, each held 0.3 s and released
  // for 0.3 s (120 beats per minute).
  std::vector<TPhraseNote> notes;
  double beat = 0.0;
  for (int key = 24; key <= 96; key += 12)
    for (const int velocity : {1, 64, 127}) {
      notes.push_back({beat, 0.6, key, velocity});
      beat += 1.2;
    }
  WritePhrase(dir + "/notes.mid", notes, 120.0);

  // Sixteenths at 140 beats per minute, every note played twice, up two octaves from C3 and down.
  const int scale[] = {48, 50, 52, 53, 55, 57, 59, 60, 62, 64, 65, 67, 69, 71, 72};
  std::vector<TPhraseNote> run;
  beat = 0.0;
  for (int step = 0; step < 29; ++step) {
    const int key = scale[step < 15 ? step : 28 - step];
    for (int repeat = 0; repeat < 2; ++repeat, beat += 0.25)
      run.push_back({beat, 0.2, key, 64 + 63 * repeat});
  }
  WritePhrase(dir + "/run.mid", run, 140.0);

  // Notes held for a cycle and a half of a pattern at four steps a beat, so the pattern runs and
  // glides and the phase-scale programs bloom, in three registers; then a legato pair.
  WritePhrase(dir + "/glide.mid",
              {{0.0, 6.0, 36, 100},
               {6.0, 6.0, 60, 100},
               {12.0, 6.0, 84, 100},
               {18.0, 1.2, 48, 100},
               {19.0, 1.0, 55, 100}},
              120.0);
  return dir + "/notes.mid " + dir + "/run.mid " + dir + "/glide.mid";
}

using BankCheck = qvt::test::TTempFolderTest;

#ifdef QVT_PLUGIN_PATH

TEST_F(BankCheck, TheFactoryBankKeepsItsLevelsOverSingleNotesARunAGlideAndTheDemoSong) {
#ifdef QVT_SLOW_RENDERS
  GTEST_SKIP() << "forty programs through the instrumented plug-in take too long";
#endif
  int status = -1;
  const std::string factory = Dir + "factory.qvt";
  Qvt("bank build " + std::string(QVT_SOURCE_DIR) + "/resources/bank/factory-bank.txt -o " +
          factory,
      status);
  ASSERT_EQ(status, 0);
  const std::string command = "bank check " + factory + " " +
                              WritePhrases(std::string(QVT_BINARY_DIR) + "/bank-check-phrases") +
                              " " + QVT_SOURCE_DIR + "/examples/demo.mid --plugin " +
                              QVT_PLUGIN_PATH;
  const std::string report = Qvt(command, status);
  EXPECT_EQ(status, 0) << "qvt " << command << "\n" << report;
  EXPECT_NE(report.find("0 of 40 programs fail"), std::string::npos) << report;
}

// Also run under ThreadSanitizer: the renders are spread over threads.
TEST_F(BankCheck, RendersOnSeveralThreadsAndNamesTheProgramsThatClipOrStandOut) {
  // A sine at full level peaks at 0 dBFS; one at 30 % lies 21 dB below the median ("Middle").
  std::ofstream(Dir + "bank.txt") << "[Full]\nOsc3 Level = 100%\n"
                                     "[Middle]\nOsc3 Level = 85%\n"
                                     "[Quiet]\nOsc3 Level = 30%\n";
  int status = -1;
  Qvt("bank build " + Dir + "bank.txt -o " + Dir + "bank.qvt", status);
  ASSERT_EQ(status, 0);
  const std::string report =
      Qvt("bank check " + Dir + "bank.qvt --jobs 3 --plugin " + QVT_PLUGIN_PATH, status);
  EXPECT_EQ(status, 1) << report;
  const auto line = [&report](const std::string& name) {
    const auto at = report.find(name);
    return at == std::string::npos ? std::string("(missing)")
                                   : report.substr(at, report.find('\n', at) - at);
  };
  EXPECT_NE(line("Full").find("FAILS: peak"), std::string::npos) << report;
  EXPECT_EQ(line("Middle").find("FAILS"), std::string::npos) << report;
  EXPECT_NE(line("Quiet").find("FAILS: loudness"), std::string::npos) << report;

  Qvt("bank check " + Dir + "missing.qvt --plugin " + QVT_PLUGIN_PATH, status);
  EXPECT_EQ(status, 1);
  Qvt("bank check --plugin " + std::string(QVT_PLUGIN_PATH), status);
  EXPECT_EQ(status, 2);
}

#endif

} // namespace
