#include "tools/qvt/RenderBank.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qvt {

namespace {

constexpr std::uint8_t kMagic[4] = {0xA4, 'Q', 'V', 'T'};
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kNameSize = 23;

float LittleEndianFloat(const std::uint8_t* bytes) {
  const std::uint32_t bits =
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  return std::bit_cast<float>(bits);
}

// Which stored parameter the file's float number `slot` holds, by version.
int ParameterOfSlot(int version, int slot) {
  if (version == 21 && slot >= 32) return slot + 1; // version 21 files lack parameter 32
  return slot;
}

} // namespace

TBankProgram ReadBankProgram(std::span<const std::uint8_t> bytes, int index) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 4) != 0)
    throw std::runtime_error("not a preset bank file");
  const int version = bytes[4] | bytes[5] << 8;
  const int count = bytes[6] | bytes[7] << 8;
  if (count == 0) throw std::runtime_error("the bank is empty");
  int floats = 0;
  switch (version) {
  case 20: floats = 70; break;
  case 21: floats = 71; break;
  case 22: floats = 72; break;
  default: throw std::runtime_error("unsupported bank version " + std::to_string(version));
  }
  if (index < 0 || index >= count)
    throw std::runtime_error("program " + std::to_string(index) +
                             " does not exist (the bank holds " + std::to_string(count) +
                             ", numbered from 0)");
  const std::size_t recordSize = kNameSize + 4 * static_cast<std::size_t>(floats);
  const std::size_t offset = kHeaderSize + recordSize * static_cast<std::size_t>(index);
  if (bytes.size() < offset + recordSize)
    throw std::runtime_error("the file ends before program " + std::to_string(index));

  const std::uint8_t* record = bytes.data() + offset;
  TBankProgram program;
  const auto nameBytes = reinterpret_cast<const char*>(record);
  program.Name.assign(nameBytes, strnlen(nameBytes, kNameSize - 1));
  for (int slot = 0; slot < floats; ++slot)
    program.Values[static_cast<std::size_t>(ParameterOfSlot(version, slot))] =
        LittleEndianFloat(record + kNameSize + 4 * slot);
  if (version == 20) // the waveform numbers of four waves were stored as 0, 1/3, 2/3 and 1
    for (std::size_t wave = 10; wave <= 12; ++wave)
      program.Values[wave] = static_cast<float>(std::nearbyint(program.Values[wave] * 3.0f) * 0.1);
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
