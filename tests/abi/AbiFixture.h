// Loads the built plug-in the way a host does; shared by the ABI suites.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/uParamTable.h"
#include "tests/core/MidiList.h"
#include "tests/dsp/uDspClassesTestSignals.h"
#include "tools/qvt/PluginHost.h"

// The pitch of `signal` from sample `from` on.
inline double PitchFrom(const std::vector<float>& signal, std::size_t from, double rate) {
  return qvt::test::MeasureFrequency(
      {signal.begin() + static_cast<std::ptrdiff_t>(from), signal.end()}, rate);
}

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

// The plug-in switched on at 48 kHz with a bare sine at the note's pitch: operator 3 alone
// (algorithm 2 with the modulators silent), ratio 1, no offset, no filters or effects, a
// release of 240 ms.
class PluginSound : public PluginAbi {
protected:
  void SetUp() override {
    PluginAbi::SetUp();
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effSetBlockSize, 0, 512);
    Dispatch(effMainsChanged, 0, 1);
    for (VstInt32 index = 0; index < 72; ++index) Set(index, 0.0f);
    Set(piGenerationScheme, 0.2f);          // algorithm 2
    Set(piOsc3Level, 1.0f);                 // operator 3 at full level
    Set(piOsc3Offset, 999.99f / 10999.98f); // offset 0 Hz
    Set(piOsc3Ratio, 1.0f / 64.0f);         // ratio 1
    Set(piOsc3Shape, 0.5f);                 // no shaping
    Set(piDetune, 0.5f);                    // no detune
    Set(piReleaseTime, 0.02f);              // release
  }
  // The plug-in takes every event list.
  void Note(int status, int note, int velocity) {
    EXPECT_EQ(SendMidi(*Plugin, status, note, velocity), 1);
  }
  // The left channel of `frames` rendered in blocks of 512.
  std::vector<float> Render(std::size_t frames) {
    std::vector<float> left(frames), right(frames);
    for (std::size_t done = 0; done < frames; done += 512) {
      float* outputs[2] = {left.data() + done, right.data() + done};
      Fx->processReplacing(Fx, nullptr, outputs,
                           static_cast<VstInt32>(std::min<std::size_t>(512, frames - done)));
    }
    return left;
  }
};
