// Loads the built plug-in the way a host does; shared by the ABI suites.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/uParamTable.h"
#include "tests/core/MidiList.h"
#include "tools/qvt/PluginHost.h"

// Hands one MIDI message to the plug-in in an event list of its own; answers the dispatcher.
inline VstIntPtr SendMidi(qvt::THostedPlugin& plugin, int status, int data1, int data2) {
  TMidiList midi(status, data1, data2);
  return plugin.Dispatch(effProcessEvents, 0, 0, &midi.List);
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
