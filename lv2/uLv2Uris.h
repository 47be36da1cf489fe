// The LV2 plug-in's identity and port layout, shared by the plug-in, its
// description generator and the tests.
#pragma once

#include <cstdint>

#include "lib/uGlobals.h"

#define QVT_LV2_URI "https://quivertone.org/lv2/quivertone"

namespace qvt::lv2 {

inline constexpr const char* kPluginUri = QVT_LV2_URI;
inline constexpr const char* kUiUri = QVT_LV2_URI "#ui";
// State properties: the edit buffer (72 values, the program's name) and the bank file.
inline constexpr const char* kStateProgramValues = QVT_LV2_URI "#programValues";
inline constexpr const char* kStateProgramName = QVT_LV2_URI "#programName";
inline constexpr const char* kStateBankFile = QVT_LV2_URI "#bankFile";

// Ports: the 81 parameters in index order, then the MIDI input and the two outputs.
inline constexpr std::uint32_t kFirstControlPort = 0;
inline constexpr std::uint32_t kControlPorts = qvt::kNumParams;
inline constexpr std::uint32_t kEventsPort = kControlPorts;
inline constexpr std::uint32_t kLeftOutPort = kControlPorts + 1;
inline constexpr std::uint32_t kRightOutPort = kControlPorts + 2;
inline constexpr std::uint32_t kPortCount = kControlPorts + 3;

// The library's file name inside the bundle.
inline constexpr const char* kBinaryName = "Quivertone.so";

} // namespace qvt::lv2
