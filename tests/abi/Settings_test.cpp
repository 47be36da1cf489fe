// The per-host settings (the registry on Windows) and the bank loaded at start, seen from outside.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "core/uBankFormat.h"
#include "core/uBankText.h"
#include "lib/uFileIo.h"
#include "lib/uRegistry.h"
#include "tests/abi/AbiFixture.h"

namespace {

// The test host answers vendor "Fernhollow Tools", product "qvt", version 1.
const std::string kHostKey = "SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\Fernhollow Tools\\qvt\\1\\";
const std::string kBankPath = kHostKey + "BankPath";
const std::string kNotesQuantization = kHostKey + "NotesQuantization";
constexpr auto kUser = qvt::TRegistryRoot::CurrentUser;

TProgramRecord NamedProgram(const char* name) {
  TProgramRecord program = qvt::DefaultProgram();
  std::snprintf(program.Name, sizeof program.Name, "%s", name);
  return program;
}

class PluginSettings : public ::testing::Test {
protected:
  void SetUp() override {
    std::random_device seed;
    std::error_code error;
    Folder =
        std::filesystem::temp_directory_path(error) / ("qvt-abi-banks-" + std::to_string(seed()));
    ASSERT_TRUE(std::filesystem::create_directories(Folder, error)) << error.message();
    ASSERT_TRUE(qvt::RegWriteText(kUser, kBankPath, ""));
    ASSERT_TRUE(qvt::RegWriteNumber(kUser, kNotesQuantization, 0));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }

  // Loads the plug-in, answers the name of the program it starts with and closes it.
  static std::string StartingProgramName() {
    std::string error;
    auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
    if (!plugin) return "load failed: " + error;
    return plugin->Text(effGetProgramName);
  }

  std::filesystem::path Folder;
};

} // namespace

TEST_F(PluginSettings, NotesQuantizationIsReadAtLoadAndWrittenBackAsANumberOnClose) {
  ASSERT_TRUE(qvt::RegWriteNumber(kUser, kNotesQuantization, 5));
  StartingProgramName();
  EXPECT_EQ(qvt::RegReadNumber(kUser, kNotesQuantization), 1u) << "any non-zero number is on";
  EXPECT_EQ(qvt::RegReadText(kUser, kNotesQuantization), "") << "stored as a number, not text";

  ASSERT_TRUE(qvt::RegWriteText(kUser, kNotesQuantization, "1"));
  StartingProgramName();
  EXPECT_EQ(qvt::RegReadNumber(kUser, kNotesQuantization), 0u) << "text counts as off";
}

TEST_F(PluginSettings, FactoryBankSoundsWhenNoBankFileIsRemembered) {
  const std::string factory = StartingProgramName(); // which program that is: Construction (core)
  const std::string missing = (Folder / "missing.qvt").string();
  ASSERT_TRUE(qvt::RegWriteText(kUser, kBankPath, missing));
  EXPECT_EQ(StartingProgramName(), factory);
  EXPECT_EQ(qvt::RegReadText(kUser, kBankPath), missing) << "a missing file is not forgotten";
}

TEST_F(PluginSettings, RememberedBankFileIsLoadedAtStartAfterItWasReplaced) {
  const std::string path = (Folder / "Mine.qvt").string();
  const std::vector<TProgramRecord> first = {NamedProgram("First Save"), NamedProgram("Other")};
  const std::vector<TProgramRecord> second = {NamedProgram("Second Save"), NamedProgram("Other"),
                                              NamedProgram("Third")};
  qvt::WriteFileAtomically(path, qvt::EncodeBank(first));
  qvt::WriteFileAtomically(path, qvt::EncodeBank(second)); // replaces the first save whole
  EXPECT_EQ(qvt::ReadWholeFile(path).size(), 8u + 3u * 311u);
  ASSERT_TRUE(qvt::RegWriteText(kUser, kBankPath, path));

  EXPECT_EQ(StartingProgramName(), "Second Save");
  EXPECT_EQ(qvt::RegReadText(kUser, kBankPath), path);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file is left beside the bank";
}
