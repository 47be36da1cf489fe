// Reads one program of a preset bank file (.qvt) for the render tool.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qvt {

constexpr int kStoredParameterCount = 72;

struct TBankProgram {
  std::string Name;
  std::array<float, kStoredParameterCount> Values{};
};

// Program `index` (counted from 0) of a bank file image, converted from the older record
// layouts (versions 20 and 21) to the current one. Throws std::runtime_error naming the problem.
TBankProgram ReadBankProgram(std::span<const std::uint8_t> bytes, int index);
TBankProgram LoadBankProgram(const std::string& path, int index);
// Every program of a bank file, in bank order; throws as LoadBankProgram does.
std::vector<TBankProgram> LoadBankPrograms(const std::string& path);

} // namespace qvt
