// The bank file's byte layout: an 8-byte header (magic A4 "QVT", version,
// program count; little-endian) and the program records. Versions 20 and 21
// hold shorter records that are converted to the current one when read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/uProgram.h"

namespace qvt {

inline constexpr std::uint8_t kBankMagic[4] = {0xA4, 'Q', 'V', 'T'};
inline constexpr std::uint16_t kBankFileVersion = 22; // the version files are written with
inline constexpr std::size_t kBankHeaderSize = 8;

struct TBankHeader {
  std::uint8_t Magic[4] = {};
  std::uint16_t Version = 0;
  std::uint16_t Count = 0;
};

// The header from the first bytes of a file; bytes the file lacks read as 0.
TBankHeader ReadBankHeader(std::span<const std::uint8_t> bytes);

// Why a header is refused, checked in this order.
enum class TBankRefusal { None, NotABank, Empty, WrongVersion };
TBankRefusal CheckBankHeader(const TBankHeader& header);

// Record size of a file version (311, 307, 303); 0 for an unknown version.
std::size_t BankRecordSize(unsigned version);
// The largest file a bank can need: header and 65535 records of the current size.
inline constexpr std::size_t kMaxBankFileSize = kBankHeaderSize + 65535 * sizeof(TProgramRecord);

// One record of the given version as a current record (`bytes` holds the
// record size of that version).
TProgramRecord DecodeRecord(std::span<const std::uint8_t> bytes, unsigned version);

// The header's count of records from `recordArea` (the bytes after the
// header); bytes the area lacks read as 0. Throws std::invalid_argument for
// an unknown version.
std::vector<TProgramRecord> DecodeRecords(std::span<const std::uint8_t> recordArea,
                                          const TBankHeader& header);

// A whole file: header and records. Throws std::invalid_argument for an unknown version.
std::vector<TProgramRecord> DecodeBank(std::span<const std::uint8_t> file);

// A current-version file of the programs (at most 65535 are written).
std::vector<std::uint8_t> EncodeBank(std::span<const TProgramRecord> programs);

} // namespace qvt
