// What the fuzz targets share: the input as choices, a host callback, checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/vst2.h"

namespace qvt::fuzz {

// Hands out the input's bytes as numbers; past the end every read answers 0.
class TFuzzInput {
public:
  TFuzzInput(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}

  bool Empty() const { return Position >= Size; }

  std::uint8_t Byte();
  bool Bool() { return Byte() & 1; }
  std::uint32_t Bits32();
  std::int32_t Int32() { return static_cast<std::int32_t>(Bits32()); }
  // Uniform enough in low…high (inclusive) for a fuzzer's purposes.
  std::int32_t InRange(std::int32_t low, std::int32_t high);
  // Mostly small, sometimes the edges of the type.
  std::int32_t Index();
  // Mostly 0…1, sometimes out of range, huge, tiny, infinite or not a number.
  float Value();
  // Up to `limit` bytes of text.
  std::string Text(std::size_t limit);

private:
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Position = 0;
};

// Version 2400 and a settable tempo.
VstIntPtr VSTCALLBACK Host(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt);
void SetHostTempo(double beatsPerMinute);

// Silences message boxes (refused bank files show one); settings stay in a temporary folder.
void SetUpProcess();
std::string ScratchPath(std::string_view name);

// Aborts with the message, so that libFuzzer and the replay report the input.
void Check(bool condition, std::string_view what);

bool AllFinite(const float* samples, std::size_t count);

// A note-on of `key`, then `blocks` blocks of 512 frames that must be finite.
void PlayNote(AEffect* effect, int key, int blocks, std::string_view what);

} // namespace qvt::fuzz
