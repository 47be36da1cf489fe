// The command line of `qvt render`.
#pragma once

#include <string>
#include <vector>

#include "tools/qvt/RenderSettings.h"
#include "tools/qvt/WavWriter.h"

namespace qvt {

struct TRenderArguments {
  std::string PluginPath; // empty: the plug-in built beside the qvt program
  std::string SongPath;
  std::string OutputPath;
  std::string PlotPath;
  std::string BankPath;
  int Program = -1;
  int SampleRate = 44100;
  int BlockSize = 512;
  double TailSeconds = 2.0;
  TWavSamples Samples = TWavSamples::Float32;
  std::vector<TParameterSetting> Settings; // in command-line order
};

// Throws std::invalid_argument with a message naming the offending argument.
TRenderArguments ParseRenderArguments(const std::vector<std::string>& args);

extern const char* const kRenderUsage;

// Quivertone.so beside the running qvt program.
std::string DefaultPluginPath();

} // namespace qvt
