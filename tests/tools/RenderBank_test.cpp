// The render tool's choice of one program of a bank file, and its messages.
// (The record layouts' conversions are the bank codec's, tested with the core.)
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "core/uParamTable.h"
#include "tools/qvt/RenderBank.h"

namespace qvt {
namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes BankHeader(int version, int count) {
  TBytes header = {0xA4, 'Q', 'V', 'T', 0, 0, 0, 0};
  header[4] = static_cast<std::uint8_t>(version);
  header[6] = static_cast<std::uint8_t>(count);
  header[7] = static_cast<std::uint8_t>(count >> 8);
  return header;
}

// A record named `name` whose float number i holds `first` + i / 1000.
void AppendRecord(TBytes& bank, const char* name, int floats, float first) {
  std::uint8_t nameBytes[23] = {};
  std::memcpy(nameBytes, name, std::strlen(name));
  bank.insert(bank.end(), nameBytes, nameBytes + 23);
  for (int i = 0; i < floats; ++i) {
    const auto bits = std::bit_cast<std::uint32_t>(first + i / 1000.0f);
    for (int shift = 0; shift < 32; shift += 8)
      bank.push_back(static_cast<std::uint8_t>(bits >> shift));
  }
}

std::string ErrorOf(const TBytes& bank, int program) {
  try {
    ReadBankProgram(bank, program);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "(read)";
}

TEST(BankProgram, ReadsTheChosenRecordOfACurrentBank) {
  TBytes bank = BankHeader(22, 3);
  AppendRecord(bank, "Init", 72, 0.0f);
  AppendRecord(bank, "Second", 72, 0.25f);
  AppendRecord(bank, "Twenty-two characters!", 72, 0.5f);
  const TBankProgram second = ReadBankProgram(bank, 1);
  EXPECT_EQ(second.Name, "Second");
  EXPECT_FLOAT_EQ(second.Values[piLoop], 0.25f + 0.071f);
  EXPECT_EQ(ReadBankProgram(bank, 2).Name, "Twenty-two characters!");
}

TEST(BankProgram, RefusesFilesThatAreNotUsableBanks) {
  TBytes wrongMagic = BankHeader(22, 1);
  wrongMagic[0] = 'X';
  EXPECT_EQ(ErrorOf(wrongMagic, 0), "not a preset bank file");
  EXPECT_EQ(ErrorOf({0xA4, 'Q', 'V'}, 0), "not a preset bank file");
  EXPECT_EQ(ErrorOf(BankHeader(22, 0), 0), "the bank is empty");
  EXPECT_EQ(ErrorOf(BankHeader(23, 1), 0), "unsupported bank version 23");
  TBytes two = BankHeader(22, 2);
  AppendRecord(two, "A", 72, 0.0f);
  EXPECT_EQ(ErrorOf(two, 2), "program 2 does not exist (the bank holds 2, numbered from 0)");
  EXPECT_EQ(ErrorOf(two, 1), "the file ends before program 1");
}

} // namespace
} // namespace qvt
