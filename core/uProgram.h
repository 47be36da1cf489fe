// The program record (name and 72 stored parameter values) and the edit buffer
// that holds the program sounding now.
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "lib/uGlobals.h"

static_assert(std::endian::native == std::endian::little,
              "program records are stored little-endian, as in memory");

#pragma pack(push, 1)
// 311 bytes without gaps: identical in memory, in the bank and in bank files.
struct TProgramRecord {
  char Name[qvt::kProgramNameLength + 1]; // 8-bit text, zero-terminated
  float Values[qvt::kNumStoredParams];
};
#pragma pack(pop)
static_assert(sizeof(TProgramRecord) == 311);

bool operator==(const TProgramRecord& a, const TProgramRecord& b); // byte-wise

// Sets the record's name, cut to 22 characters and zero-filled behind.
void SetRecordName(TProgramRecord& record, std::string_view name);
std::string RecordName(const TProgramRecord& record);

// The edit buffer. Parameter values are read and written from any host thread,
// so each is kept as an atomic bit pattern; the record form is a snapshot.
class TEditBuffer {
public:
  TEditBuffer();

  float Value(int index) const; // index 0…71
  void SetValue(int index, float value);
  std::string Name() const;
  void SetName(std::string_view name); // cut to 22 characters

  TProgramRecord Record() const;
  void Assign(const TProgramRecord& record);

private:
  std::array<std::atomic<std::uint32_t>, qvt::kNumStoredParams> Bits;
  mutable std::mutex NameLock; // never taken on the audio thread
  char Name_[qvt::kProgramNameLength + 1];
};
