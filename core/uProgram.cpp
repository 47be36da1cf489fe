#include "core/uProgram.h"

#include <algorithm>
#include <cstring>

bool operator==(const TProgramRecord& a, const TProgramRecord& b) {
  return std::memcmp(&a, &b, sizeof(TProgramRecord)) == 0;
}

void SetRecordName(TProgramRecord& record, std::string_view name) {
  std::memset(record.Name, 0, sizeof(record.Name));
  const std::size_t length = std::min<std::size_t>(name.size(), qvt::kProgramNameLength);
  std::memcpy(record.Name, name.data(), length);
}

std::string RecordName(const TProgramRecord& record) {
  return std::string(record.Name, strnlen(record.Name, qvt::kProgramNameLength));
}

TEditBuffer::TEditBuffer() {
  for (auto& bits : Bits) bits.store(0, std::memory_order_relaxed);
  std::memset(Name_, 0, sizeof(Name_));
}

float TEditBuffer::Value(int index) const {
  return std::bit_cast<float>(Bits[index].load(std::memory_order_relaxed));
}

void TEditBuffer::SetValue(int index, float value) {
  Bits[index].store(std::bit_cast<std::uint32_t>(value), std::memory_order_relaxed);
}

std::string TEditBuffer::Name() const {
  std::lock_guard lock(NameLock);
  return std::string(Name_, strnlen(Name_, qvt::kProgramNameLength));
}

void TEditBuffer::SetName(std::string_view name) {
  std::lock_guard lock(NameLock);
  std::memset(Name_, 0, sizeof(Name_));
  std::memcpy(Name_, name.data(), std::min<std::size_t>(name.size(), qvt::kProgramNameLength));
}

TProgramRecord TEditBuffer::Record() const {
  TProgramRecord record;
  {
    std::lock_guard lock(NameLock);
    std::memcpy(record.Name, Name_, sizeof(record.Name));
  }
  for (int i = 0; i < qvt::kNumStoredParams; ++i) record.Values[i] = Value(i);
  return record;
}

void TEditBuffer::Assign(const TProgramRecord& record) {
  {
    std::lock_guard lock(NameLock);
    std::memcpy(Name_, record.Name, sizeof(Name_));
  }
  for (int i = 0; i < qvt::kNumStoredParams; ++i) SetValue(i, record.Values[i]);
}
