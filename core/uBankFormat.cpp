#include "core/uBankFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "core/uParamTable.h"
#include "core/uParameters.h"

namespace qvt {

namespace {

constexpr std::size_t kNameSize = sizeof(TProgramRecord::Name);
constexpr int kPipeInvertIndex = piPipeFeedbackInvert; // the parameter version 21 lacks
constexpr int kWaveformIndices[] = {piOsc1Waveform, piOsc2Waveform, piOsc3Waveform};

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

} // namespace

TBankHeader ReadBankHeader(std::span<const std::uint8_t> bytes) {
  std::uint8_t raw[kBankHeaderSize] = {};
  if (!bytes.empty()) std::memcpy(raw, bytes.data(), std::min(bytes.size(), kBankHeaderSize));
  TBankHeader header;
  std::memcpy(header.Magic, raw, 4);
  header.Version = Word(raw, 4);
  header.Count = Word(raw, 6);
  return header;
}

TBankRefusal CheckBankHeader(const TBankHeader& header) {
  if (std::memcmp(header.Magic, kBankMagic, 4) != 0) return TBankRefusal::NotABank;
  if (header.Count == 0) return TBankRefusal::Empty;
  if (BankRecordSize(header.Version) == 0) return TBankRefusal::WrongVersion;
  return TBankRefusal::None;
}

std::size_t BankRecordSize(unsigned version) {
  switch (version) {
  case 22: return sizeof(TProgramRecord);
  case 21: return sizeof(TProgramRecord) - 4;
  case 20: return sizeof(TProgramRecord) - 8;
  default: return 0;
  }
}

TProgramRecord DecodeRecord(std::span<const std::uint8_t> bytes, unsigned version) {
  TProgramRecord record{}; // zero-filled, so version 20 lacks parameters 70 and 71 as 0
  const std::size_t size = std::min(bytes.size(), BankRecordSize(version));
  if (version == 21) {
    // The file has no parameter 32: its values 32 … 70 are parameters 33 … 71.
    const std::size_t head = kNameSize + 4 * kPipeInvertIndex;
    auto* target = reinterpret_cast<std::uint8_t*>(&record);
    if (size) std::memcpy(target, bytes.data(), std::min(size, head));
    if (size > head) std::memcpy(target + head + 4, bytes.data() + head, size - head);
    return record;
  }
  if (size) std::memcpy(&record, bytes.data(), size);
  if (version == 20)
    // Four waves were stored at 0, 1/3, 2/3 and 1; now they are 0, 0.1, 0.2 and 0.3.
    for (int index : kWaveformIndices) {
      const long double v = record.Values[index];
      record.Values[index] = static_cast<float>(RoundHalfEven(v * 3) * 0.1);
    }
  return record;
}

std::vector<TProgramRecord> DecodeRecords(std::span<const std::uint8_t> recordArea,
                                          const TBankHeader& header) {
  const std::size_t recordSize = BankRecordSize(header.Version);
  if (recordSize == 0) throw std::invalid_argument("unknown bank version");
  std::vector<TProgramRecord> programs;
  programs.reserve(header.Count);
  std::vector<std::uint8_t> buffer(recordSize);
  for (std::size_t i = 0; i < header.Count; ++i) {
    std::fill(buffer.begin(), buffer.end(), 0);
    const std::size_t at = i * recordSize;
    if (at < recordArea.size())
      std::memcpy(buffer.data(), recordArea.data() + at,
                  std::min(recordSize, recordArea.size() - at));
    programs.push_back(DecodeRecord(buffer, header.Version));
  }
  return programs;
}

std::vector<TProgramRecord> DecodeBank(std::span<const std::uint8_t> file) {
  const TBankHeader header = ReadBankHeader(file);
  return DecodeRecords(file.subspan(std::min(file.size(), kBankHeaderSize)), header);
}

std::vector<std::uint8_t> EncodeBank(std::span<const TProgramRecord> programs) {
  const std::size_t count = std::min<std::size_t>(programs.size(), 65535);
  std::vector<std::uint8_t> file(kBankHeaderSize + count * sizeof(TProgramRecord));
  std::memcpy(file.data(), kBankMagic, 4);
  file[4] = kBankFileVersion & 0xFF;
  file[5] = kBankFileVersion >> 8;
  file[6] = static_cast<std::uint8_t>(count & 0xFF);
  file[7] = static_cast<std::uint8_t>(count >> 8);
  if (count)
    std::memcpy(file.data() + kBankHeaderSize, programs.data(), count * sizeof(TProgramRecord));
  return file;
}

} // namespace qvt
