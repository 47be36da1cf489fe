// What the fuzz targets share: a reader that turns the fuzzer's bytes into
// choices, a scripted host, and checks that stop the run when they fail.
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
  std::size_t Remaining() const { return Empty() ? 0 : Size - Position; }

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

// The host callback of every target: version 2400 and a settable tempo.
VstIntPtr VSTCALLBACK Host(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt);
void SetHostTempo(double beatsPerMinute);

// Once per process: keeps the settings and data folders away from the user's
// and silences message boxes (refused bank files show one).
void SetUpProcess();
// A file name in the run's own temporary folder.
std::string ScratchPath(std::string_view name);

// Aborts with the message when the condition does not hold, so that both
// libFuzzer and the corpus replay report the input.
void Check(bool condition, std::string_view what);

bool AllFinite(const float* samples, std::size_t count);

// Sends a note-on of `key` and renders `blocks` blocks of 512 frames, each of which must be
// finite (`what` names the check).
void PlayNote(AEffect* effect, int key, int blocks, std::string_view what);

} // namespace qvt::fuzz
