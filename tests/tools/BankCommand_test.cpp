// qvt bank: list, dump and build through the command line, and the round trip between them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/tools/QvtProcess.h"

using BankCommand = qvt::test::TTempFolderTest;
using qvt::test::Qvt;

TEST_F(BankCommand, TheFactorySourceBuildsDumpsAndBuildsToTheSameFile) {
  const std::string source = std::string(QVT_SOURCE_DIR) + "/resources/bank/factory-bank.txt";
  int status = -1;
  Qvt("bank build " + source + " -o " + Dir + "a.qvt", status);
  ASSERT_EQ(status, 0);
  const std::string text = Qvt("bank dump " + Dir + "a.qvt", status);
  ASSERT_EQ(status, 0);
  std::ofstream(Dir + "dumped.txt") << text;
  Qvt("bank build " + Dir + "dumped.txt -o " + Dir + "b.qvt", status);
  ASSERT_EQ(status, 0);
  EXPECT_FALSE(Contents(Dir + "a.qvt").empty());
  EXPECT_EQ(Contents(Dir + "a.qvt"), Contents(Dir + "b.qvt"));
}

TEST_F(BankCommand, ListShowsIndexAndName) {
  std::ofstream(Dir + "two.txt") << "[First]\n[Caf\xC3\xA9]\nOsc1 Level = 50%\n";
  int status = -1;
  Qvt("bank build " + Dir + "two.txt -o " + Dir + "two.qvt", status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(Qvt("bank list " + Dir + "two.qvt", status), "    0  First\n    1  Caf\xC3\xA9\n");
  EXPECT_EQ(status, 0);
}

TEST_F(BankCommand, SourceMistakesAndRefusedFilesFail) {
  std::ofstream(Dir + "bad.txt") << "[A]\nNo Such Thing = 1\n";
  int status = -1;
  Qvt("bank build " + Dir + "bad.txt -o " + Dir + "bad.qvt", status);
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(std::filesystem::exists(Dir + "bad.qvt"));
  std::ofstream(Dir + "not.qvt") << "not a bank";
  Qvt("bank list " + Dir + "not.qvt", status);
  EXPECT_EQ(status, 1);
}
