// Parameter settings given on the command line: INDEX=VALUE, NAME=VALUE or NAME#N=VALUE.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/qvt/PluginHost.h"
#include "tools/qvt/RenderBank.h"

namespace qvt {

struct TParameterSetting {
  int Index = -1;     // set when the parameter was given by number
  std::string Name;   // set when it was given by name
  int Occurrence = 0; // N of NAME#N (1 = first parameter of that name); 0 when not given
  float Value = 0.0f;
};

// Parses one setting; throws std::invalid_argument with a message naming the problem.
TParameterSetting ParseSetting(std::string_view text);

// The parameter index a setting addresses, given the plug-in's parameter names in index order.
// Throws std::invalid_argument for an unknown index or name and for an ambiguous name.
int ResolveSetting(const TParameterSetting& setting, const std::vector<std::string>& names);

// Applies a bank program's 72 values (when given), then the settings in order, through the
// plug-in's setParameter as a host would. Throws std::invalid_argument for a setting that
// addresses no parameter and std::runtime_error when the plug-in has too few for a program.
void ApplyParameters(THostedPlugin& plugin, const TBankProgram* program,
                     const std::vector<TParameterSetting>& settings);

} // namespace qvt
