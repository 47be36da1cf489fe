// Bank files: layout, old versions, refusals with their messages, short files, failed saves.
// Truncated files and any other bytes, as a file and as a stream, are the bank file fuzzer's
// (its corpus replays with the tests).
#include "core/uBankFormat.h"
#include "core/uSynth.h"
#include "lib/uFileIo.h"
#include "lib/uRegistry.h"
#include "tests/core/BankFileFixture.h"

using namespace bank_test;

namespace {

std::string Message(const char* format, const std::string& path) {
  std::string text = format;
  return text.replace(text.find("%s"), 2, path);
}

std::string RememberedBankPath(const TPlugin& plugin) {
  return qvt::RegReadText(qvt::TRegistryRoot::CurrentUser,
                          "SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\" + plugin.GetHostKey() +
                              "\\BankPath");
}

} // namespace

TEST_F(BankFiles, ThreeProgramsAreAHeaderAndThreeRecordsOf311Bytes) {
  TPlugin plugin(nullptr);
  const TProgramRecord programs[] = {Program("Alpha", 0.1f), Program("Beta", 0.2f),
                                     Program("Gamma", 0.3f)};
  Fill(plugin, {programs[0], programs[1], programs[2]});
  plugin.SaveBankFile(PathOf("three.qvt"));
  const TBytes file = Get("three.qvt");
  ASSERT_EQ(file.size(), 941u);
  EXPECT_EQ(TBytes(file.begin(), file.begin() + 8), Header(22, 3));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(std::memcmp(file.data() + 8 + 311 * i, &programs[i], 311), 0) << "record " << i;
}

TEST_F(BankFiles, LoadingABankLeavesTheSoundingProgramAlone) {
  TPlugin plugin(nullptr);
  plugin.LoadFirstProgram();
  const TProgramRecord sounding = plugin.EditBufferRecord();
  Fill(plugin, {Program("Other", 0.7f)});
  plugin.SaveBankFile(PathOf("other.qvt"));
  plugin.LoadFactoryBank();
  ASSERT_TRUE(plugin.LoadBankFile(PathOf("other.qvt")));
  EXPECT_EQ(plugin.EditBufferRecord(), sounding);
  EXPECT_EQ(RecordName(plugin.BankProgram(0)), "Other");
}

TEST_F(BankFiles, RefusedFilesShowTheirMessageAndChangeNothing) {
  struct TCase {
    const char* File;
    TBytes Bytes;
    const char* Format;
  };
  const char* notBank = "File \xAB%s\xBB is not Quivertone preset bank!";
  const char* empty = "File \xAB%s\xBB is empty Quivertone preset bank!";
  const char* version = "File \xAB%s\xBB is incorect version of Quivertone preset bank!";
  TBytes v23 = Header(23, 1), v19 = Header(19, 1), wrongMagic = Header(22, 1);
  v23.resize(8 + 311);
  v19.resize(8 + 311);
  wrongMagic[0] = 'X';
  const std::vector<TCase> cases = {
      {"empty.qvt", {0xA4, 0x51, 0x56, 0x54, 0x16, 0x00, 0x00, 0x00}, empty},
      {"v23.qvt", v23, version},
      {"v19.qvt", v19, version},
      {"zero-count-bad-version.qvt", Header(99, 0), empty}, // the count is checked first
      {"short.qvt", {0xA4, 'Q'}, notBank},
      {"magic.qvt", wrongMagic, notBank},
  };
  TPlugin plugin(nullptr);
  Fill(plugin, {Program("Keep", 0.4f)});
  plugin.SaveBankFile(PathOf("kept.qvt"));
  for (const TCase& c : cases) {
    Put(c.File, c.Bytes);
    Messages.clear();
    EXPECT_FALSE(plugin.LoadBankFile(PathOf(c.File))) << c.File;
    ASSERT_EQ(Messages.size(), 1u) << c.File;
    EXPECT_EQ(Messages[0].Text, Message(c.Format, PathOf(c.File)));
    EXPECT_EQ(Messages[0].Caption, "Quivertone v2.2");
    EXPECT_EQ(Messages[0].Flags, qvt::mbOk | qvt::mbIconError);
    EXPECT_EQ(BankOf(plugin), std::vector<TProgramRecord>{Program("Keep", 0.4f)}) << c.File;
    EXPECT_EQ(RememberedBankPath(plugin), PathOf("kept.qvt"));
  }
}

