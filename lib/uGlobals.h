// Constants shared by every layer, the oscillator wave enumeration and the
// lookup of data packed into the plug-in library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qvt {

inline constexpr int kNumParams = 81;       // parameters the host sees
inline constexpr int kNumStoredParams = 72; // parameters kept in a program record
inline constexpr int kNumPrograms = 1;      // programs the host sees
inline constexpr int kNumSteps = 16;        // steps of the pattern
inline constexpr int kProgramNameLength = 22;
inline constexpr int kMaxBankPrograms = 65535;

inline constexpr const char* kEffectName = "Quivertone";
inline constexpr const char* kVendorName = "Fernhollow";
inline constexpr const char* kProductName = "Quivertone";
inline constexpr const char* kMessageCaption = "Quivertone v2.2";
inline constexpr int kVendorVersion = 2;

// Intermediate arithmetic of the sound's formulas that the first platform ran
// in 80-bit x87 precision. Double precision by default (the precision test
// bounds whole renders against the reference); the CMake option
// QVT_EXTENDED_REFERENCE=ON restores 80-bit arithmetic where the platform has it.
// Stored fields keep their own types.
#if defined(QVT_EXTENDED_REFERENCE)
using Extended = long double;
#else
using Extended = double;
#endif
// An extended-precision literal at the precision of Extended: 0.33_x.
constexpr Extended operator""_x(long double Value) { return static_cast<Extended>(Value); }

} // namespace qvt

// The four single-cycle waves of the wavetable, in table order.
enum TOscType : std::uint8_t { otSin = 0, otTri = 1, otSaw = 2, otISw = 3 };

inline constexpr int kOscTypeCount = 4;
inline constexpr const char* kOscTypeText[kOscTypeCount] = {"Sine", "Triangle", "Sawtooth",
                                                            "Inv Saw"};

// A block of bytes packed into the library at build time, found by resource
// type and name. Data is null and Size 0 when no such resource exists.
struct TResourceData {
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
};

TResourceData FindResourceData(const char* type, const char* name);
