#include "tools/qvt/RenderBank.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/uBankFormat.h"

namespace qvt {

TBankProgram ReadBankProgram(std::span<const std::uint8_t> bytes, int index) {
  const TBankHeader header = ReadBankHeader(bytes);
  switch (CheckBankHeader(header)) {
  case TBankRefusal::NotABank: throw std::runtime_error("not a preset bank file");
  case TBankRefusal::Empty: throw std::runtime_error("the bank is empty");
  case TBankRefusal::WrongVersion:
    throw std::runtime_error("unsupported bank version " + std::to_string(header.Version));
  case TBankRefusal::None: break;
  }
  if (index < 0 || index >= header.Count)
    throw std::runtime_error("program " + std::to_string(index) +
                             " does not exist (the bank holds " + std::to_string(header.Count) +
                             ", numbered from 0)");
  const std::size_t recordSize = BankRecordSize(header.Version);
  const std::size_t offset = kBankHeaderSize + recordSize * static_cast<std::size_t>(index);
  if (bytes.size() < offset + recordSize)
    throw std::runtime_error("the file ends before program " + std::to_string(index));
  const TProgramRecord record = DecodeRecord(bytes.subspan(offset, recordSize), header.Version);
  TBankProgram program;
  program.Name = RecordName(record);
  for (std::size_t i = 0; i < program.Values.size(); ++i) program.Values[i] = record.Values[i];
  return program;
}

namespace {

std::vector<std::uint8_t> ReadBankFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) throw std::runtime_error(path + ": " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0)
    bytes.insert(bytes.end(), buffer, buffer + count);
  if (std::ferror(file.get())) throw std::runtime_error(path + ": " + std::strerror(errno));
  return bytes;
}

} // namespace

TBankProgram LoadBankProgram(const std::string& path, int index) {
  const auto bytes = ReadBankFile(path);
  try {
    return ReadBankProgram(bytes, index);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(path + ": " + error.what());
  }
}

std::vector<TBankProgram> LoadBankPrograms(const std::string& path) {
  const auto bytes = ReadBankFile(path);
  std::vector<TBankProgram> programs;
  try {
    programs.push_back(ReadBankProgram(bytes, 0)); // checks the header
    const int count = bytes[6] | bytes[7] << 8;
    for (int index = 1; index < count; ++index) programs.push_back(ReadBankProgram(bytes, index));
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(path + ": " + error.what());
  }
  return programs;
}

} // namespace qvt
