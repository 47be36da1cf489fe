// A synthesizer with a scripted host: tempo answers and helpers to play and render.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/uBankText.h"
#include "core/uSynth.h"
#include "tests/core/MidiList.h"
#include "tests/dsp/uDspClassesTestSignals.h"

namespace engine_test {

inline double gTempo = 120.0;

inline VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
  case audioMasterVersion: return 2400;
  case audioMasterTempoAt: return static_cast<VstIntPtr>(gTempo * 10000.0);
  default: return 0;
  }
}

struct TStereo {
  std::vector<float> Left, Right;
};

// Hands one MIDI event to a synthesizer, as a host's processEvents would.
inline void SendMidi(TSynth& synth, std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                     VstInt32 delta = 0) {
  TMidiList midi(status, data1, data2, delta);
  synth.processEvents(&midi.List);
}

class Engine : public ::testing::Test {
protected:
  void SetUp() override {
    gTempo = 120.0;
    PlayNeutralProgram(Synth);
  }
  // The tests measure the neutral program: one sine carrier, filters open, effects off.
  static void PlayNeutralProgram(TSynth& synth) {
    const TProgramRecord neutral = qvt::DefaultProgram();
    for (int index = 0; index < qvt::kNumStoredParams; ++index)
      synth.setParameter(index, neutral.Values[index]);
  }

  void Send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 delta = 0) {
    SendMidi(Synth, status, data1, data2, delta);
  }
  void NoteOn(int note, VstInt32 delta = 0) { Send(0x90, note, 100, delta); }
  void NoteOff(int note, VstInt32 delta = 0) { Send(0x80, note, 0, delta); }

  TStereo Render(int frames, int block = 512) {
    TStereo out{std::vector<float>(frames), std::vector<float>(frames)};
    for (int done = 0; done < frames; done += block) {
      const int n = std::min(block, frames - done);
      float* outputs[2] = {out.Left.data() + done, out.Right.data() + done};
      Synth.processReplacing(nullptr, outputs, n);
    }
    return out;
  }

  TSynth Synth{Host};
};

inline double Peak(const std::vector<float>& signal, std::size_t from = 0) {
  double peak = 0.0;
  for (std::size_t i = from; i < signal.size(); ++i)
    peak = std::max(peak, static_cast<double>(std::fabs(signal[i])));
  return peak;
}

} // namespace engine_test
