#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/core/uMessageBox.h"
// Settings and data folders of a fuzz run live in a temporary folder.
#include "tests/IsolatedUserFolders.h"
#include "tests/core/MidiList.h"

namespace qvt::fuzz {

std::uint8_t TFuzzInput::Byte() { return Empty() ? 0 : Data[Position++]; }

std::uint32_t TFuzzInput::Bits32() {
  std::uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits = bits << 8 | Byte();
  return bits;
}

std::int32_t TFuzzInput::InRange(std::int32_t low, std::int32_t high) {
  const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
  const std::uint64_t pick = span <= 256 ? Byte() : Bits32();
  return static_cast<std::int32_t>(low + static_cast<std::int64_t>(pick % span));
}

std::int32_t TFuzzInput::Index() {
  switch (Byte() % 8) {
  case 0: return std::numeric_limits<std::int32_t>::min();
  case 1: return std::numeric_limits<std::int32_t>::max();
  case 2: return -1 - InRange(0, 255);
  case 3: return Int32();
  default: return InRange(0, 90);
  }
}

float TFuzzInput::Value() {
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  constexpr float kSpecial[] = {0.0f,
                                1.0f,
                                0.5f,
                                -0.0f,
                                -1.0f,
                                2.0f,
                                1.0e-30f,
                                std::numeric_limits<float>::denorm_min(),
                                1.0e30f,
                                -1.0e30f,
                                std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::lowest(),
                                kInfinity,
                                -kInfinity,
                                std::numeric_limits<float>::quiet_NaN()};
  const std::uint8_t kind = Byte();
  if (kind < 160) return static_cast<float>(Byte()) / 255.0f;
  if (kind < 224) return kSpecial[Byte() % std::size(kSpecial)];
  const std::uint32_t bits = Bits32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string TFuzzInput::Text(std::size_t limit) {
  const std::size_t wanted = Byte() % (limit + 1); // read before the remaining bytes are counted
  const std::size_t length = Empty() ? 0 : std::min(wanted, Size - Position);
  std::string text(reinterpret_cast<const char*>(Data + Position), length);
  Position += length;
  return text;
}

namespace {
std::atomic<double> gTempo{120.0};
} // namespace

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
  case audioMasterVersion: return 2400;
  case audioMasterTempoAt: return static_cast<VstIntPtr>(gTempo.load() * 10000.0);
  default: return 0;
  }
}

void SetHostTempo(double beatsPerMinute) { gTempo.store(beatsPerMinute); }

void SetUpProcess() {
  SetMessageBoxHandler(
      [](const TMessageBoxRequest& request) { return PassiveAnswer(request.Flags); });
}

std::string ScratchPath(std::string_view name) {
  return (qvt::test::gIsolatedUserFolders.Root / name).string();
}

void Check(bool condition, std::string_view what) {
  if (condition) return;
  std::fprintf(stderr, "check failed: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

bool AllFinite(const float* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (!std::isfinite(samples[i])) return false;
  return true;
}

void PlayNote(AEffect* effect, int key, int blocks, std::string_view what) {
  TMidiList note(0x90, key, 100);
  effect->dispatcher(effect, effProcessEvents, 0, 0, &note.List, 0.0f);
  float left[512], right[512];
  float* outputs[2] = {left, right};
  for (int block = 0; block < blocks; ++block) {
    effect->processReplacing(effect, nullptr, outputs, 512);
    Check(AllFinite(left, 512) && AllFinite(right, 512), what);
  }
}

} // namespace qvt::fuzz
