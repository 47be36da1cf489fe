// Loads the built plug-in the way a host does; shared by the ABI suites.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/qvt/PluginHost.h"

// Frequency from the upward zero crossings after `from`, interpolated between samples.
inline double ZeroCrossingFrequency(const std::vector<float>& signal, std::size_t from,
                                    double rate) {
  double first = -1, last = -1;
  int count = 0;
  for (std::size_t i = from + 1; i < signal.size(); ++i) {
    if (signal[i - 1] < 0 && signal[i] >= 0) {
      const double t = (i - 1) + signal[i - 1] / (signal[i - 1] - signal[i]);
      if (first < 0)
        first = t;
      else
        ++count;
      last = t;
    }
  }
  return count ? count * rate / (last - first) : 0.0;
}

class PluginAbi : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    Plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
    ASSERT_TRUE(Plugin) << error;
    Fx = Plugin->Effect();
  }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return Plugin->Dispatch(opcode, index, value, ptr, opt);
  }
  std::string Text(VstInt32 opcode, VstInt32 index = 0) { return Plugin->Text(opcode, index); }
  void Set(VstInt32 index, float value) { Fx->setParameter(Fx, index, value); }
  float Get(VstInt32 index) { return Fx->getParameter(Fx, index); }

  std::unique_ptr<qvt::THostedPlugin> Plugin;
  AEffect* Fx = nullptr;
};