TEST_F(BankFiles, MissingOrUnreadableFilesRaiseTheSystemsErrorAndChangeNothing) {
  TPlugin plugin(nullptr);
  Fill(plugin, {Program("Keep", 0.4f)});
  EXPECT_THROW(plugin.LoadBankFile(PathOf("missing.qvt")), qvt::EFileError);
  std::filesystem::create_directory(Root / "folder.qvt");
  EXPECT_THROW(plugin.LoadBankFile(PathOf("folder.qvt")), qvt::EFileError);
  EXPECT_EQ(plugin.BankCount(), 1);
  EXPECT_TRUE(Messages.empty());
}

TEST_F(BankFiles, Version20WaveformsMoveToTheNewScaleAndTheLastTwoParametersAreZero) {
  TBytes file = Header(20, 1);
  AppendName(file, "Old");
  for (int i = 0; i < 70; ++i) {
    float value = 0.5f;
    if (i == 10) value = 0.3333f;
    if (i == 11) value = 1.0f;
    if (i == 12) value = 0.6667f;
    AppendFloat(file, value);
  }
  Put("v20.qvt", file);
  TPlugin plugin(nullptr);
  ASSERT_TRUE(plugin.LoadBankFile(PathOf("v20.qvt")));
  const TProgramRecord& program = plugin.BankProgram(0);
  EXPECT_EQ(float(program.Values[piOsc1Waveform]), 0.1f);
  EXPECT_EQ(float(program.Values[piOsc2Waveform]), 0.3f);
  EXPECT_EQ(float(program.Values[piOsc3Waveform]), 0.2f);
  EXPECT_EQ(float(program.Values[piStep16]), 0.5f);
  EXPECT_EQ(float(program.Values[piRootA4]), 0.0f);
  EXPECT_EQ(float(program.Values[piLoop]), 0.0f);
}

TEST_F(BankFiles, Version21GainsAnInvertSwitchThatIsOff) {
  TBytes file = Header(21, 1);
  AppendName(file, "Mid");
  for (int i = 0; i < 71; ++i) AppendFloat(file, i == 32 ? 0.7f : 0.01f * static_cast<float>(i));
  Put("v21.qvt", file);
  TPlugin plugin(nullptr);
  ASSERT_TRUE(plugin.LoadBankFile(PathOf("v21.qvt")));
  const TProgramRecord& program = plugin.BankProgram(0);
  EXPECT_EQ(float(program.Values[piPipeFeedback]), 0.01f * 31.0f);
  EXPECT_EQ(float(program.Values[piPipeFeedbackInvert]), 0.0f);
  EXPECT_EQ(float(program.Values[piPipeSeq]), 0.7f);
  EXPECT_EQ(float(program.Values[piLoop]), 0.01f * 70.0f); // the file's last value
  EXPECT_EQ(float(program.Values[piOsc1Waveform]),
            0.01f * 10.0f); // no waveform conversion after version 20
}

TEST_F(BankFiles, ARecordAreaShorterThanPromisedReadsAsZeros) {
  TBytes file = Header(22, 3);
  const TProgramRecord first = Program("First", 0.25f);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&first);
  file.insert(file.end(), raw, raw + 311);
  file.insert(file.end(), {'S', 'e', 'c'}); // three bytes of the second record
  Put("short.qvt", file);
  TPlugin plugin(nullptr);
  ASSERT_TRUE(plugin.LoadBankFile(PathOf("short.qvt")));
  ASSERT_EQ(plugin.BankCount(), 3);
  EXPECT_EQ(plugin.BankProgram(0), first);
  EXPECT_EQ(RecordName(plugin.BankProgram(1)), "Sec");
  EXPECT_EQ(float(plugin.BankProgram(1).Values[piGenerationScheme]), 0.0f);
  EXPECT_EQ(plugin.BankProgram(2), TProgramRecord{});
}

// How a failed write keeps the old file is the atomic writer's test.
TEST_F(BankFiles, AFailedSaveRaisesTheErrorAndKeepsTheRememberedBank) {
  TPlugin plugin(nullptr);
  plugin.SaveBankFile(PathOf("good.qvt"));
  std::filesystem::create_directories(Root / "bank.qvt/inside");
  EXPECT_THROW(plugin.SaveBankFile(PathOf("bank.qvt")), qvt::EFileError);
  EXPECT_EQ(RememberedBankPath(plugin), PathOf("good.qvt"));
}
