// Per-host settings: the host key, the remembered bank, note quantisation, folders.
#include <unistd.h>

#include "core/uBankFormat.h"
#include "lib/uPaths.h"
#include "lib/uRegistry.h"
#include "tests/core/BankFileFixture.h"

using namespace bank_test;

namespace {

// A host whose vendor, product and version answers the test chooses.
struct THostAnswers {
  std::string Vendor = "V", Product = "P";
  VstIntPtr Version = 3;
  bool Succeeds = true;
  std::size_t WriteBytes = 0; // when set, the host writes this many bytes of its text
};
THostAnswers gHost;

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
  auto answer = [ptr](const std::string& text) -> VstIntPtr {
    const std::size_t n = gHost.WriteBytes ? gHost.WriteBytes : text.size() + 1;
    std::memcpy(ptr, text.c_str(), std::min(n, text.size() + 1));
    return gHost.Succeeds ? 1 : 0;
  };
  switch (opcode) {
  case audioMasterVersion: return 2400;
  case audioMasterGetVendorString: return answer(gHost.Vendor);
  case audioMasterGetProductString: return answer(gHost.Product);
  case audioMasterGetVendorVersion: return gHost.Version;
  default: return 0;
  }
}

const std::string kKey = "SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\V\\P\\3\\";
constexpr auto kUser = qvt::TRegistryRoot::CurrentUser;

class Settings : public BankFiles {
protected:
  void SetUp() override {
    BankFiles::SetUp();
    gHost = THostAnswers{};
  }
};

} // namespace

TEST_F(Settings, AFailedAnswerStillUsesTheBufferAndNoHostMeansUnknown) {
  gHost.Succeeds = false;
  gHost.Vendor = "";
  EXPECT_EQ(TPlugin(Host).GetHostKey(), "\\P\\3");
  EXPECT_EQ(TPlugin(nullptr).GetHostKey(), "Unknown\\Unknown\\0");
}

TEST_F(Settings, LongHostTextsAreCutTo63CharactersEvenWhenTheHostWritesPast64Bytes) {
  gHost.Vendor = std::string(200, 'v');
  gHost.Product = std::string(62, 'p') + "\xC3\xA9"; // the cut must not split a character
  gHost.WriteBytes = 201;
  const std::string key = TPlugin(Host).GetHostKey();
  EXPECT_EQ(key, std::string(63, 'v') + "\\" + std::string(62, 'p') + "\\3");
}

TEST_F(Settings, TheRememberedBankIsLoadedAtConstruction) {
  {
    TPlugin plugin(Host);
    Fill(plugin, {Program("Mine", 0.3f), Program("Also", 0.6f)});
    plugin.SaveBankFile(PathOf("mine.qvt"));
  }
  TPlugin again(Host);
  EXPECT_EQ(again.GetBankFilePath(), PathOf("mine.qvt"));
  EXPECT_EQ(RecordName(again.BankProgram(0)), "Mine");
  // Another host does not share the setting.
  gHost.Product = "Other";
  TPlugin other(Host);
  EXPECT_EQ(other.GetBankFilePath(), "");
  EXPECT_NE(RecordName(other.BankProgram(0)), "Mine");
  // Once the file is gone the factory bank plays, without a message.
  gHost.Product = "P";
  std::filesystem::remove(PathOf("mine.qvt"));
  EXPECT_EQ(BankOf(TPlugin(Host)), BankOf(other));
  EXPECT_TRUE(Messages.empty());
}

TEST_F(Settings, ARefusedRememberedBankIsReportedAndTheFactoryBankPlays) {
  TPlugin factory(Host);
  Put("broken.qvt", {'n', 'o', 'p', 'e'});
  qvt::RegWriteText(kUser, kKey + "BankPath", PathOf("broken.qvt"));
  TPlugin plugin(Host);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Text,
            "File \xAB" + PathOf("broken.qvt") + "\xBB is not Quivertone preset bank!");
  EXPECT_EQ(BankOf(plugin), BankOf(factory));
  EXPECT_EQ(plugin.GetBankFilePath(), PathOf("broken.qvt")); // the setting stays as it was
}

// Reading and writing back a stored number or text is the ABI suite's settings test.
TEST_F(Settings, ASwitchedNotesQuantizationIsKept) {
  TPlugin(Host).SetNotesQuantization(true);
  EXPECT_EQ(qvt::RegReadNumber(kUser, kKey + "NotesQuantization"), 1u);
  EXPECT_TRUE(TPlugin(Host).GetNotesQuantization());
}

// Where the folders lie and that they are made: the Paths tests.
TEST_F(Settings, TheHelpFileLiesBesideTheLibrary) {
  const std::string module = qvt::FolderOfFile(qvt::ModuleFileName());
  EXPECT_EQ(TPlugin(Host).GetHelpFile(), module + "Help.html");
}
