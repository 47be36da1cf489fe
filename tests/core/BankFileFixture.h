// A plug-in object on a temporary folder, with its message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/uPlugin.h"
#include "platform/core/uMessageBox.h"

namespace bank_test {

using TBytes = std::vector<std::uint8_t>;

inline TProgramRecord Program(const char* name, float fill) {
  TProgramRecord record{};
  SetRecordName(record, name);
  for (int i = 0; i < 72; ++i) record.Values[i] = fill + 0.001f * static_cast<float>(i);
  return record;
}

// The magic, then version and count as 16-bit little-endian numbers.
inline TBytes Header(std::uint16_t version, std::uint16_t count) {
  TBytes bytes = {0xA4, 'Q', 'V', 'T'};
  for (std::uint16_t field : {version, count}) {
    bytes.push_back(static_cast<std::uint8_t>(field));
    bytes.push_back(static_cast<std::uint8_t>(field >> 8));
  }
  return bytes;
}

inline void AppendFloat(TBytes& bytes, float value) {
  std::uint8_t raw[4];
  std::memcpy(raw, &value, 4);
  bytes.insert(bytes.end(), raw, raw + 4);
}

inline void AppendName(TBytes& bytes, const char* name) {
  char raw[23] = {};
  std::strncpy(raw, name, 22);
  bytes.insert(bytes.end(), raw, raw + 23);
}

class BankFiles : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvt-bank-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Root = pattern;
    // Settings of this test only: a bank saved here is remembered here.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    OldConfig = config ? config : "";
    ::setenv("XDG_CONFIG_HOME", (Root / "config").c_str(), 1);
  }
  void TearDown() override {
    ::setenv("XDG_CONFIG_HOME", OldConfig.c_str(), 1);
    std::error_code ignored;
    std::filesystem::permissions(Root, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(Root, ignored);
  }

  std::string PathOf(const std::string& name) const { return (Root / name).string(); }
  void Put(const std::string& name, const TBytes& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  TBytes Get(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<TProgramRecord> BankOf(const TPlugin& plugin) const {
    std::vector<TProgramRecord> bank;
    for (int i = 0; i < plugin.BankCount(); ++i) bank.push_back(plugin.BankProgram(i));
    return bank;
  }
  void Fill(TPlugin& plugin, std::initializer_list<TProgramRecord> programs) {
    plugin.ClearBank();
    for (const auto& program : programs) plugin.AddProgram(program);
  }

  std::filesystem::path Root;
  std::string OldConfig;
  std::vector<qvt::TMessageBoxRequest> Messages;
  qvt::TScopedMessageBoxHandler Boxes{[this](const qvt::TMessageBoxRequest& request) {
    Messages.push_back(request);
    return static_cast<int>(qvt::idOk);
  }};
};

} // namespace bank_test
